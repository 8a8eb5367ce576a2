#include "tests/doubles/fake_os.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/text.h"

namespace fakes {
namespace {


std::string ParentKey(const std::string& key) {
  const auto slash = key.rfind('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string LastPart(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Wildcard match as a directory search does it, case ignored. Greedy, going
// back only to the last "*": a pattern of many stars takes time in
// proportion to its length, not exponential.
bool Matches(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '?' || (*pattern && *pattern != '*' && *pattern == *name)) {
      ++pattern;
      ++name;
    } else if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}


}  // namespace

// ---- files -------------------------------------------------------------

FakeFileSystem::FakeFileSystem() {
  for (const char* folder : {"C:", "C:\\windows", "C:\\windows\\system32", "C:\\ProgramData",
                             "C:\\users", "C:\\users\\tester", "C:\\users\\tester\\Documents",
                             "C:\\users\\tester\\Temp"}) {
    Entry e;
    e.path = folder;
    e.folder = true;
    entries_[Key(folder)] = e;
  }
}

std::string FakeFileSystem::Key(const std::string& path) {
  // "\x" is the root of the current drive; trailing backslashes name the
  // same entry.
  std::string p = path;
  if (p.size() >= 1 && p[0] == '\\' && (p.size() < 2 || p[1] != '\\')) p = "C:" + p;
  while (!p.empty() && p.back() == '\\') p.pop_back();
  std::string key = platform::LowerCase(p);
  for (;;) {
    const auto doubled = key.find("\\\\", 1);
    if (doubled == std::string::npos) break;
    key.erase(doubled, 1);
  }
  return key;
}

void FakeFileSystem::AddFolder(const std::string& path) {
  const std::string key = Key(path);
  if (key.empty() || entries_.count(key)) return;
  AddFolder(ParentKey(key));
  Entry e;
  e.path = path;
  e.folder = true;
  entries_[key] = e;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& bytes, bool hidden,
                             bool system) {
  const std::string key = Key(path);
  AddFolder(ParentKey(key));
  Entry e;
  e.path = path;
  e.bytes = bytes;
  e.hidden = hidden;
  e.system = system;
  entries_[key] = e;
}

void FakeFileSystem::AddFileOnSide(const std::string& path, int side, const std::string& bytes) {
  AddFile(path, bytes);
  entries_[Key(path)].side = side;
}

void FakeFileSystem::Lock(const std::string& path) {
  const auto it = entries_.find(Key(path));
  if (it != entries_.end()) it->second.locked = true;
}

const FakeFileSystem::Entry* FakeFileSystem::Find(const std::string& path) const {
  const auto it = entries_.find(Key(path));
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> FakeFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [key, entry] : entries_) paths.push_back(entry.path);
  return paths;
}

bool FakeFileSystem::Denied(const std::string& key) const {
  for (const auto& d : denied_)
    if (key == d || key.rfind(d + "\\", 0) == 0) return true;
  return false;
}

bool FakeFileSystem::HasParentFolder(const std::string& key) const {
  const auto parent = entries_.find(ParentKey(key));
  return parent != entries_.end() && parent->second.folder;
}

std::optional<std::string> FakeFileSystem::FindFirst(const std::string& pattern,
                                                     platform::EntryKinds kinds, Status& failure) {
  failure = platform::kOk;
  if (pattern.empty() || pattern.find_first_of("\"<>|") != std::string::npos) return std::nullopt;
  if (pattern.back() == '\\') return std::nullopt;
  const std::string key = Key(pattern);
  for (const auto& [folder, status] : unsearchable_)
    if (key.rfind(folder + "\\", 0) == 0) {
      failure = status;
      return std::nullopt;
    }
  const std::string folder = ParentKey(key);
  const std::string namePattern = pattern.find('\\') == std::string::npos
                                      ? platform::LowerCase(pattern)
                                      : LastPart(key);
  if (namePattern.find_first_of("*?") == std::string::npos) {
    const auto it = entries_.find(key);
    if (it == entries_.end() || !Visible(it->second)) return std::nullopt;
    const Entry& e = it->second;
    const bool plain = !e.hidden && !e.system;
    if (kinds == platform::EntryKinds::Any ||
        (plain && (!e.folder || kinds == platform::EntryKinds::FilesAndFolders)))
      return LastPart(e.path);
    return std::nullopt;
  }
  for (const auto& [k, e] : entries_) {
    if (ParentKey(k) != folder || !Visible(e) || !Matches(namePattern.c_str(), LastPart(k).c_str()))
      continue;
    const bool plain = !e.hidden && !e.system;
    if (kinds == platform::EntryKinds::Any ||
        (plain && (!e.folder || kinds == platform::EntryKinds::FilesAndFolders)))
      return LastPart(e.path);
  }
  return std::nullopt;
}

Status FakeFileSystem::TryOpenForRead(const std::string& path) {
  const Entry* e = Find(path);
  if (!e || path.find_first_of("*?") != std::string::npos) return platform::kErrorFileNotFound;
  return e->folder || e->locked ? platform::kErrorAccessDenied : platform::kOk;
}

Status FakeFileSystem::ReadAll(const std::string& path, std::string& bytes) {
  const Entry* e = Find(path);
  if (!e || e->folder) return platform::kErrorFileNotFound;
  if (e->locked) return platform::kErrorAccessDenied;
  bytes = e->bytes;
  return platform::kOk;
}

Status FakeFileSystem::CreateFolder(const std::string& path) {
  const std::string key = Key(path);
  if (!HasParentFolder(key)) return platform::kErrorPathNotFound;
  if (Denied(key)) return platform::kErrorAccessDenied;
  if (entries_.count(key)) return platform::kErrorAlreadyExists;
  Entry e;
  e.path = path;
  e.folder = true;
  entries_[key] = e;
  ++changes_;
  return platform::kOk;
}

Status FakeFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  const std::string key = Key(path);
  if (!HasParentFolder(key)) return platform::kErrorPathNotFound;
  if (Denied(key)) return platform::kErrorAccessDenied;
  const auto it = entries_.find(key);
  if (it != entries_.end() && it->second.folder) return platform::kErrorAccessDenied;
  if (held_.count(key)) return platform::kErrorSharingViolation;
  Entry e;
  e.path = path;
  e.bytes = bytes;
  entries_[key] = e;
  ++changes_;
  return platform::kOk;
}

