#include "requirements/numbers.h"

namespace requirements {

std::optional<std::int32_t> ParseInt32(std::string_view text, bool allowSign) {
  bool negative = false;
  if (allowSign && !text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace requirements
