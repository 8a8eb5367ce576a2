#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/win32/services_win32.h"

namespace platform::win32 {
namespace {

struct MessageId {
  const char* english;
  UINT id;
};

// The build's table of every text's string id (cmake/texts.py), in byte
// order of the English.
const MessageId kMessageIds[] = {
#include "texts_table.inc"
};
constexpr UINT kLanguageId = 998;
constexpr UINT kPluralRuleId = 999;
constexpr int kPluralSlots = 4;

std::optional<UINT> IdOf(std::string_view english) {
  const auto* end = std::end(kMessageIds);
  const auto* at = std::lower_bound(std::begin(kMessageIds), end, english,
                                    [](const MessageId& m, std::string_view t) { return m.english < t; });
  if (at == end || at->english != english) return std::nullopt;
  return at->id;
}

}  // namespace

std::optional<std::string> WinCatalogue::Load(UINT id) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto cached = loaded_.find(id);
  if (cached != loaded_.end()) return cached->second;
  // The table of the user's UI language, as the resource loader picks it;
  // the pointer is into the program's own image.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  std::optional<std::string> found;
  if (length > 0 && text) found = Utf8FromWide(std::wstring(text, static_cast<std::size_t>(length)));
  loaded_.emplace(id, found);
  return found;
}

bool WinCatalogue::English() {
  const auto language = Load(kLanguageId);
  return !language || *language == "en";
}

std::optional<std::string> WinCatalogue::Translate(std::string_view english) {
  const auto id = IdOf(english);
  return id ? Load(*id) : std::nullopt;
}

std::optional<std::string> WinCatalogue::TranslatePlural(std::string_view one, std::string_view,
                                                         unsigned long n) {
  const auto id = IdOf(one);
  const auto rule = Load(kPluralRuleId);
  if (!id || !rule) return std::nullopt;
  const int form = PluralForm(*rule, n);
  if (form < 0 || form >= kPluralSlots) return std::nullopt;
  return Load(*id + static_cast<UINT>(form));
}

}  // namespace platform::win32
