#pragma once
// The real services, each a thin wrapper over the ANSI Win32 calls.
#include <map>
#include <mutex>

#include "platform/win32/win32.h"

namespace platform::win32 {

class WinRegistry : public Registry {
 public:
  Status OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                 RegKeyHandle& key) override;
  Status CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                   RegKeyHandle& key) override;
  Status QueryValueInfo(RegKeyHandle key, const std::string& valueName,
                        RegValueInfo& info) override;
  Status QueryValueData(RegKeyHandle key, const std::string& valueName, std::uint32_t& type,
                        std::string& data) override;
  Status SetValue(RegKeyHandle key, const std::string& valueName, std::uint32_t type,
                  const std::string& data) override;
  void CloseKey(RegKeyHandle key) override;
};

class WinFileSystem : public FileSystem {
 public:
  using FileSystem::FindFirst;
  std::optional<std::string> FindFirst(const std::string& pattern, EntryKinds kinds,
                                       Status& failure) override;
  Status TryOpenForRead(const std::string& path) override;
  Status ReadAll(const std::string& path, std::string& bytes) override;
  Status CreateFolder(const std::string& path) override;
  Status WriteFile(const std::string& path, const std::string& bytes) override;
  Status DeleteFile(const std::string& path) override;
  Status OpenHeld(const std::string& path, std::unique_ptr<HeldFile>& file,
                  FileKind& kind) override;
  bool MayBlock(const std::string& path) override;
};

class WinFolders : public SystemFolders {
 public:
  Status GetFolderPath(int csidl, std::uint32_t flags, std::string& buffer) override;
  std::uint32_t GetTempPath(std::string& buffer) override;
  std::uint32_t GetSystemDirectory(std::string& buffer) override;
  std::uint32_t GetWindowsDirectory(std::string& buffer) override;
  std::string ExactName(NamedFolder folder) override;
};

class WinVersions : public VersionInfo {
 public:
  std::int32_t GetSize(const std::string& path) override;
  Status GetData(const std::string& path, std::vector<std::uint8_t>& data) override;
  std::optional<FixedFileInfo> QueryFixed(const std::vector<std::uint8_t>& data) override;
  // A string of the resource's first translation, e.g. "ProductName".
  static std::string QueryString(const std::vector<std::uint8_t>& data, const char* name);
};

class WinShell : public Shell {
 public:
  Status Execute(const std::string& verb, const std::string& file,
                 const std::optional<std::string>& parameters, const std::string& directory,
                 int show, WindowHandle owner, std::intptr_t& shellResult) override;
  Status StartProgram(const std::string& commandLine) override;
};

class WinMessageBoxes : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& title, std::uint32_t style) override;
};

class WinSystemMessages : public SystemMessages {
 public:
  std::string Describe(Status status) override;
};

class WinApp : public AppInfo {
 public:
  std::string Title() override;
  AppVersion Version() override;
  std::string FileDescription() override;
  std::string ExecutableFolder() override;

 private:
  void Load();
  bool loaded_ = false;
  std::string title_, description_;
  AppVersion version_;
};

class WinClock : public Clock {
 public:
  Date Today() override;
  DateTime Now() override;
  std::string DateSeparator() override;
  std::uint64_t Milliseconds() override { return GetTickCount64(); }
};

class WinClipboard : public Clipboard {
 public:
  Status SetText(const std::string& text) override;
};

class WinCodePage : public CodePage {
 public:
  std::string ToAnsi(const std::string& utf8) override { return win32::ToAnsi(utf8); }
  std::string FromAnsi(const std::string& ansi) override { return win32::FromAnsi(ansi); }
  bool CarriesEveryCharacter() override { return GetACP() == CP_UTF8; }
  bool Holds(const std::string& utf8) override { return win32::AnsiHolds(utf8); }
  std::string FromLegacyAnsi(const std::string& bytes) override;
  int LegacyCodePage() override;
};

class WinHasher : public FileHasher {
 public:
  Status NewSha256(std::unique_ptr<Sha256State>& state) override;
};

// The texts of the user's UI language, from the program's string tables;
// English (the sources' own) where a table has none.
class WinCatalogue : public Catalogue {
 public:
  std::optional<std::string> Translate(std::string_view english) override;
  std::optional<std::string> TranslatePlural(std::string_view one, std::string_view other,
                                             unsigned long n) override;
  bool English() override;

 private:
  std::optional<std::string> Load(UINT id);
  std::mutex mutex_;
  std::map<UINT, std::optional<std::string>> loaded_;
};

// Work that may block, on a thread of its own while the window's thread
// waits with MsgWaitForMultipleObjects and lets its messages run.
class WinBackground : public Background {
 public:
  bool Run(std::function<void()> work, const std::function<bool()>& wanted) override;
};

class WinWow64 : public Wow64 {
 public:
  bool IsWow64Process() override;
  Status DisableFsRedirection(std::uintptr_t& cookie) override;
  void RevertFsRedirection(std::uintptr_t cookie) override;
};

// Loads version.dll and binds its functions, if not done yet.
void LoadVersionFunctions();

// The executable's full path, UTF-8.
std::string ExecutablePath();

}  // namespace platform::win32
