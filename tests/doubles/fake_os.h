#pragma once
// In-memory doubles of every operating-system service, with the behaviour
// the contract tests pin down against the real system under Wine.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"
#include "platform/text.h"
#include "tests/doubles/fake_forms.h"
#include "tests/doubles/fake_windows.h"

namespace fakes {

using platform::Status;

class FakeFileSystem : public platform::FileSystem {
 public:
  struct Entry {
    std::string path;  // as created, e.g. "C:\ProgramData\Zantrix Software"
    bool folder = false;
    bool hidden = false;
    bool system = false;
    bool locked = false;  // cannot be opened for reading
    bool device = false;  // a device or pipe by that name
    std::string bytes;
    // 0: seen from both sides of 64-bit Windows; 64: only with file-system
    // redirection off (the 64-bit system folder); 32: only with it on.
    int side = 0;
  };

  FakeFileSystem();
  void AddFolder(const std::string& path);  // creates missing parents
  void AddFile(const std::string& path, const std::string& bytes = {}, bool hidden = false,
               bool system = false);
  // A file on one side of 64-bit Windows only (Entry::side).
  void AddFileOnSide(const std::string& path, int side, const std::string& bytes = {});
  // True while redirection is off (FakeWow64).
  bool native = false;
  // The file can no longer be opened for reading (in use, no access).
  void Lock(const std::string& path);
  // A device or pipe at `path` (COM1, \\.\pipe\x).
  void AddDevice(const std::string& path);
  // Calls on paths below `folder` may hold their caller (a network share).
  void MarkSlow(const std::string& folder) { slow_.insert(Key(folder)); }
  // Whether someone holds the file open (OpenHeld).
  bool Held(const std::string& path) const { return held_.count(Key(path)) != 0; }
  // Changes below `folder` fail with access denied.
  void DenyWrites(const std::string& folder) { denied_.insert(Key(folder)); }
  // Searches below `folder` cannot look: `status` says why (access denied,
  // a drive not ready, a network path out of reach).
  void FailSearches(const std::string& folder, Status status) { unsearchable_[Key(folder)] = status; }
  // A deletion inside `folder` reports success but leaves the file there.
  void KeepDeletedFilesIn(const std::string& folder) { sticky_.insert(Key(folder)); }
  bool Exists(const std::string& path) const { return entries_.count(Key(path)) != 0; }
  const Entry* Find(const std::string& path) const;
  std::vector<std::string> Paths() const;
  int changes() const { return changes_; }

  using platform::FileSystem::FindFirst;
  std::optional<std::string> FindFirst(const std::string& pattern, platform::EntryKinds kinds,
                                       Status& failure) override;
  Status TryOpenForRead(const std::string& path) override;
  Status ReadAll(const std::string& path, std::string& bytes) override;
  Status CreateFolder(const std::string& path) override;
  Status WriteFile(const std::string& path, const std::string& bytes) override;
  Status DeleteFile(const std::string& path) override;
  Status OpenHeld(const std::string& path, std::unique_ptr<platform::HeldFile>& file,
                  platform::FileKind& kind) override;
  bool MayBlock(const std::string& path) override;

  static std::string Key(const std::string& path);

 private:
  bool Denied(const std::string& key) const;
  bool Visible(const Entry& e) const { return e.side == 0 || (e.side == 64) == native; }
  bool HasParentFolder(const std::string& key) const;
  std::map<std::string, Entry> entries_;  // by Key()
  std::set<std::string> denied_;
  std::set<std::string> sticky_;
  std::map<std::string, Status> unsearchable_;
  std::set<std::string> slow_;
  std::multiset<std::string> held_;
  int changes_ = 0;
  friend class FakeHeldFile;
};

class FakeRegistry : public platform::Registry {
 public:
  struct Value {
    std::uint32_t type = 0;
    std::string bytes;
  };
  void AddKey(std::int32_t root, const std::string& path);
  void Put(std::int32_t root, const std::string& path, const std::string& name,
           std::uint32_t type, const std::string& bytes);
  void PutString(std::int32_t root, const std::string& path, const std::string& name,
                 const std::string& text) {
    Put(root, path, name, platform::kRegSz, text + '\0');
  }
  std::optional<Value> Get(std::int32_t root, const std::string& path,
                           const std::string& name) const;
  // A value only the other registry view holds (the 64-bit one for a
  // 32-bit build and the other way round), as on 64-bit Windows.
  void PutOtherView(std::int32_t root, const std::string& path, const std::string& name,
                    std::uint32_t type, const std::string& bytes);
  // Opening the key is refused.
  void Deny(std::int32_t root, const std::string& path);
  int openHandles() const { return static_cast<int>(open_.size()); }
  // Wine answers a string stored without its NUL as if it had one; some
  // systems answer the bytes as stored. False models the latter.
  bool terminateStrings = true;
  // The program's bitness, and whether Windows has one view only (32-bit
  // Windows): then the view flags are ignored and PutOtherView lands in it.
  int programBits = sizeof(void*) == 4 ? 32 : 64;
  bool oneView = false;

