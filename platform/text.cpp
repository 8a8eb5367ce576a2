#include "platform/text.h"

#include <algorithm>

namespace platform {
namespace {

// Lower-cases one UTF-8 sequence starting at text[i]; returns its length.
std::size_t AppendLower(std::string_view text, std::size_t i, std::string& out) {
  const auto c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : static_cast<char>(c);
    return 1;
  }
  // U+00C0..U+00DE (except U+00D7) lower to +0x20: bytes C3 80..9E -> C3 A0..BE.
  if (c == 0xC3 && i + 1 < text.size()) {
    const auto d = static_cast<unsigned char>(text[i + 1]);
    out += static_cast<char>(c);
    out += (d >= 0x80 && d <= 0x9E && d != 0x97) ? static_cast<char>(d + 0x20)
                                                 : static_cast<char>(d);
    return 2;
  }
  out += static_cast<char>(c);
  return 1;
}

}  // namespace

std::string LowerCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) i += AppendLower(text, i, out);
  return out;
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle, std::size_t from) {
  if (from > haystack.size()) return std::string_view::npos;
  // Lower-casing keeps byte lengths, so positions carry over.
  const std::string h = LowerCase(haystack);
  const std::string n = LowerCase(needle);
  return h.find(n, from);
}

std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string TrimLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::string WithTrailingBackslash(std::string text) {
  if (text.empty() || text.back() != '\\') text += '\\';
  return text;
}

}  // namespace platform
