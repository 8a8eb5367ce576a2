#pragma once
// A file's SHA-256, from the system's own cryptography where it has one.
#include <array>
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

class FileHasher {
 public:
  virtual ~FileHasher() = default;
  // The file's bytes are read in pieces, so a large installer needs little
  // memory. `digest` is untouched on failure.
  virtual Status Sha256(const std::string& path, Sha256Digest& digest) = 0;
};

}  // namespace platform
