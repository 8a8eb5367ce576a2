#include <vector>

#include "platform/win32/forms_win32.h"
#include "platform/win32/services_win32.h"

#include <shellapi.h>

namespace platform::win32 {

std::intptr_t WinShell::Execute(const std::string& verb, const std::string& file,
                                const std::optional<std::string>& parameters,
                                const std::string& directory, int show) {
  const std::string params = parameters ? ToAnsi(*parameters) : std::string();
  const HINSTANCE result =
      ShellExecuteA(GetDesktopWindow(), ToAnsi(verb).c_str(), ToAnsi(file).c_str(),
                    parameters ? params.c_str() : nullptr, ToAnsi(directory).c_str(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

bool WinShell::StartProgram(const std::string& commandLine) {
  if (commandLine.empty()) return false;
  std::string command = ToAnsi(commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

int WinMessageBoxes::Show(const std::string& text, const std::string& title,
                          std::uint32_t style) {
  // Owned by the active window, so the box is modal to it.
  return MessageBoxA(GetActiveWindow(), ToAnsi(text).c_str(), ToAnsi(title).c_str(), style);
}

std::string WinSystemMessages::Describe(long code) {
  char buffer[200] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(code),
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer,
                                 nullptr);
  return FromAnsi(std::string(buffer, n));
}

std::string ExecutablePath() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) return FromAnsi(std::string(path.data(), n));
    path.resize(path.size() * 2);
  }
}

std::string WinApp::ExecutableFolder() {
  std::string path = ExecutablePath();
  const auto slash = path.rfind('\\');
  if (slash == std::string::npos) return path;
  path.resize(slash);
  // A drive root keeps its backslash ("C:\").
  if (path.size() == 2 && path[1] == ':') path += '\\';
  return path;
}

void WinApp::Load() {
  if (loaded_) return;
  loaded_ = true;
  WinVersions versions;
  const std::string self = ExecutablePath();
  const std::int32_t size = versions.GetSize(self);
  if (size <= 0) return;
  std::vector<std::uint8_t> data(static_cast<size_t>(size));
  if (!versions.GetData(self, data)) return;
  title_ = WinVersions::QueryString(data, "ProductName");
  description_ = WinVersions::QueryString(data, "FileDescription");
  if (const auto fixed = versions.QueryFixed(data)) {
    version_.major = HIWORD(fixed->fileVersionMS);
    version_.minor = LOWORD(fixed->fileVersionMS);
    version_.revision = LOWORD(fixed->fileVersionLS);
  }
}

std::string WinApp::Title() {
  Load();
  if (!title_.empty()) return title_;
  // Without version information the program is known by its file name.
  std::string name = ExecutablePath();
  name = name.substr(name.rfind('\\') + 1);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

AppVersion WinApp::Version() {
  Load();
  return version_;
}

std::string WinApp::FileDescription() {
  Load();
  return description_;
}

Date WinClock::Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

std::string WinClock::DateSeparator() {
  char separator[8] = {};
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator);
  if (n <= 1) return "/";
  return FromAnsi(std::string(separator, static_cast<size_t>(n - 1)));
}

void InstallServices() {
  static WinRegistry registry;
  static WinFileSystem files;
  static WinFolders folders;
  static WinVersions versions;
  static WinShell shell;
  static WinMessageBoxes boxes;
  static WinSystemMessages messages;
  static WinApp app;
  static WinClock clock;
  static WinCodePage codePage;
  static WinWindows windows;
  static WinFormHost forms;
  Services s;
  s.registry = &registry;
  s.files = &files;
  s.folders = &folders;
  s.versions = &versions;
  s.shell = &shell;
  s.messageBoxes = &boxes;
  s.messages = &messages;
  s.app = &app;
  s.clock = &clock;
  s.codePage = &codePage;
  s.windows = &windows;
  s.forms = &forms;
  Install(s);
}

}  // namespace platform::win32
