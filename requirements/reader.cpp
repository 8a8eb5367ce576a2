#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/services.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "requirements/numbers.h"
#include "requirements/progress.h"
#include "requirements/reader.h"

namespace modCheck {

std::vector<Requirement> Requirements(2);
std::string ProgramFolder;

const std::array<NamedNumber, 5> kRootNames = {{{"HKEY_CLASSES_ROOT", platform::kHkeyClassesRoot},
                                                {"HKEY_CURRENT_USER", platform::kHkeyCurrentUser},
                                                {"HKEY_LOCAL_MACHINE", platform::kHkeyLocalMachine},
                                                {"HKEY_USERS", platform::kHkeyUsers},
                                                {"HKEY_CURRENT_CONFIG", platform::kHkeyCurrentConfig}}};
const std::array<NamedNumber, 5> kTypeNames = {{{"REG_SZ", platform::kRegSz},
                                                {"REG_EXPAND_SZ", platform::kRegExpandSz},
                                                {"REG_BINARY", platform::kRegBinary},
                                                {"REG_DWORD", platform::kRegDword},
                                                {"REG_MULTI_SZ", platform::kRegMultiSz}}};

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

}  // namespace

// One pass over the raw bytes: the keywords are ASCII, so case folding of
// ASCII letters is all that ignoring case needs, and most tags never have
// to be converted at all.
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

namespace {

// The entry the record went into; none when the list was full.
std::optional<std::size_t> StoreWorkingRecord(std::vector<Requirement>& list,
                                              const Requirement& work) {
  if (list.size() < 2) list.resize(2);
  const std::size_t upper = list.size() - 1;
  if (list[upper - 1].ProductName.empty()) {
    list[upper - 1] = work;
    return upper - 1;
  }
  // A full list keeps the products it has: the index width allows no more.
  if (upper >= kMaxUpperIndex) return std::nullopt;
  list.emplace_back();
  list[upper] = work;
  return upper;
}

constexpr std::string_view kAttributes[] = {
    "name=", "root=",    "key=",    "value=",    "type=", "data=",
    "dir=",  "version=", "source=", "location=", "view=", "sha256="};

// Where the value of attribute `which` lies in a tag's text, as the reader
// cuts it: after the name, from the first double quote to the next.
struct ValueSpan {
  std::size_t name = std::string_view::npos;  // none when the tag lacks it
  std::size_t open = std::string_view::npos, close = std::string_view::npos;
};

ValueSpan FindValue(std::string_view tag, std::int32_t which) {
  ValueSpan span;
  span.name = FindWord(tag, kAttributes[which]);
  if (span.name == std::string_view::npos) return span;
  span.open = tag.find('"', span.name);
  if (span.open != std::string_view::npos) span.close = tag.find('"', span.open + 1);
  return span;
}

std::string NumberForName(const std::string& value, std::int32_t iWhich);
void ReplaceFolderToken(std::string& value);

std::string ValueOf(std::string_view tag, const ValueSpan& span, std::int32_t which) {
  std::string value;
  if (span.close != std::string_view::npos)
    value = std::string(tag.substr(span.open + 1, span.close - span.open - 1));
  if (which == 1 || which == 4) return NumberForName(value, which);
  if (which == 6 || which == 9) ReplaceFolderToken(value);
  return value;
}

// The offset in the raw tag of the n-th `c` of the decoded one. A double
// quote and "=" are single bytes below 0x40 in every code page the checker
// reads, never part of another character and never produced by decoding
// one, so their order is the same in both.
std::size_t RawOffsetOf(std::string_view raw, std::string_view decoded, std::size_t at) {
  if (raw.size() == decoded.size()) return at;  // ASCII, or not decoded at all
  const char c = decoded[at];
  const auto nth = static_cast<std::size_t>(
      std::count(decoded.begin(), decoded.begin() + static_cast<std::ptrdiff_t>(at), c));
  std::size_t found = 0;
  for (std::size_t i = 0; i < raw.size(); ++i)
    if (raw[i] == c && found++ == nth) return i;
  return raw.size();
}

// Where an attribute and its value lie in the file, for the observer.
AttributeRead LocateAttribute(std::string_view raw, std::string_view tag, std::size_t offset,
                              const ValueSpan& span, std::int32_t which) {
  AttributeRead a;
  a.which = which;
  const std::size_t length = kAttributes[which].size();
  const std::size_t equals = span.name + length - 1;
  const std::size_t rawEquals = RawOffsetOf(raw, tag, equals);
  a.nameOffset = offset + rawEquals - (length - 1);
  a.repeated = FindWord(tag.substr(span.name + 1), kAttributes[which]) != std::string_view::npos;
  const std::size_t next = tag.find_first_not_of(" \t\r\n", equals + 1);
  const char after = next == std::string_view::npos ? '\0' : tag[next];
  if (after == '"')
    a.quoting = span.close == std::string_view::npos ? Quoting::Unclosed : Quoting::Double;
  else
    a.quoting = after == '\'' ? Quoting::Single : Quoting::Unquoted;
  a.valueOffset = offset + rawEquals + 1;
  if (span.close != std::string_view::npos) {
    const std::size_t open = RawOffsetOf(raw, tag, span.open);
    a.valueOffset = offset + open + 1;
    a.valueLength = RawOffsetOf(raw, tag, span.close) - open - 1;
  } else if (span.open != std::string_view::npos) {
    a.valueOffset = offset + RawOffsetOf(raw, tag, span.open) + 1;
  }
  return a;
}

// A tag's attribute values, each reported to the observer where there is one.
class TagValues {
 public:
  TagValues(std::string_view raw, const std::string& tag, std::size_t offset,
            ReadObserver* observer)
      : raw_(raw), tag_(tag), offset_(offset), observer_(observer) {}
  std::string operator()(std::int32_t which) const {
    const ValueSpan span = FindValue(tag_, which);
    if (observer_ && span.name != std::string_view::npos)
      observer_->OnAttribute(LocateAttribute(raw_, tag_, offset_, span, which));
    return ValueOf(tag_, span, which);
  }

