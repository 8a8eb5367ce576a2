#include "about/frmAbout.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "about/Icon.h"
#include "about/vendor.h"
#include "platform/services.h"

using platform::ControlKind;
using platform::FitSteps;
using platform::Format;
using platform::T;

namespace {

constexpr std::size_t kValueBufferSize = 1024;

const platform::Font kLabelFont{platform::kSansSerif, 9.75, false, false};
const platform::Font kTitleFont{platform::kSansSerif, 13.5, false, false};
constexpr platform::Color kDarkBlue = platform::Rgb(0, 0, 128);
constexpr platform::Color kGrey = platform::Rgb(128, 128, 128);

double Bottom(const platform::Control& control) { return control.Top() + control.Height(); }

// Fit targets are whole twips, rounded as the 16-bit conversion rounds
// (halves to even).
double WholeTwips(double twips) { return std::nearbyint(twips); }

platform::Control& DesignLabel(platform::Control& label, const platform::Font& font,
                               double left, double top, double width, double height) {
  label.SetFont(font);
  label.SetForeColor(platform::kColorWindowText);
  // The rules are painted on the form; they show through the labels.
  label.SetBackStyle(platform::BackStyle::Transparent);
  label.Move(left, top, width, height);
  return label;
}

void DesignLine(platform::Control& line, platform::Color color, int pixels, double x1, double y1,
                double x2, double y2) {
  line.SetBorderColor(color);
  line.SetBorderWidth(pixels);
  line.SetLine(x1, y1, x2, y2);
}

std::string HexByte(unsigned char byte) {
  static const char digits[] = "0123456789ABCDEF";
  return {digits[byte >> 4], digits[byte & 0xF]};
}

}  // namespace

const char* const frmAbout::kLicenceNotice = N_(
    "This program is licensed, not sold, for use under the terms of its licence agreement. It "
    "is protected by copyright law and international treaties: copying or distributing it, or "
    "any part of it, without permission is not allowed.");
const char* const frmAbout::kCopyright =
    N_("Copyright \xC2\xA9 2026 Zantrix Software. All rights reserved.");
const char* const frmAbout::kIconToolTip = N_("Double Click here to visit Zantrixweb\xC2\xAE");
const char* const frmAbout::kHomePageQuestion =
    N_("Would you like to visit the Zantrix Software website?");
const char* const frmAbout::kHomePageCaption = N_("Visit Zantrixweb\xC2\xAE");
const char* const frmAbout::kSysInfoUnavailable =
    N_("System Information Is Unavailable At This Time");
// What the version resource says the program is, shown in the box: here so
// that it is translated.
const char* const frmAbout::kDescription =
    N_("The Zantrix Preflect checks for the required files needed to run the products it is "
       "packaged with.");
const char* const frmAbout::kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const frmAbout::kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

frmAbout::frmAbout() : Form("frmAbout") {}

frmAbout& TheAbout() {
  static frmAbout form;
  return form;
}

void ShowAboutBox() {
  frmAbout& box = TheAbout();
  const bool wasLoaded = box.IsLoaded();
  box.Show();
  // Showing a visible window does not raise it.
  if (wasLoaded) box.SetFocus();
}

