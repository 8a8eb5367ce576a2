#include "platform/win32/services_win32.h"

namespace platform::win32 {
namespace {

// Converts the caller's buffer to ANSI, lets `call` fill it, and converts
// it back whole, so what follows the first NUL survives as the call left it.
template <typename Call>
auto WithAnsiBuffer(std::string& buffer, Call call) {
  std::string ansi = ToAnsi(buffer);
  if (ansi.size() < MAX_PATH + 1) ansi.resize(MAX_PATH + 1, '\0');
  const auto result = call(ansi.data(), static_cast<DWORD>(buffer.size()));
  ansi.resize(buffer.size() < ansi.size() ? buffer.size() : ansi.size());
  buffer = FromAnsi(ansi);
  return result;
}

// For calls that return a length: the length in ANSI bytes becomes the
// length of the same text in the caller's UTF-8 buffer.
template <typename Call>
std::uint32_t TextLength(std::string& buffer, Call call) {
  std::string ansiText;
  const UINT n = WithAnsiBuffer(buffer, [&](char* data, DWORD size) {
    const UINT got = call(data, size);
    if (got > 0 && got < size) ansiText.assign(data, got);
    return got;
  });
  if (n == 0 || ansiText.empty()) return n;
  return static_cast<std::uint32_t>(FromAnsi(ansiText).size());
}

}  // namespace

Status WinFolders::GetFolderPath(int csidl, std::uint32_t flags, std::string& buffer) {
  using GetFolderPathA = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  static const auto get = SystemFunction<GetFolderPathA>("shfolder.dll", "SHGetFolderPathA");
  if (!get) return kErrorProcNotFound;
  return WithAnsiBuffer(buffer, [&](char* data, DWORD) {
    // Owner 1 and token -1 as the program always passed them: the token
    // asks for the default user's folder where a folder is per-user.
    return StatusFromHresult(get(reinterpret_cast<HWND>(1), csidl,
                                 reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1)), flags, data));
  });
}

std::string WinFolders::ExactName(NamedFolder folder) {
  // The wide calls: the only ones that hold a name the ANSI code page
  // cannot, and only for saying which folder that is.
  wchar_t path[MAX_PATH + 1] = {};
  switch (folder) {
    case NamedFolder::Program: {
      const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
      if (n == 0 || n >= MAX_PATH) return {};
      if (wchar_t* slash = wcsrchr(path, L'\\')) *slash = L'\0';
      break;
    }
    case NamedFolder::CommonAppData: {
      using GetFolderPathW = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
      static const auto get = SystemFunction<GetFolderPathW>("shfolder.dll", "SHGetFolderPathW");
      if (!get || get(nullptr, kCsidlCommonAppData, nullptr, 0, path) != S_OK) return {};
      break;
    }
    case NamedFolder::Temp: {
      const DWORD n = GetTempPathW(MAX_PATH + 1, path);
      if (n == 0 || n > MAX_PATH) return {};
      break;
    }
  }
  return Utf8FromWide(path);
}

std::uint32_t WinFolders::GetTempPath(std::string& buffer) {
  return TextLength(buffer, [](char* data, DWORD size) { return ::GetTempPathA(size, data); });
}

std::uint32_t WinFolders::GetSystemDirectory(std::string& buffer) {
  return TextLength(buffer,
                    [](char* data, DWORD size) { return ::GetSystemDirectoryA(data, size); });
}

std::uint32_t WinFolders::GetWindowsDirectory(std::string& buffer) {
  return TextLength(buffer,
                    [](char* data, DWORD size) { return ::GetWindowsDirectoryA(data, size); });
}

}  // namespace platform::win32
