// The component checks: Found for every product of Requirements, and beside
// it the evidence of how it was decided.
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/services.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "requirements/modRegistry.h"
#include "requirements/numbers.h"
#include "requirements/progress.h"

namespace modCheck {
namespace {

using platform::Os;

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

// Compared part by part from the major down; none when the required
// version is not all numbers, which is never met.
std::optional<bool> MeetsVersion(const FileVersionParts& file, const std::string& required) {
  std::array<std::int32_t, 4> need{};
  for (std::int32_t part = 0; part < 4; ++part) {
    const auto number = VersionPart(part, required);
    if (!number) return std::nullopt;
    need[part] = *number;
  }
  for (std::size_t part = 0; part < 4; ++part)
    if (file[part] != need[part]) return file[part] > need[part];
  return true;
}

// The versions read in one run of the checks: a path several products
// name is read once on each side of 64-bit Windows.
using VersionCache = std::map<std::pair<int, std::string>, std::optional<FileVersionParts>>;

// Only a normal file counts; when none matches, a second look says what
// did, for the explanation alone.
FilePresence LookFor(const std::string& path, std::string& matched, platform::Status& failure) {
  if (path.empty()) return FilePresence::NoPath;
  platform::FileSystem& files = *Os().files;
  if (auto name = files.FindFirst(path, platform::EntryKinds::NormalFiles, failure)) {
    matched = std::move(*name);
    return FilePresence::Present;
  }
  if (failure != platform::kOk || !files.FindFirst(path, platform::EntryKinds::Any))
    return FilePresence::Absent;
  return files.FindFirst(path, platform::EntryKinds::FilesAndFolders) ? FilePresence::Folder
                                                                      : FilePresence::HiddenOrSystem;
}

// A file that is on the other side of 64-bit Windows only: the side, or 0.
int OtherSideBits(const FileEvidence& f) {
  platform::Wow64* wow64 = Os().wow64;
  if (f.presence != FilePresence::Absent || f.searchFailure != platform::kOk || !wow64 ||
      !wow64->IsWow64Process())
    return 0;
  platform::ScopedNativeFileSystem native(wow64, f.viewBits != 64);
  if (native.active() == (f.viewBits == 64)) return 0;
  return Os().files->FindFirst(f.path, platform::EntryKinds::NormalFiles)
             ? (native.active() ? 64 : 32)
             : 0;
}

bool CheckFile(FileEvidence& f, VersionCache& versions) {
  f.ran = true;
  const std::optional<FileVersionParts>* read = nullptr;
  {
    // Only the search and the version read see the 64-bit side.
    platform::ScopedNativeFileSystem native(Os().wow64, ViewBits(f.viewAttribute) == 64);
    f.viewBits = native.active() ? 64 : 0;
    f.presence = LookFor(f.path, f.matchedName, f.searchFailure);
    if (f.presence == FilePresence::Present) {
      const auto key = std::make_pair(f.viewBits, f.path);
      auto cached = versions.find(key);
      if (cached == versions.end()) cached = versions.emplace(key, ReadFileVersion(f.path)).first;
      read = &cached->second;
    }
  }
  if (f.presence != FilePresence::Present) {
    if (SearchFailureOf(f.searchFailure) == SearchFailure::Other && Os().messages)
      f.searchFailureText = Os().messages->Describe(f.searchFailure);
    f.otherSideBits = OtherSideBits(f);
    return false;
  }
  const auto& version = *read;
  f.hasVersion = version.has_value();
  if (version) f.version = VersionText(*version);
  if (!version) {
    f.outcome = f.required.empty() ? VersionOutcome::NoneRequired : VersionOutcome::NoVersionInfo;
  } else if (f.required == f.version) {
    f.outcome = VersionOutcome::Exact;
  } else if (f.required.empty()) {
    f.outcome = VersionOutcome::NoneRequired;
  } else {
    const auto meets = MeetsVersion(*version, f.required);
    f.outcome = !meets ? VersionOutcome::RequiredNotNumbers
                       : *meets ? VersionOutcome::AtLeast : VersionOutcome::Older;
  }
  return f.outcome == VersionOutcome::NoneRequired || f.outcome == VersionOutcome::Exact ||
         f.outcome == VersionOutcome::AtLeast;
}

// A path on a network share that dropped holds every call on it for the
// network's time-out: such a path is checked away from the window, whose
// messages run meanwhile, on copies the check owns (given up when the
// checker ends, it finishes unseen).
bool CheckFileWhereItCannotHold(FileEvidence& f, VersionCache& versions) {
  if (!Os().files->MayBlock(f.path)) return CheckFile(f, versions);
  struct Job {
    FileEvidence evidence;
    bool found = false;
  };
  auto job = std::make_shared<Job>(Job{f});
  const bool done = platform::RunAwayFromTheWindow(
      true,
      [job] {
        VersionCache own;
        job->found = CheckFile(job->evidence, own);
      },
      [] { return !SearchCancelled(); });
  if (!done) return false;
  f = job->evidence;
  return job->found;
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

void FileTestPath(const Requirement& r, FileEvidence& f) {
  f.fromRegistry = UpperAscii(platform::TrimSpaces(r.FileName)) == "%REGVALUE%";
  if (!f.fromRegistry) {
    f.path = r.FileDir + r.FileName;
    return;
  }
  f.path = platform::TrimSpaces(r.RegData);
  f.path.erase(std::remove(f.path.begin(), f.path.end(), '"'), f.path.end());
}

RegistryOutcome OutcomeOf(const modRegistry::ReadDetail& d, platform::Status& status) {
  if (!d.validRoot) return RegistryOutcome::InvalidRoot;
  status = d.openStatus != platform::kOk ? d.openStatus : d.queryStatus;
  const bool opened = d.openStatus == platform::kOk;
  if (status == platform::kErrorFileNotFound || status == platform::kErrorPathNotFound)
    return opened ? RegistryOutcome::NoValue : RegistryOutcome::NoKey;
  if (status == platform::kErrorAccessDenied) return RegistryOutcome::AccessDenied;
  return RegistryOutcome::OtherError;
}

bool CheckRegistry(Requirement& r, RegistryEvidence& e) {
  e.ran = true;
  e.root = r.RegRoot;
  e.expected = r.RegData;
  e.viewAttribute = r.RegView;
  const int requested = ViewBits(r.RegView);
  const int viewRead = modRegistry::ViewRead(requested);
  if (requested != 0 && viewRead != modRegistry::OwnViewBits()) e.viewBits = viewRead;
  std::string actual;
  modRegistry::ReadDetail detail;
  const bool read = modRegistry::GetRegistryValue(r.RegRoot, r.RegKey, r.RegValueName, actual,
                                                  detail, requested) == 0;
  e.key = r.RegKey;
  e.valueName = r.RegValueName;
  if (!read) {
    e.outcome = OutcomeOf(detail, e.status);
    if (e.outcome == RegistryOutcome::OtherError)
      e.statusText = Os().messages ? Os().messages->Describe(e.status) : std::string();
    // The usual reason an installed product shows as missing: it wrote to
    // the registry view that was not read. Looked at, never used.
    if (auto other = modRegistry::ReadOtherView(r.RegRoot, r.RegKey, r.RegValueName, viewRead,
                                                e.otherType)) {
      e.inOtherView = true;
      e.otherText = std::move(*other);
      e.otherViewBits = viewRead == 64 ? 32 : 64;
    }
    return false;
  }
  e.text = actual;
  e.type = detail.type;
  if (r.RegData == actual) {
    e.match = r.RegData.empty() ? DataMatch::AnyData : DataMatch::Equal;
    return true;
  }
  if (r.RegData.empty() && !actual.empty()) {
    e.match = DataMatch::AnyData;
    r.RegData = actual;
    return true;
  }
  e.match = DataMatch::Differs;
  return false;
}

}  // namespace

std::int32_t RunChecks() {
  VersionCache versions;
  Evidences.assign(Requirements.empty() ? 0 : Requirements.size() - 1, Evidence{});
  for (std::size_t i = 0; i + 1 < Requirements.size() && !SearchCancelled(); ++i) {
    AdvanceProgress(2);
    Requirement& r = Requirements[i];
    Evidence& e = Evidences[i];
    if (!r.RegKey.empty()) {
      r.Found = CheckRegistry(r, e.registry);
      e.decider = Decider::Registry;
    }
    if (!r.FileName.empty()) {
      FileTestPath(r, e.file);
      e.file.required = r.FileVersion;
      e.file.viewAttribute = r.FileView;
      r.Found = CheckFileWhereItCannotHold(e.file, versions);
      e.decider = Decider::File;
    }
    e.found = r.Found;
  }
  return 0;
}

std::int32_t GetVersionPart(std::int32_t iPart, const std::string& sVersion) {
  return VersionPart(iPart, sVersion).value_or(0);
}

}  // namespace modCheck