void frmAbout::Build() {
  SetBorderStyle(platform::FormBorder::FixedSingle);
  SetMinButton(false);
  SetMaxButton(false);
  SetShowInTaskbar(false);
  SetBackColor(platform::kColorWindow);
  SetCaption("About");
  // Narrower than the rule under the description: the width fit widens it.
  SetDesignClientSize(7590, 3840);

  // In tab order.
  cmdOK = &AddControl(ControlKind::Button, "cmdOK");
  cmdOK->SetCaption(T("OK"));
  cmdOK->Move(6240, 120, 1260, 345);
  cmdOK->SetDefault(true);
  cmdOK->SetCancel(true);
  cmdOK->OnClick([this](int) { cmdOK_Click(); });

  picIcon = &AddControl(ControlKind::Image, "picIcon");
  picIcon->SetPicture("PRODUCT");
  picIcon->Move(360, 480, 1110, 2295);
  picIcon->OnDblClick([this](int) { picIcon_DblClick(); });

  cmdSysInfo = &AddControl(ControlKind::Button, "cmdSysInfo");
  cmdSysInfo->SetCaption(T("&System Info..."));
  cmdSysInfo->Move(6225, 555, 1245, 345);
  cmdSysInfo->OnClick([this](int) { cmdSysInfo_Click(); });

  lblDescription = &DesignLabel(AddControl(ControlKind::Label, "lblDescription"), kLabelFont,
                                2040, 1125, 5520, 450);
  lblDescription->SetCaption("App Description");
  lblDisclaimer = &DesignLabel(AddControl(ControlKind::Label, "lblDisclaimer"), kLabelFont,
                               2040, 2040, 5490, 1245);
  lblDisclaimer->SetCaption("Warning: ...");
  lblTitle = &DesignLabel(AddControl(ControlKind::Label, "lblTitle"), kTitleFont, 2040, 120,
                          3885, 480);
  lblTitle->SetForeColor(platform::Accent(kDarkBlue, platform::kColorWindowText));
  lblTitle->SetCaption("Application Title");
  lblVersion = &DesignLabel(AddControl(ControlKind::Label, "lblVersion"), kLabelFont, 2055, 780,
                            3885, 225);
  lblVersion->SetCaption("Version");
  lblCopy = &DesignLabel(AddControl(ControlKind::Label, "lblCopy"), TextFont(), 1680, 3480,
                         4935, 255);
  lblCopy->SetCaption(T(kCopyright));
  // Moved up at load, it lies across the vertical rules: it hides them.
  lblCopy->SetBackStyle(platform::BackStyle::Opaque);
  lblCopy->SetBackColor(platform::kColorWindow);

  Line1 = &AddControlArray(ControlKind::Line, "Line1");
  for (int i = 1; i <= 4; ++i) AddArrayMember(*Line1, i);
  // The white halves of the rules are the window's own colour.
  DesignLine((*Line1)[0], platform::kColorWindow, 2, 1950, 1980, 7619, 1980);
  DesignLine((*Line1)[1], kGrey, 1, 1950, 1965, 7619, 1965);
  DesignLine((*Line1)[2], kGrey, 1, 1945, 0, 1945, 3315);
  DesignLine((*Line1)[3], platform::kColorWindow, 2, 1935, 0, 1935, 3315);
  DesignLine((*Line1)[4], kGrey, 1, 0, 3360, 7590, 3360);
}

void frmAbout::Form_Load() {
  const platform::Services& os = platform::Os();
  Icon::SetWindowIcons(hWnd(), "AAA", true);

  lblTitle->SetTop(120);
  lblTitle->SetLeft((*Line1)[2].X1() + 100);
  lblVersion->SetTop(Bottom(*lblTitle) + 120);
  lblVersion->SetLeft(lblTitle->Left());
  lblDescription->SetLeft(lblTitle->Left());
  lblDescription->SetTop(Bottom(*lblVersion) + 120);
  lblDisclaimer->SetLeft(lblTitle->Left());

  const std::string title = os.app->Title();
  const platform::AppVersion version = os.app->Version();
  // TRANSLATORS: %1 is the program's title.
  SetCaption(Format(T("About %1"), {title}));
  // TRANSLATORS: %1.%2 is the version, %3 the build.
  lblVersion->SetCaption(Format(T("Version %1.%2 Build %3"),
                                {std::to_string(version.major), std::to_string(version.minor),
                                 std::to_string(version.revision)}));
  lblTitle->SetCaption(title);
  lblDescription->SetCaption(T(os.app->FileDescription()));
  // A language longer than English: the texts get their room, to the right
  // edge of the box or on more lines, and what follows moves down with them.
  const double right = ClientWidth() - 120;
  platform::FitCaption(*lblVersion, right - lblVersion->Left());
  platform::FitCaption(*lblDescription, lblDescription->Width());
  for (platform::Control* button : {cmdOK, cmdSysInfo}) {
    const double buttonRight = button->Left() + button->Width();
    platform::FitCaption(*button, buttonRight - (lblTitle->Left() + lblTitle->Width() + 60));
    button->SetLeft(buttonRight - button->Width());
  }
  cmdSysInfo->SetTop(std::max(cmdSysInfo->Top(), cmdOK->Top() + cmdOK->Height() + 90));

  (*Line1)[0].SetLineY(Bottom(*lblDescription) + 15);
  (*Line1)[1].SetLineY((*Line1)[0].Y1() + 15);

  lblDisclaimer->SetTop((*Line1)[1].Y1() + 25);
  lblDisclaimer->SetFontSize(8);
  lblDisclaimer->SetCaption(T(kLicenceNotice));
  lblDisclaimer->SetHeight(1650);
  platform::FitCaption(*lblDisclaimer, lblDisclaimer->Width());

  picIcon->SetToolTipText(T(kIconToolTip));

  // The client width as it is now, before the width fit below. The notice's
  // box reaches below the rule; its text, however long, does not.
  const double noticeBottom =
      lblDisclaimer->Top() + platform::CaptionHeight(*lblDisclaimer, lblDisclaimer->Width());
  const double rule = std::max(Bottom(*picIcon), noticeBottom) + 25;
  for (int i : {2, 3}) (*Line1)[i].SetY2(std::max((*Line1)[i].Y2(), rule - 45));
  (*Line1)[4].SetLine(0, rule, ClientWidth(), rule);
  lblCopy->SetTop((*Line1)[4].Y1() + 75);
  platform::FitCaption(*lblCopy, right - lblCopy->Left());

  const double heightTarget = WholeTwips(Bottom(*lblCopy) + 10);
  SetHeight(heightTarget);
  platform::GrowHeightUntil(*this, heightTarget, FitSteps::AtLeastOne);

  const double widthTarget = WholeTwips((*Line1)[0].X2());
  SetWidth(widthTarget);
  platform::GrowWidthUntil(*this, widthTarget, FitSteps::AtLeastOne);

  // First shown in the middle of the working area, at its fitted size.
  const platform::ScreenMetrics screen = Screen();
  Move(screen.workLeft + std::floor((screen.workWidth - Width()) / 2),
       screen.workTop + std::floor((screen.workHeight - Height()) / 2), Width(), Height());
}

