#include "startup/clsDirChecker.h"

#include "platform/services.h"
#include "platform/text.h"

using platform::Os;
using platform::WithTrailingBackslash;

namespace {
constexpr std::size_t kPathBuffer = 260;
const char* const kProbeName = "permit.per";
}  // namespace

std::string clsDirChecker::GetPath(const std::string& sWhichPath, const std::string& sVendor,
                                   const std::string& sAppName,
                                   const std::string& sMyDocSubFolder) const {
  if (sWhichPath == "App") {
    std::string p = WithTrailingBackslash(GetSpecialFolderPath(platform::kCsidlCommonAppData, 0));
    if (LostCharacters(p, platform::NamedFolder::CommonAppData) || !IsFolderWritable(p)) {
      p = WithTrailingBackslash(GetTempFolder());
      RequireWholeName(p, platform::NamedFolder::Temp);
    }
    for (const std::string* part : {&sVendor, &sAppName}) {
      if (part->empty()) continue;
      p += *part;
      EnsureFolder(p, *part);
      p = WithTrailingBackslash(p);
    }
    return p;
  }
  if (sWhichPath == "User") {
    const std::string p = WithTrailingBackslash(GetSpecialFolderPath(platform::kCsidlPersonal, 0));
    if (!sMyDocSubFolder.empty()) EnsureFolder(p + sMyDocSubFolder, sMyDocSubFolder);
    return p;
  }
  if (sWhichPath == "Program") {
    std::string p = WithTrailingBackslash(Os().app->ExecutableFolder());
    RequireWholeName(p, platform::NamedFolder::Program);
    return p;
  }
  return {};
}

bool clsDirChecker::LostCharacters(const std::string& sPath, platform::NamedFolder which) {
  platform::CodePage& codePage = *Os().codePage;
  if (codePage.CarriesEveryCharacter()) return false;
  // A character the code page lacks arrives as "?", or as a look-alike
  // ("Ł" as "L") that only the name the system holds gives away.
  return sPath.find('?') != std::string::npos || !codePage.Holds(Os().folders->ExactName(which));
}

void clsDirChecker::RequireWholeName(const std::string& sPath, platform::NamedFolder which) {
  if (!LostCharacters(sPath, which)) return;
  std::string name = Os().folders->ExactName(which);
  if (name.empty()) name = sPath;
  if (name.size() > 3 && name.back() == '\\') name.pop_back();
  // TRANSLATORS: %1 is a folder, %2 the name of a code page ("Windows-1252").
  throw platform::OsError(
      0, platform::Format(
             platform::T("The folder \"%1\" has characters that this version of Windows cannot "
                         "pass to the program; move it to a folder whose name uses only the "
                         "characters of %2, or use Windows 10 version 1903 or later, which "
                         "passes every character."),
             {name, platform::CodePageName(Os().codePage->LegacyCodePage())}));
}

std::string clsDirChecker::GetMyDocDir() const {
  return GetSpecialFolderPath(platform::kCsidlMyDocuments, 0);
}

void clsDirChecker::EnsureFolder(const std::string& p, const std::string& sName) const {
  // An existing entry of the name, folder or plain file, in any letter
  // case, is taken for the folder.
  const auto found = Os().files->FindFirst(p, platform::EntryKinds::FilesAndFolders);
  if (!found || platform::LowerCase(*found) != platform::LowerCase(sName))
    platform::ThrowIfFailed(Os().files->CreateFolder(p),
                            platform::T("Could not create the folder \"%1\""), p);
}

std::string clsDirChecker::GetSpecialFolderPath(int nFolder, std::uint32_t dwFlags) const {
  std::string buffer(kPathBuffer, ' ');
  if (Os().folders->GetFolderPath(nFolder, dwFlags, buffer) != platform::kOk) return {};
  return TrimAtNull(buffer);
}

std::string clsDirChecker::TrimAtNull(const std::string& sText) {
  return sText.substr(0, sText.find('\0'));
}

bool clsDirChecker::IsFolderWritable(const std::string& sPath) const {
  // A folder we cannot write to answers "no", whatever the system's reason;
  // that is the case the temporary-folder fallback exists for.
  const std::string f = sPath + kProbeName;
  auto& files = *Os().files;
  const auto present = [&] { return files.FindFirst(f, platform::EntryKinds::NormalFiles).has_value(); };
  if (present() && (files.DeleteFile(f) != platform::kOk || present())) return false;
  if (files.WriteFile(f, "A\r\n") != platform::kOk || !present()) return false;
  return files.DeleteFile(f) == platform::kOk;
}

std::string clsDirChecker::GetTempFolder() const {
  std::string buffer(kPathBuffer, '\0');
  if (Os().folders->GetTempPath(buffer) == 0) return {};
  return TrimAtNull(buffer);
}