 private:
  std::string_view raw_;
  const std::string& tag_;
  std::size_t offset_;
  ReadObserver* observer_;
};

// Root and type that are no number leave the registry entry unreadable
// (root 0), so it can never count as found.
void ReadRegistryEntry(const TagValues& value, Requirement& work) {
  const auto root = requirements::ParseInt32(value(1), true);
  const auto type = requirements::ParseInt32(value(4), true);
  work.RegRoot = root && type ? *root : 0;
  work.RegKey = value(2);
  work.RegValueName = value(3);
  work.RegType = type.value_or(0);
  work.RegData = value(5);
  work.RegView = value(10);
}

// What the tag does to the working record; an end of product is left to
// the caller, which stores it.
TagKind ApplyTag(std::string_view rawTag, std::size_t offset, platform::StoredEncoding encoding,
                 Requirement& work, ReadObserver* observer) {
  const TagKind kind = ClassifyTag(rawTag);
  if (kind == TagKind::Other || kind == TagKind::SystemSearch || kind == TagKind::EndProduct)
    return kind;
  const std::string tag = DecodeTag(rawTag, encoding);
  const TagValues value(rawTag, tag, offset, observer);
  switch (kind) {
    case TagKind::Product: work.ProductName = value(0); break;
    case TagKind::RegistryEntry: ReadRegistryEntry(value, work); break;
    case TagKind::FileEntry:
      work.FileName = value(0);
      work.FileDir = value(6);
      work.FileVersion = value(7);
      work.FileView = value(10);
      break;
    case TagKind::Remedy:
      work.RemedySource = value(8);
      work.RemedyLocation = value(9);
      work.RemedySha256 = value(11);
      break;
    default:
      break;
  }
  return kind;
}

std::int32_t ReportOpenFailure() {
  // Always the text for "open failed", whatever the reason was.
  std::string text = platform::TrimLineEnd(Os().messages->Describe(platform::kErrorOpenFailed));
  if (text.empty()) text = "The requirements file could not be opened.";
  Os().messageBoxes->Show(text, platform::T("Error"), platform::kMbOk | platform::kMbIconStop);
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
  for (const NamedNumber& name : iWhich == 1 ? kRootNames : kTypeNames)
    if (value == name.name) return std::to_string(name.number);
  return value;
}

}  // namespace

void ResetRequirements() {
  Requirements.assign(2, Requirement{});
  Evidences.clear();
  ResumeSearches();
}

bool NamesNoProducts() { return Requirements.size() == 2 && Requirements[0].ProductName.empty(); }