Status FakeFileSystem::DeleteFile(const std::string& path) {
  const std::string key = Key(path);
  const auto it = entries_.find(key);
  if (it == entries_.end() || it->second.folder) return platform::kErrorFileNotFound;
  if (Denied(key)) return platform::kErrorAccessDenied;
  if (held_.count(key)) return platform::kErrorSharingViolation;
  ++changes_;
  if (!sticky_.count(ParentKey(key))) entries_.erase(it);
  return platform::kOk;
}

// Reads the entry's bytes as they are: no one can change them meanwhile.
class FakeHeldFile : public platform::HeldFile {
 public:
  FakeHeldFile(FakeFileSystem& files, std::string key) : files_(files), key_(std::move(key)) {
    files_.held_.insert(key_);
  }
  ~FakeHeldFile() override { files_.held_.erase(files_.held_.find(key_)); }
  Status Read(char* buffer, std::size_t size, std::size_t& got) override {
    const std::string& bytes = files_.entries_.at(key_).bytes;
    got = std::min(size, bytes.size() - at_);
    std::memcpy(buffer, bytes.data() + at_, got);
    at_ += got;
    return platform::kOk;
  }

 private:
  FakeFileSystem& files_;
  std::string key_;
  std::size_t at_ = 0;
};

void FakeFileSystem::AddDevice(const std::string& path) {
  AddFile(path);
  entries_[Key(path)].device = true;
}

Status FakeFileSystem::OpenHeld(const std::string& path, std::unique_ptr<platform::HeldFile>& file,
                                platform::FileKind& kind) {
  kind = platform::FileKind::Regular;
  const Entry* e = Find(path);
  if (!e || path.find_first_of("*?") != std::string::npos) return platform::kErrorFileNotFound;
  if (e->folder || e->device) {
    kind = e->folder ? platform::FileKind::Folder : platform::FileKind::Device;
    return platform::kErrorNotAFile;
  }
  if (e->locked) return platform::kErrorAccessDenied;
  file = std::make_unique<FakeHeldFile>(*this, Key(path));
  return platform::kOk;
}

bool FakeFileSystem::MayBlock(const std::string& path) {
  const std::string key = Key(path);
  if (key.rfind("\\\\", 0) == 0) return true;
  for (const std::string& folder : slow_)
    if (key == folder || key.rfind(folder + "\\", 0) == 0) return true;
  return false;
}

