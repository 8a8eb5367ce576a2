#include "platform/text.h"

#include "platform/codepage.h"

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
  // An ASCII needle (every keyword and attribute name) matches only ASCII
  // bytes, so folding ASCII letters in place finds what lower-casing both
  // would, without copying the text for every search.
  if (std::all_of(needle.begin(), needle.end(), [](char c) { return (c & 0x80) == 0; })) {
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (needle.size() > haystack.size()) return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
      std::size_t k = 0;
      while (k < needle.size() && fold(haystack[i + k]) == fold(needle[k])) ++k;
      if (k == needle.size()) return i;
    }
    return std::string_view::npos;
  }
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

std::string FormatDateTime(const DateTime& when, char between) {
  const auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  return std::to_string(when.date.year) + "-" + two(when.date.month) + "-" + two(when.date.day) +
         between + two(when.hour) + ":" + two(when.minute) + ":" + two(when.second);
}

namespace {
// 0x80..0x9F of Windows-1252; 0 where the code page has no character.
constexpr char16_t k1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}
}  // namespace

std::string Windows1252ToUtf8(std::string_view ansi) {
  // Most tags are ASCII, which is the same in both.
  if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return (c & 0x80) == 0; }))
    return std::string(ansi);
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 2);
  for (const char ch : ansi) {
    const auto c = static_cast<unsigned char>(ch);
    const char16_t high = c >= 0x80 && c < 0xA0 ? k1252High[c - 0x80] : 0;
    AppendUtf8(out, high ? high : c);
  }
  return out;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = c;
    std::size_t len = 1;
    if (c >= 0xF0) { len = 4; cp = c & 0x07; }
    else if (c >= 0xE0) { len = 3; cp = c & 0x0F; }
    else if (c >= 0xC0) { len = 2; cp = c & 0x1F; }
    for (std::size_t k = 1; k < len && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += len;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 32; ++k)
      if (k1252High[k] != 0 && k1252High[k] == cp) mapped = static_cast<char>(0x80 + k);
    out += mapped;
  }
  return out;
}

}  // namespace platform

namespace platform {

std::size_t Utf8SequenceAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(k) & 0xC0) != 0x80) return 0;
  // The second byte's range rules out overlong forms, surrogates and code
  // points above U+10FFFF.
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F) ||
      (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F))
    return 0;
  return length;
}

StoredEncoding EncodingOf(std::string_view bytes) {
  return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? StoredEncoding::Utf8
                                                       : StoredEncoding::LegacyAnsi;
}

std::string CodePageName(int codePage) {
  if (codePage >= 1250 && codePage <= 1258) return "Windows-" + std::to_string(codePage);
  return "code page " + std::to_string(codePage);
}

}  // namespace platform