std::int32_t ReadRequirements() {
  const std::string folder = ProgramFolder.empty()
                                 ? platform::WithTrailingBackslash(Os().app->ExecutableFolder())
                                 : ProgramFolder;
  const std::string path = folder + "filespecs.xml";
  AdvanceProgress(1);
  // Probed, then read: on a network share that dropped, away from the
  // window, which keeps answering meanwhile.
  struct Job {
    platform::Status opened = platform::kOk, read = platform::kOk;
    bool normalFile = false;
    std::string bytes;
  };
  auto job = std::make_shared<Job>();
  platform::FileSystem& files = *Os().files;
  const bool done = platform::RunAwayFromTheWindow(
      files.MayBlock(path),
      [job, path] {
        platform::FileSystem& fs = *Os().files;
        job->opened = fs.TryOpenForRead(path);
        if (job->opened != platform::kOk) return;
        // Hidden and system files do not count as the requirements file.
        job->normalFile = fs.FindFirst(path, platform::EntryKinds::NormalFiles).has_value();
        if (job->normalFile) job->read = fs.ReadAll(path, job->bytes);
      },
      [] { return !SearchCancelled(); });
  // Given up, or the checker was closed while the bar let messages run:
  // nothing is read, and no box is shown for a window that is gone.
  if (!done || SearchCancelled()) return 0;
  if (job->opened != platform::kOk) return ReportOpenFailure();
  AdvanceProgress(2);
  AdvanceProgress(5);
  if (!job->normalFile) return 0;
  // Gone or locked since the probe: the same as not opening at all.
  if (job->read != platform::kOk) return ReportOpenFailure();
  ReadRequirementsText(job->bytes, Requirements);
  AdvanceProgress(1);
  return 0;
}

std::string GetAttributeValue(const std::string& sTag, std::int32_t iWhich) {
  if (iWhich < 0 || iWhich > 11) return {};
  return ValueOf(sTag, FindValue(sTag, iWhich), iWhich);
}

int ViewBits(const std::string& sView, bool* known) {
  const int bits = sView == "64" ? 64 : sView == "32" ? 32 : 0;
  if (known) *known = bits != 0 || sView.empty();
  return bits;
}

std::string DecodeTag(std::string_view bytes, platform::StoredEncoding encoding) {
  if (encoding == platform::StoredEncoding::Utf8) return std::string(bytes);
  return Os().codePage->FromLegacyAnsi(std::string(bytes));
}

void AdvanceProgress(std::int16_t iStep) {
  // A checker closed meanwhile shows no bar any more.
  if (SearchCancelled()) return;
  ProgressTarget& bar = CurrentProgress();
  // Held to the 16-bit range instead of overflowing.
  const int sum = std::clamp(bar.TheBar() + static_cast<int>(iStep),
                             static_cast<int>(std::numeric_limits<std::int16_t>::min()),
                             static_cast<int>(std::numeric_limits<std::int16_t>::max()));
  bar.SetTheBar(static_cast<std::int16_t>(sum));
}

// Cuts the text into tags exactly as reading one character at a time up to
// each ">" would, and drops what precedes a tag's first "<".
void ReadRequirementsText(std::string_view bytes, std::vector<Requirement>& list,
                          ReadObserver* observer) {
  ReadRequirementsText(bytes, platform::EncodingOf(bytes), list, observer);
}

void ReadRequirementsText(std::string_view bytes, platform::StoredEncoding encoding,
                          std::vector<Requirement>& list, ReadObserver* observer) {
  Requirement work;
  // The keywords are ASCII in either encoding, so only the tags read for
  // their values are decoded.
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  for (const char* at = begin; at < end && !SearchCancelled();) {
    AdvanceProgress(1);
    const auto* gt = static_cast<const char*>(std::memchr(at, '>', end - at));
    const char* tagEnd = gt ? gt + 1 : end;
    const auto* lt = static_cast<const char*>(std::memchr(at, '<', tagEnd - at));
    const char* tagStart = lt ? lt : at;
    const std::string_view tag(tagStart, tagEnd - tagStart);
    const std::size_t offset = static_cast<std::size_t>(tagStart - begin);
    const TagKind kind = ApplyTag(tag, offset, encoding, work, observer);
    if (observer) observer->OnTag(offset, tag, kind, work);
    if (kind == TagKind::EndProduct) {
      const auto index = StoreWorkingRecord(list, work);
      if (observer) observer->OnStored(index.value_or(list.size()), work, !index);
    }
    at = tagEnd;
  }
}

}  // namespace modCheck