// ---- registry ----------------------------------------------------------

bool FakeRegistry::ValidRoot(std::int32_t root) {
  using namespace platform;
  return root == kHkeyClassesRoot || root == kHkeyCurrentUser || root == kHkeyLocalMachine ||
         root == kHkeyUsers || root == kHkeyCurrentConfig;
}

std::optional<std::string> FakeRegistry::KeyPath(std::int32_t root, const std::string& subKey) {
  // The system rejects a path that starts with a backslash.
  if (!ValidRoot(root) || (!subKey.empty() && subKey[0] == '\\')) return std::nullopt;
  std::string path = std::to_string(root);
  std::string rest = platform::LowerCase(subKey);
  while (!rest.empty() && rest.back() == '\\') rest.pop_back();
  if (!rest.empty()) path += "\\" + rest;
  return path;
}

void FakeRegistry::AddKey(std::int32_t root, const std::string& path) {
  const auto full = KeyPath(root, path);
  if (!full) return;
  // Every ancestor exists too.
  std::string prefix;
  std::size_t start = 0;
  for (;;) {
    const auto slash = full->find('\\', start);
    keys_[full->substr(0, slash)];
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
}

void FakeRegistry::Put(std::int32_t root, const std::string& path, const std::string& name,
                       std::uint32_t type, const std::string& bytes) {
  AddKey(root, path);
  keys_[*KeyPath(root, path)][platform::LowerCase(name)] = Value{type, bytes};
}

std::optional<FakeRegistry::Value> FakeRegistry::Get(std::int32_t root, const std::string& path,
                                                     const std::string& name) const {
  const auto full = KeyPath(root, path);
  if (!full) return std::nullopt;
  const auto key = keys_.find(*full);
  if (key == keys_.end()) return std::nullopt;
  const auto value = key->second.find(platform::LowerCase(name));
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

void FakeRegistry::PutOtherView(std::int32_t root, const std::string& path,
                                const std::string& name, std::uint32_t type,
                                const std::string& bytes) {
  if (const auto full = KeyPath(root, path))
    keys_[(oneView ? "" : kOtherView) + *full][platform::LowerCase(name)] = Value{type, bytes};
}

void FakeRegistry::Deny(std::int32_t root, const std::string& path) {
  if (const auto full = KeyPath(root, path)) denied_.insert(*full);
}

Status FakeRegistry::OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                           platform::RegKeyHandle& key) {
  key = 0;
  if (!ValidRoot(root)) return platform::kErrorInvalidHandle;
  auto full = KeyPath(root, subKey);
  if (full && denied_.count(*full)) return platform::kErrorAccessDenied;
  // A 64-bit Windows, as seen by a program of this bitness.
  const std::uint32_t otherView =
      programBits == 32 ? platform::kKeyWow64_64Key : platform::kKeyWow64_32Key;
  if (full && !oneView && (access & otherView)) *full = kOtherView + *full;
  if (!full || !keys_.count(*full)) return platform::kErrorFileNotFound;
  key = next_++;
  open_[key] = *full;
  return 0;
}

Status FakeRegistry::CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                             platform::RegKeyHandle& key) {
  key = 0;
  if (!ValidRoot(root)) return platform::kErrorInvalidHandle;
  if (!KeyPath(root, subKey)) return platform::kErrorFileNotFound;
  AddKey(root, subKey);
  return OpenKey(root, subKey, access, key);
}

std::string FakeRegistry::Answered(const Value& v) const {
  const bool text = v.type == platform::kRegSz || v.type == platform::kRegExpandSz ||
                    v.type == platform::kRegMultiSz;
  if (terminateStrings && text && !v.bytes.empty() && v.bytes.back() != '\0')
    return v.bytes + '\0';
  return v.bytes;
}

const FakeRegistry::Value* FakeRegistry::Lookup(platform::RegKeyHandle key,
                                                const std::string& valueName) const {
  const auto open = open_.find(key);
  if (open == open_.end()) return nullptr;
  const auto& values = keys_.at(open->second);
  const auto it = values.find(platform::LowerCase(valueName));
  return it == values.end() ? nullptr : &it->second;
}

