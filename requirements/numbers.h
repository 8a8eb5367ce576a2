#pragma once
// Whole numbers written in the requirements file and passed to the
// registry layer. Strict on purpose: a text that is not plainly a number
// must not quietly become one.
#include <cstdint>
#include <optional>
#include <string_view>

namespace requirements {

// Decimal digits, optionally led by one '+' or '-' when allowSign; nothing
// else, no blanks. None when the text is no such number or leaves the
// signed 32-bit range.
std::optional<std::int32_t> ParseInt32(std::string_view text, bool allowSign);

}  // namespace requirements