  Status OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
               platform::RegKeyHandle& key) override;
  Status CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                 platform::RegKeyHandle& key) override;
  Status QueryValueInfo(platform::RegKeyHandle key, const std::string& valueName,
                      platform::RegValueInfo& info) override;
  Status QueryValueData(platform::RegKeyHandle key, const std::string& valueName,
                      std::uint32_t& type, std::string& data) override;
  Status SetValue(platform::RegKeyHandle key, const std::string& valueName, std::uint32_t type,
                const std::string& data) override;
  void CloseKey(platform::RegKeyHandle key) override;

 private:
  static bool ValidRoot(std::int32_t root);
  static std::optional<std::string> KeyPath(std::int32_t root, const std::string& subKey);
  const Value* Lookup(platform::RegKeyHandle key, const std::string& valueName) const;
  std::string Answered(const Value& v) const;
  std::map<std::string, std::map<std::string, Value>> keys_;  // lower-case paths and names
  std::map<platform::RegKeyHandle, std::string> open_;
  std::set<std::string> denied_;
  static constexpr const char* kOtherView = "other view|";
  platform::RegKeyHandle next_ = 0x100;
};

class FakeFolders : public platform::SystemFolders {
 public:
  struct Answer {
    Status result = 0;
    std::string path;
  };
  std::map<int, Answer> special{
      {platform::kCsidlCommonAppData, {0, "C:\\ProgramData"}},
      {platform::kCsidlPersonal, {0, "C:\\users\\tester\\Documents"}},
      {platform::kCsidlMyDocuments, {platform::kErrorInvalidParameter, ""}},
  };
  std::string temp = "C:\\users\\tester\\Temp\\";  // empty: the call fails
  std::string system = "C:\\windows\\system32";
  std::string windows = "C:\\windows";

  Status GetFolderPath(int csidl, std::uint32_t flags, std::string& buffer) override;
  std::uint32_t GetTempPath(std::string& buffer) override;
  std::uint32_t GetSystemDirectory(std::string& buffer) override;
  std::uint32_t GetWindowsDirectory(std::string& buffer) override;
  std::map<platform::NamedFolder, std::string> exact;
  std::string ExactName(platform::NamedFolder folder) override {
    const auto it = exact.find(folder);
    return it == exact.end() ? std::string() : it->second;
  }
};

class FakeVersions : public platform::VersionInfo {
 public:
  // A file with version resource major.minor.build.revision.
  void Set(const std::string& path, std::uint16_t major, std::uint16_t minor,
           std::uint16_t build, std::uint16_t revision);
  std::int32_t GetSize(const std::string& path) override;
  Status GetData(const std::string& path, std::vector<std::uint8_t>& data) override;
  std::optional<platform::FixedFileInfo> QueryFixed(
      const std::vector<std::uint8_t>& data) override;

 private:
  std::map<std::string, platform::FixedFileInfo> files_;  // by FakeFileSystem::Key
};

class FakeShell : public platform::Shell {
 public:
  struct Call {
    std::string verb, file;
    std::optional<std::string> parameters;
    std::string directory;
    int show = 0;
    platform::WindowHandle owner = 0;
  };
  std::vector<Call> calls;
  std::intptr_t result = 42;  // the shell's own answer
  // Runs during the next Execute, as the user might act while the shell
  // shows a prompt of its own and lets window messages run.
  std::function<void()> whileOpening;
  std::vector<std::string> started;  // programs started
  bool startSucceeds = true;
  Status StartProgram(const std::string& commandLine) override {
    started.push_back(commandLine);
    return startSucceeds && !commandLine.empty() ? platform::kOk : platform::kErrorFileNotFound;
  }
  Status Execute(const std::string& verb, const std::string& file,
                 const std::optional<std::string>& parameters, const std::string& directory,
                 int show, platform::WindowHandle owner, std::intptr_t& shellResult) override;
};

class FakeMessageBoxes : public platform::MessageBoxes {
 public:
  struct Shown {
    std::string text, title;
    std::uint32_t style = 0;
  };
  std::vector<Shown> shown;
  std::deque<int> answers;  // taken in turn; empty: the first button
  // Runs while a box is open, as the user might act behind it.
  std::function<void()> whileShown;
  int Show(const std::string& text, const std::string& title, std::uint32_t style) override;
};

class FakeSystemMessages : public platform::SystemMessages {
 public:
  std::map<Status, std::string> texts{
      {2, "File not found.\r\n"},
      {3, "Path not found.\r\n"},
      {5, "Access denied.\r\n"},
      {110, "Open failed.\r\n"},
  };
  std::string Describe(Status status) override;
};

