#include <cstring>
#include <vector>

#include "platform/win32/services_win32.h"

namespace platform::win32 {

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
  if (versions.GetData(self, data) != kOk) return;
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

Date WinClock::Today() { return Now().date; }

DateTime WinClock::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {{now.wYear, now.wMonth, now.wDay}, now.wHour, now.wMinute, now.wSecond};
}

Status WinClipboard::SetText(const std::string& text) {
  // Unicode text, so that any name survives a paste; the system offers it
  // to programs that ask for ANSI text too.
  const std::wstring wide = WideFromUtf8(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  // Owned by the active window, as the system expects of a clipboard owner.
  if (!OpenClipboard(GetActiveWindow())) return LastStatus();
  Status status = kOk;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (void* locked = memory ? GlobalLock(memory) : nullptr) {
    std::memcpy(locked, wide.c_str(), bytes);
    GlobalUnlock(memory);
    EmptyClipboard();
    // The clipboard owns the memory once it takes it.
    if (SetClipboardData(CF_UNICODETEXT, memory))
      memory = nullptr;
    else
      status = LastStatus();
  } else {
    status = LastStatus();
  }
  if (memory) GlobalFree(memory);
  CloseClipboard();
  return status;
}

std::string WinClock::DateSeparator() {
  char separator[8] = {};
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator);
  if (n <= 1) return "/";
  return FromAnsi(std::string(separator, static_cast<size_t>(n - 1)));
}

}  // namespace platform::win32
