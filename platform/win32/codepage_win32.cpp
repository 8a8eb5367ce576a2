#include "platform/win32/win32.h"

namespace platform::win32 {

namespace {

// Explicit lengths keep embedded NULs (multi-strings, raw buffers).

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

std::string ToAnsi(const std::string& utf8) { return Narrow(Widen(utf8, CP_UTF8), CP_ACP); }
std::string FromAnsi(const std::string& ansi) { return Narrow(Widen(ansi, CP_ACP), CP_UTF8); }
std::wstring WideFromUtf8(const std::string& utf8) { return Widen(utf8, CP_UTF8); }

}  // namespace platform::win32