Status FakeRegistry::QueryValueInfo(platform::RegKeyHandle key, const std::string& valueName,
                                  platform::RegValueInfo& info) {
  if (!open_.count(key)) return platform::kErrorInvalidHandle;
  const Value* v = Lookup(key, valueName);
  if (!v) return platform::kErrorFileNotFound;
  info.type = v->type;
  info.size = static_cast<std::uint32_t>(Answered(*v).size());
  return 0;
}

Status FakeRegistry::QueryValueData(platform::RegKeyHandle key, const std::string& valueName,
                                  std::uint32_t& type, std::string& data) {
  if (!open_.count(key)) return platform::kErrorInvalidHandle;
  const Value* v = Lookup(key, valueName);
  if (!v) return platform::kErrorFileNotFound;
  type = v->type;
  const std::string answer = Answered(*v);
  if (answer.size() > data.size()) return platform::kErrorMoreData;
  data = answer;
  return 0;
}

Status FakeRegistry::SetValue(platform::RegKeyHandle key, const std::string& valueName,
                            std::uint32_t type, const std::string& data) {
  const auto open = open_.find(key);
  if (open == open_.end()) return platform::kErrorInvalidHandle;
  keys_[open->second][platform::LowerCase(valueName)] = Value{type, data};
  return 0;
}

void FakeRegistry::CloseKey(platform::RegKeyHandle key) { open_.erase(key); }

// ---- folders -----------------------------------------------------------

namespace {
// Writes `text` and its NUL into the start of `buffer` as the system calls
// do; the rest of the buffer keeps its old contents.
std::uint32_t FillBuffer(std::string& buffer, const std::string& text) {
  if (text.size() + 1 > buffer.size()) return static_cast<std::uint32_t>(text.size() + 1);
  std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
  return static_cast<std::uint32_t>(text.size());
}
}  // namespace

Status FakeFolders::GetFolderPath(int csidl, std::uint32_t, std::string& buffer) {
  const auto it = special.find(csidl);
  // A failing call still clears the buffer's first character.
  const Status result = it == special.end() ? platform::kErrorInvalidParameter : it->second.result;
  if (result == 0)
    FillBuffer(buffer, it->second.path);
  else if (!buffer.empty())
    buffer[0] = '\0';
  return result;
}

std::uint32_t FakeFolders::GetTempPath(std::string& buffer) {
  return temp.empty() ? 0 : FillBuffer(buffer, temp);
}
std::uint32_t FakeFolders::GetSystemDirectory(std::string& buffer) {
  return FillBuffer(buffer, system);
}
std::uint32_t FakeFolders::GetWindowsDirectory(std::string& buffer) {
  return FillBuffer(buffer, windows);
}

// ---- versions ----------------------------------------------------------

namespace {
constexpr std::uint32_t kSignature = 0xFEEF04BD;
constexpr std::int32_t kResourceSize = 64;
}  // namespace

void FakeVersions::Set(const std::string& path, std::uint16_t major, std::uint16_t minor,
                       std::uint16_t build, std::uint16_t revision) {
  files_[FakeFileSystem::Key(path)] = {static_cast<std::uint32_t>(major) << 16 | minor,
                                       static_cast<std::uint32_t>(build) << 16 | revision};
}

std::int32_t FakeVersions::GetSize(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos) return 0;
  return files_.count(FakeFileSystem::Key(path)) ? kResourceSize : 0;
}

Status FakeVersions::GetData(const std::string& path, std::vector<std::uint8_t>& data) {
  const auto it = files_.find(FakeFileSystem::Key(path));
  if (it == files_.end()) return platform::kErrorFileNotFound;
  if (data.size() < 12) return platform::kErrorInvalidParameter;
  const std::uint32_t words[3] = {kSignature, it->second.fileVersionMS, it->second.fileVersionLS};
  std::memcpy(data.data(), words, sizeof words);
  return platform::kOk;
}

std::optional<platform::FixedFileInfo> FakeVersions::QueryFixed(
    const std::vector<std::uint8_t>& data) {
  if (data.size() < 12) return std::nullopt;
  std::uint32_t words[3];
  std::memcpy(words, data.data(), sizeof words);
  if (words[0] != kSignature) return std::nullopt;
  return platform::FixedFileInfo{words[1], words[2]};
}

// ---- shell, boxes, messages --------------------------------------------

