#include "requirements/modCheck.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string_view>

#include "platform/services.h"
#include "platform/text.h"
#include "requirements/modRegistry.h"
#include "requirements/numbers.h"
#include "requirements/progress.h"

namespace modCheck {

std::vector<Requirement> Requirements(2);
std::string ProgramFolder;

namespace {

using platform::Os;

// ---- tags ----------------------------------------------------------------

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view lowerWord) {
  if (text.size() - at < lowerWord.size()) return false;
  for (std::size_t k = 0; k < lowerWord.size(); ++k)
    if (AsciiLower(text[at + k]) != lowerWord[k]) return false;
  return true;
}

// Case-ignoring search for an ASCII word, without copying the text. For
// such words it finds what platform::FindNoCase finds.
std::size_t FindWord(std::string_view text, std::string_view lowerWord) {
  if (lowerWord.empty() || text.size() < lowerWord.size()) return std::string_view::npos;
  const char first = lowerWord[0];
  const char firstUpper = (first >= 'a' && first <= 'z') ? static_cast<char>(first - 32) : first;
  const std::size_t last = text.size() - lowerWord.size();
  for (std::size_t i = 0; i <= last; ++i)
    if ((text[i] == first || text[i] == firstUpper) && StartsWithNoCase(text, i, lowerWord))
      return i;
  return std::string_view::npos;
}

enum class TagKind { Other, SystemSearch, Product, RegistryEntry, FileEntry, Remedy, EndProduct };

// Which keyword decides for this tag, in the order of precedence. One pass
// over the raw bytes: the keywords are ASCII, so case folding of ASCII
// letters is all that ignoring case needs, and most tags never have to be
// converted at all.
TagKind ClassifyTag(std::string_view tag) {
  bool product = false, registryEntry = false, fileEntry = false, remedy = false,
       endProduct = false;
  for (std::size_t i = 0; i < tag.size(); ++i) {
    switch (tag[i]) {
      case 's':
      case 'S':
        if (StartsWithNoCase(tag, i, "systemsearch")) return TagKind::SystemSearch;
        break;
      case '<':
        product = product || StartsWithNoCase(tag, i, "<product");
        registryEntry = registryEntry || StartsWithNoCase(tag, i, "<registryentry");
        fileEntry = fileEntry || StartsWithNoCase(tag, i, "<fileentry");
        remedy = remedy || StartsWithNoCase(tag, i, "<remedy");
        break;
      case '/':
        endProduct = endProduct || StartsWithNoCase(tag, i, "/product");
        break;
      default:
        break;
    }
  }
  if (product) return TagKind::Product;
  if (registryEntry) return TagKind::RegistryEntry;
  if (fileEntry) return TagKind::FileEntry;
  if (remedy) return TagKind::Remedy;
  if (endProduct) return TagKind::EndProduct;
  return TagKind::Other;
}

void StoreWorkingRecord(const Requirement& work) {
  if (Requirements.size() < 2) Requirements.resize(2);
  const std::size_t upper = Requirements.size() - 1;
  if (Requirements[upper - 1].ProductName.empty()) {
    Requirements[upper - 1] = work;
    return;
  }
  // A full list keeps the products it has: the index width allows no more.
  if (upper >= kMaxUpperIndex) return;
  Requirements.emplace_back();
  Requirements[upper] = work;
}

// Root and type that are no number leave the registry entry unreadable
// (root 0), so it can never count as found.
void ReadRegistryEntry(const std::string& tag, Requirement& work) {
  const auto root = requirements::ParseInt32(GetAttributeValue(tag, 1), true);
  const auto type = requirements::ParseInt32(GetAttributeValue(tag, 4), true);
  work.RegRoot = root && type ? *root : 0;
  work.RegKey = GetAttributeValue(tag, 2);
  work.RegValueName = GetAttributeValue(tag, 3);
  work.RegType = type.value_or(0);
  work.RegData = GetAttributeValue(tag, 5);
}

void ApplyTag(std::string_view ansiTag, Requirement& work) {
  const TagKind kind = ClassifyTag(ansiTag);
  if (kind == TagKind::Other || kind == TagKind::SystemSearch) return;
  if (kind == TagKind::EndProduct) {
    StoreWorkingRecord(work);
    return;
  }
  const std::string tag = Os().codePage->FromAnsi(std::string(ansiTag));
  switch (kind) {
    case TagKind::Product:
      work.ProductName = GetAttributeValue(tag, 0);
      break;
    case TagKind::RegistryEntry:
      ReadRegistryEntry(tag, work);
      break;
    case TagKind::FileEntry:
      work.FileName = GetAttributeValue(tag, 0);
      work.FileDir = GetAttributeValue(tag, 6);
      work.FileVersion = GetAttributeValue(tag, 7);
      break;
    case TagKind::Remedy:
      work.RemedySource = GetAttributeValue(tag, 8);
      work.RemedyLocation = GetAttributeValue(tag, 9);
      break;
    default:
      break;
  }
}

// Cuts the text into tags exactly as reading one character at a time up to
// each ">" would, and drops what precedes a tag's first "<".
void ReadTags(std::string_view bytes) {
  Requirement work;
  const char* const end = bytes.data() + bytes.size();
  for (const char* at = bytes.data(); at < end;) {
    AdvanceProgress(1);
    const auto* gt = static_cast<const char*>(std::memchr(at, '>', end - at));
    const char* tagEnd = gt ? gt + 1 : end;
    const auto* lt = static_cast<const char*>(std::memchr(at, '<', tagEnd - at));
    const char* tagStart = lt ? lt : at;
    ApplyTag(std::string_view(tagStart, tagEnd - tagStart), work);
    at = tagEnd;
  }
}

std::int32_t ReportOpenFailure() {
  // Always the text for "open failed", whatever the reason was.
  std::string text = platform::TrimLineEnd(Os().messages->Describe(platform::kErrorOpenFailed));
  if (text.empty()) text = "The requirements file could not be opened.";
  Os().messageBoxes->Show(text, "Error", platform::kMbOk | platform::kMbIconStop);
  return platform::kErrorOpenFailed;
}

// ---- folder tokens -------------------------------------------------------

std::string WithoutTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string FetchFolder(std::uint32_t (platform::SystemFolders::*call)(std::string&)) {
  std::string buffer(255, '\0');
  std::uint32_t length = (Os().folders->*call)(buffer);
  if (length >= buffer.size()) {
    // Too small: the call answered with the size it needs.
    buffer.assign(length + 1, '\0');
    length = (Os().folders->*call)(buffer);
    if (length >= buffer.size()) return {};
  }
  buffer.resize(length);
  return WithoutTrailingBackslash(buffer);
}

std::string ZantrixDir() { return WithoutTrailingBackslash(Os().app->ExecutableFolder()); }
std::string SystemDir() { return FetchFolder(&platform::SystemFolders::GetSystemDirectory); }
std::string WindowsDir() { return FetchFolder(&platform::SystemFolders::GetWindowsDirectory); }

// Only the first token kind found, and only its first occurrence.
void ReplaceFolderToken(std::string& value) {
  struct Token {
    std::string_view text;
    std::string (*folder)();
  };
  static constexpr Token kTokens[] = {
      {"%zantrixdir%", ZantrixDir}, {"%systemdir%", SystemDir}, {"%windir%", WindowsDir}};
  for (const Token& token : kTokens) {
    const std::size_t at = FindWord(value, token.text);
    if (at == std::string::npos) continue;
    value.replace(at, token.text.size(), token.folder());
    return;
  }
}

std::string NumberForName(const std::string& value, std::int32_t iWhich) {
  struct Name {
    std::string_view text;
    std::int64_t number;
  };
  static constexpr Name kRoots[] = {
      {"HKEY_CLASSES_ROOT", platform::kHkeyClassesRoot},
      {"HKEY_CURRENT_USER", platform::kHkeyCurrentUser},
      {"HKEY_LOCAL_MACHINE", platform::kHkeyLocalMachine},
      {"HKEY_USERS", platform::kHkeyUsers},
      {"HKEY_CURRENT_CONFIG", platform::kHkeyCurrentConfig}};
  static constexpr Name kTypes[] = {{"REG_SZ", platform::kRegSz},
                                    {"REG_EXPAND_SZ", platform::kRegExpandSz},
                                    {"REG_BINARY", platform::kRegBinary},
                                    {"REG_DWORD", platform::kRegDword},
                                    {"REG_MULTI_SZ", platform::kRegMultiSz}};
  const auto& names = iWhich == 1 ? kRoots : kTypes;
  for (const Name& name : names)
    if (value == name.text) return std::to_string(name.number);
  return value;
}

// ---- checks --------------------------------------------------------------

using FileVersionParts = std::array<std::uint16_t, 4>;

// A version resource holds at most 64 KB (its length is a 16-bit field);
// the size the system asks for is a small multiple of that.
constexpr std::int32_t kMaxVersionInfoSize = 1 << 20;

std::optional<FileVersionParts> ReadFileVersion(const std::string& path) {
  platform::VersionInfo& versions = *Os().versions;
  const std::int32_t size = versions.GetSize(path);
  if (size <= 0 || size > kMaxVersionInfoSize) return std::nullopt;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  if (versions.GetData(path, data) != platform::kOk) return std::nullopt;
  const auto fixed = versions.QueryFixed(data);
  if (!fixed) return std::nullopt;
  return FileVersionParts{static_cast<std::uint16_t>(fixed->fileVersionMS >> 16),
                          static_cast<std::uint16_t>(fixed->fileVersionMS & 0xFFFF),
                          static_cast<std::uint16_t>(fixed->fileVersionLS >> 16),
                          static_cast<std::uint16_t>(fixed->fileVersionLS & 0xFFFF)};
}

std::string VersionText(const FileVersionParts& parts) {
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
         std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

// None when the part's text is not a decimal number.
std::optional<std::int32_t> VersionPart(std::int32_t iPart, std::string_view version) {
  if (iPart < 0 || iPart > 3) return 0;
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t dot = version.find('.', from);
    parts.push_back(version.substr(from, dot == std::string_view::npos ? dot : dot - from));
    if (dot == std::string_view::npos) break;
    from = dot + 1;
  }
  std::string_view text;
  if (parts.size() < 4) {
    // Fewer than four numbers: the k-th number, and 0 for those missing.
    if (static_cast<std::size_t>(iPart) >= parts.size()) return 0;
    text = parts[iPart];
  } else {
    // The last two numbers are counted from the end.
    text = iPart < 2 ? parts[iPart] : parts[parts.size() - 4 + iPart];
  }
  return requirements::ParseInt32(text, false);
}

// Compared part by part from the major down; a required version that is
// not all numbers is never met.
bool MeetsVersion(const FileVersionParts& file, const std::string& required) {
  std::array<std::int32_t, 4> need{};
  for (std::int32_t part = 0; part < 4; ++part) {
    const auto number = VersionPart(part, required);
    if (!number) return false;
    need[part] = *number;
  }
  for (std::size_t part = 0; part < 4; ++part)
    if (file[part] != need[part]) return file[part] > need[part];
  return true;
}

// The versions read in one run of the checks: a path several products
// name is read once.
using VersionCache = std::map<std::string, std::optional<FileVersionParts>>;

bool FileTestPasses(const std::string& path, const std::string& requiredVersion,
                    VersionCache& versions) {
  if (path.empty()) return false;
  try {
    if (!Os().files->FindFirst(path, platform::EntryKinds::NormalFiles)) return false;
    auto cached = versions.find(path);
    if (cached == versions.end()) cached = versions.emplace(path, ReadFileVersion(path)).first;
    const auto& version = cached->second;
    if (!version) return requiredVersion.empty();
    if (requiredVersion == VersionText(*version)) return true;
    if (requiredVersion.empty()) return true;
    return MeetsVersion(*version, requiredVersion);
  } catch (const platform::OsError&) {
    // A path the system will not even search for is a missing file.
    return false;
  }
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

std::string FileTestPath(const Requirement& r) {
  if (UpperAscii(platform::TrimSpaces(r.FileName)) != "%REGVALUE%") return r.FileDir + r.FileName;
  std::string path = platform::TrimSpaces(r.RegData);
  path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
  return path;
}

void CheckRegistry(Requirement& r) {
  std::string actual;
  if (modRegistry::GetRegistryValue(r.RegRoot, r.RegKey, r.RegValueName, actual) != 0) {
    r.Found = false;
  } else if (r.RegData == actual) {
    r.Found = true;
  } else if (r.RegData.empty() && !actual.empty()) {
    r.Found = true;
    r.RegData = actual;
  } else {
    r.Found = false;
  }
}

}  // namespace

void ResetRequirements() { Requirements.assign(2, Requirement{}); }

std::int32_t ReadRequirements() {
  const std::string folder = ProgramFolder.empty()
                                 ? platform::WithTrailingBackslash(Os().app->ExecutableFolder())
                                 : ProgramFolder;
  const std::string path = folder + "filespecs.xml";
  AdvanceProgress(1);
  platform::FileSystem& files = *Os().files;
  if (files.TryOpenForRead(path) != platform::kOk) return ReportOpenFailure();
  AdvanceProgress(2);
  AdvanceProgress(5);
  // Hidden and system files do not count as the requirements file.
  if (!files.FindFirst(path, platform::EntryKinds::NormalFiles)) return 0;
  std::string bytes;
  // Gone or locked since the probe: the same as not opening at all.
  if (files.ReadAll(path, bytes) != platform::kOk) return ReportOpenFailure();
  ReadTags(bytes);
  AdvanceProgress(1);
  return 0;
}

std::string GetAttributeValue(const std::string& sTag, std::int32_t iWhich) {
  static constexpr std::string_view kAttributes[] = {"name=",  "root=",    "key=",  "value=",
                                                     "type=",  "data=",    "dir=",  "version=",
                                                     "source=", "location="};
  if (iWhich < 0 || iWhich > 9) return {};
  std::string value;
  const std::size_t at = FindWord(sTag, kAttributes[iWhich]);
  if (at != std::string::npos) {
    const std::size_t open = sTag.find('"', at);
    if (open != std::string::npos) {
      const std::size_t close = sTag.find('"', open + 1);
      if (close != std::string::npos) value = sTag.substr(open + 1, close - open - 1);
    }
  }
  if (iWhich == 1 || iWhich == 4) return NumberForName(value, iWhich);
  if (iWhich == 6 || iWhich == 9) ReplaceFolderToken(value);
  return value;
}

void AdvanceProgress(std::int16_t iStep) {
  ProgressTarget& bar = CurrentProgress();
  // Held to the 16-bit range instead of overflowing.
  const int sum = std::clamp(bar.TheBar() + static_cast<int>(iStep),
                             static_cast<int>(std::numeric_limits<std::int16_t>::min()),
                             static_cast<int>(std::numeric_limits<std::int16_t>::max()));
  bar.SetTheBar(static_cast<std::int16_t>(sum));
}

std::int32_t RunChecks() {
  VersionCache versions;
  for (std::size_t i = 0; i + 1 < Requirements.size(); ++i) {
    AdvanceProgress(2);
    Requirement& r = Requirements[i];
    if (!r.RegKey.empty()) CheckRegistry(r);
    if (!r.FileName.empty()) r.Found = FileTestPasses(FileTestPath(r), r.FileVersion, versions);
  }
  return 0;
}

std::int32_t GetVersionPart(std::int32_t iPart, const std::string& sVersion) {
  return VersionPart(iPart, sVersion).value_or(0);
}

}  // namespace modCheck
