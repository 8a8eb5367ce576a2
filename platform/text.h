#pragma once
// Text helpers shared by the portable code. Texts are UTF-8.
#include <string>
#include <string_view>

#include "platform/app.h"

namespace platform {

// Lower case for ASCII and the Latin-1 letters, the comparisons the
// program's files and folders need when case is to be ignored.
std::string LowerCase(std::string_view text);

// Byte position of the first occurrence of `needle` in `haystack` at or
// after `from`, ignoring case; npos when absent.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle,
                       std::size_t from = 0);

// Leading and trailing blanks (spaces only) removed.
std::string TrimSpaces(std::string_view text);

// Trailing line breaks and blanks removed, as system message texts end.
std::string TrimLineEnd(std::string text);

// Appends one backslash unless the text already ends with one.
std::string WithTrailingBackslash(std::string text);

// "2026-12-09 14:05:09", with `between` between the date and the time.
std::string FormatDateTime(const DateTime& when, char between);

// Windows-1252, the code page the console tool and the test doubles assume
// where no real system answers. Characters it cannot hold become '?'.
std::string Windows1252ToUtf8(std::string_view ansi);
std::string Utf8ToWindows1252(std::string_view utf8);

// The length of the UTF-8 sequence that starts at `at` (1 to 4), or 0 when
// no well-formed one does (overlong forms and surrogates included).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at);

}  // namespace platform
