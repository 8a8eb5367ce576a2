#pragma once
// The About box: the checker's title, version, description and licence
// notice, a product picture that offers the vendor's home page when
// double-clicked, and a button that starts the system information tool.
#include <cstdint>
#include <string>

#include "platform/forms.h"

class frmAbout : public platform::Form {
 public:
  frmAbout();

  void cmdOK_Click();
  void cmdSysInfo_Click();
  void picIcon_DblClick();

  // Starts the system information tool the registry names, or tells the
  // user that it is unavailable. Never throws.
  void StartSysInfo();

  // Reads one registry value as text into KeyVal; true when it was read.
  // REG_SZ gives its text without the one terminating NUL, REG_DWORD "&h"
  // and two upper-case hex digits per stored byte, most significant first
  // (a zero top byte is dropped with the NUL); any other type leaves KeyVal
  // as it was. A missing key or value, a value of zero bytes and data over
  // 1024 bytes give false and an empty KeyVal. The key is always closed.
  static bool GetKeyValue(std::int32_t KeyRoot, const std::string& KeyName,
                          const std::string& SubKeyRef, std::string& KeyVal);

  // Texts of the box and of its questions.
  static const char* const kLicenceNotice;
  static const char* const kCopyright;
  static const char* const kIconToolTip;
  static const char* const kHomePageQuestion;
  static const char* const kHomePageCaption;
  static const char* const kSysInfoUnavailable;
  static const char* const kDescription;

  // Where the system information tool is registered.
  static const char* const kSysInfoKey;         // value "PATH": the program
  static const char* const kSysInfoFolderKey;   // value "MSINFO": its folder
  // Access the reader asks for first (read control, query, set, create
  // subkey, enumerate, notify, create link), and the read-only access it
  // falls back to where that is denied (a standard user under HKLM).
  static constexpr std::uint32_t kKeyAccess = 0x2003F;
  static constexpr std::uint32_t kKeyReadAccess = 0x20019;

 protected:
  void Build() override;
  void Form_Load() override;

 private:
  platform::Control* cmdOK = nullptr;
  platform::Control* picIcon = nullptr;
  platform::Control* cmdSysInfo = nullptr;
  platform::Control* lblDescription = nullptr;
  platform::Control* lblDisclaimer = nullptr;
  platform::Control* lblTitle = nullptr;
  platform::Control* lblVersion = nullptr;
  platform::Control* lblCopy = nullptr;
  platform::ControlArray* Line1 = nullptr;
};

// The one About box of the program.
frmAbout& TheAbout();

// Help > About: shows the box modeless and without an owner; when it is
// already loaded it is only brought forward.
void ShowAboutBox();
