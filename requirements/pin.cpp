// A remedy's pin: the SHA-256 its installer must have.
#include <memory>
#include <vector>

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

std::string InstallerPath(const std::string& location, const std::string& programFolder) {
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  const bool drive = location.size() >= 2 && location[1] == ':';
  const bool share = location.size() >= 2 && slash(location[0]) && slash(location[1]);
  // "https:", "ms-settings:": an address the shell opens, no file.
  const std::size_t colon = location.find(':');
  const bool scheme = colon != std::string::npos && colon >= 2 &&
                      location.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                 "0123456789+.-") == colon;
  if (drive || share || scheme || programFolder.empty()) return location;
  if (!location.empty() && slash(location[0])) {
    // From the root of the program folder's drive.
    const bool folderOnDrive = programFolder.size() >= 2 && programFolder[1] == ':';
    return folderOnDrive ? programFolder.substr(0, 2) + location : location;
  }
  return slash(programFolder.back()) ? programFolder + location
                                     : programFolder + '\\' + location;
}

PinCheck CheckPin(platform::HeldFile& file, const std::string& sha256,
                  const std::function<bool()>& keepGoing) {
  PinCheck pin;
  const auto expected = ParseSha256(sha256);
  pin.valid = expected.has_value();
  std::unique_ptr<platform::Sha256State> state;
  platform::FileHasher* hasher = platform::Os().hasher;
  pin.status = hasher ? hasher->NewSha256(state) : platform::kErrorProcNotFound;
  std::vector<char> piece(64 * 1024);
  while (pin.status == platform::kOk) {
    if (keepGoing && !keepGoing()) {
      pin.stopped = true;
      return pin;
    }
    std::size_t got = 0;
    pin.status = file.Read(piece.data(), piece.size(), got);
    if (pin.status != platform::kOk || got == 0) break;
    pin.status = state->Update(piece.data(), got);
  }
  platform::Sha256Digest digest{};
  if (pin.status == platform::kOk) pin.status = state->Finish(digest);
  if (pin.status == platform::kOk) pin.actual = digest;
  pin.matches = pin.valid && pin.actual == expected;
  return pin;
}

PinCheck CheckPin(const std::string& path, const std::string& sha256) {
  std::unique_ptr<platform::HeldFile> file;
  PinCheck pin;
  pin.valid = ParseSha256(sha256).has_value();
  pin.status = platform::Os().files->OpenHeld(path, file, pin.kind);
  if (pin.status != platform::kOk) return pin;
  return CheckPin(*file, sha256);
}

}  // namespace modCheck