class FakeApp : public platform::AppInfo {
 public:
  std::string title = "Zantrix Preflect";
  platform::AppVersion version{7, 0, 12};
  std::string description =
      "The Zantrix Preflect checks for the required files needed to run the products it is "
      "packaged with.";
  std::string folder = "C:\\Program Files\\Zantrix\\Preflect";
  std::string Title() override { return title; }
  platform::AppVersion Version() override { return version; }
  std::string FileDescription() override { return description; }
  std::string ExecutableFolder() override { return folder; }
};

class FakeClock : public platform::Clock {
 public:
  platform::Date today{2026, 12, 8};
  std::string separator = "/";
  std::uint64_t milliseconds = 0;
  std::uint64_t step = 0;  // passes after each reading, as the program works
  int hour = 14, minute = 5, second = 9;
  platform::Date Today() override { return today; }
  platform::DateTime Now() override { return {today, hour, minute, second}; }
  std::string DateSeparator() override { return separator; }
  std::uint64_t Milliseconds() override { return std::exchange(milliseconds, milliseconds + step); }
};

class FakeClipboard : public platform::Clipboard {
 public:
  std::string text;
  Status SetText(const std::string& value) override {
    text = value;
    return platform::kOk;
  }
};

// A 32-bit program on 64-bit Windows by default, whatever the build: the
// registry double has two views, and the file system two sides.
class FakeWow64 : public platform::Wow64 {
 public:
  explicit FakeWow64(FakeFileSystem& files) : files_(files) {}
  bool wow64 = true;
  int programBits = sizeof(void*) == 4 ? 32 : 64;
  int disables = 0;  // how often redirection was turned off
  bool IsWow64Process() override { return wow64; }
  int ProgramBits() override { return programBits; }
  Status DisableFsRedirection(std::uintptr_t& cookie) override {
    if (!wow64 || files_.native) return platform::kErrorInvalidParameter;
    files_.native = true;
    ++disables;
    cookie = 0x5a;
    return platform::kOk;
  }
  void RevertFsRedirection(std::uintptr_t cookie) override {
    if (cookie == 0x5a) files_.native = false;
  }

 private:
  FakeFileSystem& files_;
};

// A stand-in for SHA-256 over the file double's bytes: the same bytes give
// the same digest and other bytes another, which is all a pin asks of it.
class FakeHasher : public platform::FileHasher {
 public:
  explicit FakeHasher(FakeFileSystem& files) : files_(files) {}
  int calls = 0;  // digests begun
  Status NewSha256(std::unique_ptr<platform::Sha256State>& state) override;
  // The digest of a file's bytes, for the pins tests write.
  Status Sha256(const std::string& path, platform::Sha256Digest& digest);

 private:
  FakeFileSystem& files_;
};

// Work that would run on another thread runs here, after the messages that
// waited meanwhile (a numbered point); given up when `wanted` then says no.
class FakeBackground : public platform::Background {
 public:
  int runs = 0;
  bool Run(std::function<void()> work, const std::function<bool()>& wanted) override {
    ++runs;
    Points().Reached();
    work();
    return wanted();
  }
};

// Windows-1252, as Wine uses for a C or en_US locale, is the legacy code
// page; the process's ANSI code page is that one too (a system that ignores
// the manifest's request) unless `utf8` says it runs in UTF-8.
class FakeCodePage : public platform::CodePage {
 public:
  bool utf8 = false;
  // Windows' best fit: a character 1252 lacks becomes a look-alike where it
  // has one ("Ł" as "L"), not "?".
  bool bestFit = false;
  std::string ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const std::string& ansi) override;
  bool CarriesEveryCharacter() override { return utf8; }
  bool Holds(const std::string& text) override {
    return utf8 || platform::Windows1252ToUtf8(platform::Utf8ToWindows1252(text)) == text;
  }
  std::string FromLegacyAnsi(const std::string& bytes) override;
  int LegacyCodePage() override { return 1252; }
};

// All doubles, installed as the program's services while it lives.
class FakeOs {
 public:
  FakeOs();
  ~FakeOs();
  FakeOs(const FakeOs&) = delete;
  FakeOs& operator=(const FakeOs&) = delete;

  FakeFileSystem files;
  FakeRegistry registry;
  FakeFolders folders;
  FakeVersions versions;
  FakeShell shell;
  FakeMessageBoxes messageBoxes;
  FakeSystemMessages messages;
  FakeApp app;
  FakeClock clock;
  FakeCodePage codePage;
  FakeWindows windows;
  FakeFormHost forms;
  FakeClipboard clipboard;
  FakeWow64 wow64{files};
  FakeHasher hasher{files};
  FakeBackground background;

  // A 32-bit program on 32-bit Windows, whatever the build: one registry
  // view, no file-system redirection.
  void RunOn32BitWindows();

 private:
  platform::Services previous_;
};

}  // namespace fakes
