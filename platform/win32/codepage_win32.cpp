#include <cstdlib>

#include "platform/win32/services_win32.h"

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
std::string Utf8FromWide(const std::wstring& wide) { return Narrow(wide, CP_UTF8); }

bool AnsiHolds(const std::string& utf8) {
  const std::wstring wide = Widen(utf8, CP_UTF8);
  if (wide.empty() || GetACP() == CP_UTF8) return true;
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      nullptr, 0, nullptr, &lost);
  return !lost;
}

int WinCodePage::LegacyCodePage() {
  // The system locale's ANSI code page, which GetACP no longer gives when
  // the process runs in UTF-8.
  static const int codePage = [] {
    char number[8] = {};
    const int n = GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number,
                                 sizeof number);
    const int value = n > 1 ? std::atoi(number) : 0;
    // 0 is CP_ACP: a locale with no ANSI code page of its own (Unicode only).
    return value > 0 && IsValidCodePage(static_cast<UINT>(value)) ? value : 1252;
  }();
  return codePage;
}

std::string WinCodePage::FromLegacyAnsi(const std::string& bytes) {
  return Narrow(Widen(bytes, static_cast<UINT>(LegacyCodePage())), CP_UTF8);
}

}  // namespace platform::win32