Status FakeShell::Execute(const std::string& verb, const std::string& file,
                          const std::optional<std::string>& parameters,
                          const std::string& directory, int show, platform::WindowHandle owner,
                          std::intptr_t& shellResult) {
  calls.push_back({verb, file, parameters, directory, show, owner});
  Points().Reached();
  if (whileOpening) std::exchange(whileOpening, nullptr)();
  shellResult = result;
  return result > 32 ? platform::kOk : static_cast<Status>(result);
}

int FakeMessageBoxes::Show(const std::string& text, const std::string& title,
                           std::uint32_t style) {
  shown.push_back({text, title, style});
  Points().Reached();
  if (whileShown) {
    const auto act = std::move(whileShown);
    whileShown = nullptr;
    act();
  }
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  switch (style & 0xF) {
    case platform::kMbYesNo: return platform::kIdYes;
    default: return platform::kIdOk;
  }
}

std::string FakeSystemMessages::Describe(Status status) {
  const auto it = texts.find(status);
  return it == texts.end() ? std::string() : it->second;
}

// ---- hashes -------------------------------------------------------------

namespace {

// Not SHA-256: the same bytes give the same digest and other bytes another.
platform::Sha256Digest StandInDigest(const std::string& bytes) {
  platform::Sha256Digest digest{};
  for (std::size_t i = 0; i < digest.size(); ++i)
    digest[i] = static_cast<std::uint8_t>(std::hash<std::string>{}(std::to_string(i) + bytes));
  return digest;
}

class StandInSha256 : public platform::Sha256State {
 public:
  Status Update(const char* bytes, std::size_t size) override {
    bytes_.append(bytes, size);
    return platform::kOk;
  }
  Status Finish(platform::Sha256Digest& digest) override {
    digest = StandInDigest(bytes_);
    return platform::kOk;
  }

 private:
  std::string bytes_;
};

}  // namespace

Status FakeHasher::NewSha256(std::unique_ptr<platform::Sha256State>& state) {
  ++calls;
  state = std::make_unique<StandInSha256>();
  return platform::kOk;
}

Status FakeHasher::Sha256(const std::string& path, platform::Sha256Digest& digest) {
  const FakeFileSystem::Entry* e = files_.Find(path);
  if (!e || e->folder) return platform::kErrorFileNotFound;
  digest = StandInDigest(e->bytes);
  return platform::kOk;
}

// ---- code page 1252 ----------------------------------------------------

std::string FakeCodePage::ToAnsi(const std::string& text) {
  if (utf8) return text;
  if (!bestFit) return platform::Utf8ToWindows1252(text);
  std::string fitted = text;
  static const std::pair<const char*, const char*> kLookAlikes[] = {
      {"\xC5\x81", "L"}, {"\xC5\x82", "l"}, {"\xC5\x9A", "S"}, {"\xC4\x8C", "C"}};
  for (const auto& [from, to] : kLookAlikes)
    for (std::size_t at; (at = fitted.find(from)) != std::string::npos;)
      fitted.replace(at, std::string_view(from).size(), to);
  return platform::Utf8ToWindows1252(fitted);
}

std::string FakeCodePage::FromAnsi(const std::string& ansi) {
  return utf8 ? ansi : platform::Windows1252ToUtf8(ansi);
}

std::string FakeCodePage::FromLegacyAnsi(const std::string& bytes) {
  return platform::Windows1252ToUtf8(bytes);
}

// ---- all of them -------------------------------------------------------

FakeOs::FakeOs() : previous_(platform::Os()) {
  platform::Services s;
  s.registry = &registry;
  s.files = &files;
  s.folders = &folders;
  s.versions = &versions;
  s.shell = &shell;
  s.messageBoxes = &messageBoxes;
  s.messages = &messages;
  s.app = &app;
  s.clock = &clock;
  s.codePage = &codePage;
  s.windows = &windows;
  s.forms = &forms;
  s.clipboard = &clipboard;
  s.wow64 = &wow64;
  s.hasher = &hasher;
  s.background = &background;
  platform::Install(s);
  Points() = {};
  files.AddFolder(app.folder);
}

FakeOs::~FakeOs() { platform::Install(previous_); }

void FakeOs::RunOn32BitWindows() {
  wow64.wow64 = false;
  wow64.programBits = registry.programBits = 32;
  registry.oneView = true;
}

}  // namespace fakes
