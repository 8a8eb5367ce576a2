#include "startup/modMain.h"

#include <array>
#include <exception>

#include "checkwindow/frmDialog.h"
#include "checkwindow/frmSystemCheck.h"
#include "platform/services.h"
#include "requirements/modCheck.h"
#include "startup/EditionDescriptor.h"
#include "startup/clsDirChecker.h"

namespace modMain {
namespace {

const char* const kDescriptorFile = "version.xml.enc";
const char* const kVendorFolder = "Zantrix Software";
const char* const kLicenseServer = "licenseserver";

struct Edition {
  const char* key;            // nullptr: any other key
  const char* licenseServer;  // with licence type "licenseserver"
  const char* other;          // with any other licence type
};

// First exact match wins; the last row takes every other key.
constexpr std::array<Edition, 5> kEditions{{
    {"zenith", "Zantrix Quillon for Zenith 7.0 Client Edition", "Zantrix Quillon for Zenith 7.0"},
    {"sprout", "Zantrix Quillon for Sprout 7 Client Edition", "Zantrix Quillon for Sprout 7"},
    {"pxorbit", "Zantrix Quillon Limited Edition 7 for Pressworth",
     "Zantrix Quillon Limited Edition 7 for Pressworth"},
    {"pxsprout", "Zantrix Quillon Limited Edition Sprout for Pressworth",
     "Zantrix Quillon Limited Edition Sprout for Pressworth"},
    {nullptr, "Zantrix Quillon for Orbit 7.0 Client Edition", "Zantrix Quillon for Orbit 7.0"},
}};

// A fresh reader for every value, released at once.
std::string ReadDescriptorValue(const std::string& sFile, const std::string& sName) {
  const auto reader = CreateEditionReader();
  return reader->ReadValue(sFile, sName);
}

}  // namespace

std::string EditionTitle(const std::string& sEdition, const std::string& sLicenseType) {
  for (const Edition& row : kEditions) {
    if (row.key && sEdition != row.key) continue;
    return sLicenseType == kLicenseServer ? row.licenseServer : row.other;
  }
  return {};  // not reached: the last row matches every key
}

void Main() {
  const clsDirChecker dirChecker;
  modCheck::ProgramFolder = dirChecker.GetPath("Program", "", "", "");
  const std::string edition =
      ReadDescriptorValue(modCheck::ProgramFolder + kDescriptorFile, "version");
  const std::string licenseType =
      ReadDescriptorValue(modCheck::ProgramFolder + kDescriptorFile, "licensetype");
  const std::string productTitle = EditionTitle(edition, licenseType);
  TheSystemCheck().SetDataFolder(dirChecker.GetPath("App", kVendorFolder, productTitle, ""));
  // Hidden until a test shows it.
  TheDialog().Load();
  // Its load runs the first test; from then on the window drives the program.
  TheSystemCheck().Load();
}

std::string StartupErrorText(const platform::Failure& failure) {
  using platform::Format;
  using platform::T;
  // TRANSLATORS: %1 is a number, %2 what went wrong.
  const std::string error = failure.status ? Format(T("Error %1: %2"),
                                                    {std::to_string(failure.status), failure.description})
                                           : failure.description;
  // TRANSLATORS: %1 is the program's title.
  return Format(T("%1 cannot start."), {platform::Os().app->Title()}) + "\r\n\r\n" + error;
}

int Run() {
  try {
    Main();
  } catch (...) {
    platform::Os().messageBoxes->Show(StartupErrorText(platform::CurrentFailure()),
                                      platform::Os().app->Title(),
                                      platform::kMbOk | platform::kMbIconStop);
    return 1;
  }
  return 0;
}

}  // namespace modMain