void frmAbout::cmdOK_Click() { Unload(); }

void frmAbout::cmdSysInfo_Click() {
  const platform::HandlerGuard guard(*this);
  if (!guard.Refused()) StartSysInfo();
}

void frmAbout::picIcon_DblClick() {
  // One home page at a time: the question and the shell run messages.
  const platform::HandlerGuard guard(*this);
  if (guard.Refused()) return;
  const platform::Services& os = platform::Os();
  const int answer = os.messageBoxes->Show(T(kHomePageQuestion), T(kHomePageCaption),
                                           platform::kMbYesNo | platform::kMbIconQuestion);
  if (answer != platform::kIdYes || guard.FormGone()) return;
  // Not reported when it fails: there is nothing the user could do about it.
  std::intptr_t ignored = 0;
  os.shell->Execute("Open", about::kVendorHomePage, std::nullopt, os.app->ExecutableFolder(),
                    platform::kSwShowNormal, hWnd(), ignored);
}

void frmAbout::StartSysInfo() {
  const platform::Services& os = platform::Os();
  bool started = false;
  try {
    std::string path;
    bool found = GetKeyValue(platform::kHkeyLocalMachine, kSysInfoKey, "PATH", path);
    // The first entry names the program itself and is trusted as it is.
    if (!found && GetKeyValue(platform::kHkeyLocalMachine, kSysInfoFolderKey, "MSINFO", path)) {
      const std::string program = path + "\\MSINFO32.EXE";
      const auto name = os.files->FindFirst(program, platform::EntryKinds::NormalFiles);
      if (name && !name->empty()) {
        path = program;
        found = true;
      }
    }
    // Quoted, so that a path with blanks (as the tool's usual folder has)
    // cannot start a program named by its first words.
    if (found)
      started = os.shell->StartProgram(path.empty() || path.front() == '"' ? path
                                                                           : "\"" + path + "\"") ==
                platform::kOk;
  } catch (const std::exception&) {
    started = false;
  }
  if (!started) os.messageBoxes->Show(T(kSysInfoUnavailable), os.app->Title(), platform::kMbOk);
}

bool frmAbout::GetKeyValue(std::int32_t KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
  const platform::Services& os = platform::Os();
  platform::Registry& registry = *os.registry;
  platform::ScopedKey key(registry);
  platform::Status status = registry.OpenKey(KeyRoot, KeyName, kKeyAccess, key.Receive());
  if (status == platform::kErrorAccessDenied)
    status = registry.OpenKey(KeyRoot, KeyName, kKeyReadAccess, key.Receive());
  if (status != platform::kOk) {
    KeyVal.clear();
    return false;
  }
  std::string data(kValueBufferSize, '\0');
  std::uint32_t type = 0;
  status = registry.QueryValueData(key.get(), SubKeyRef, type, data);
  key.Close();
  // Larger than the buffer, or nothing at all to convert.
  if (status != 0 || data.empty()) {
    KeyVal.clear();
    return false;
  }
  // Only the last byte may be the terminating NUL; NULs before it stay.
  if (data.back() == '\0') data.pop_back();
  switch (type) {
    case platform::kRegSz:
      KeyVal = os.codePage->FromAnsi(data);
      break;
    case platform::kRegDword: {
      std::string text = "&h";
      for (auto byte = data.rbegin(); byte != data.rend(); ++byte)
        text += HexByte(static_cast<unsigned char>(*byte));
      KeyVal = text;
      break;
    }
    default:
      break;
  }
  return true;
}
