// A remedy's pin: the SHA-256 its installer must have.
#include "platform/services.h"
#include "requirements/modCheck.h"

namespace modCheck {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<platform::Sha256Digest> ParseSha256(const std::string& text) {
  if (text.size() != 64) return std::nullopt;
  platform::Sha256Digest digest{};
  for (std::size_t i = 0; i < 32; ++i) {
    const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    digest[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return digest;
}

std::string Sha256Text(const platform::Sha256Digest& digest) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text += digits[byte >> 4];
    text += digits[byte & 0xF];
  }
  return text;
}

bool HasPinnedInstaller(const Requirement& r) {
  return r.RemedySource != "web" && !r.RemedySha256.empty();
}

PinCheck CheckPin(const std::string& location, const std::string& sha256) {
  PinCheck pin;
  const auto expected = ParseSha256(sha256);
  pin.valid = expected.has_value();
  platform::Sha256Digest digest{};
  platform::FileHasher* hasher = platform::Os().hasher;
  pin.status = hasher ? hasher->Sha256(location, digest) : platform::kErrorProcNotFound;
  if (pin.status == platform::kOk) pin.actual = digest;
  pin.matches = pin.valid && pin.actual == expected;
  return pin;
}

}  // namespace modCheck
