#include <vector>

#include "platform/win32/win32.h"

namespace platform::win32 {
namespace {

std::wstring Widen(const std::string& text, UINT codePage) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

}  // namespace

// Explicit lengths keep embedded NULs (multi-strings, raw buffers).
std::string ToAnsi(const std::string& utf8) { return Narrow(Widen(utf8, CP_UTF8), CP_ACP); }
std::string FromAnsi(const std::string& ansi) { return Narrow(Widen(ansi, CP_ACP), CP_UTF8); }

std::string SystemText(DWORD code) {
  char buffer[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                                 sizeof buffer, nullptr);
  std::string text = FromAnsi(std::string(buffer, n));
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

void ThrowLastError(const std::string& what, const std::string& path) {
  const DWORD code = GetLastError();
  throw OsError(static_cast<long>(code), DescribeFailure(what, path, SystemText(code)));
}

void RestrictDllSearch() {
  // Looked up, since systems without the update that brought it lack it.
  using SetDirs = BOOL(WINAPI*)(DWORD);
  const auto set = reinterpret_cast<SetDirs>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

FARPROC SystemProc(const char* dll, const char* name) {
  HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) {
    // Systems without the search flags: load by full system path instead.
    char system[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    module = LoadLibraryA((std::string(system, n) + "\\" + dll).c_str());
  }
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace platform::win32
