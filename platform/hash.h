#pragma once
// SHA-256, from the system's own cryptography where it has one.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/error.h"

namespace platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// One digest, fed in pieces, so a large installer needs little memory.
class Sha256State {
 public:
  virtual ~Sha256State() = default;
  virtual Status Update(const char* bytes, std::size_t size) = 0;
  virtual Status Finish(Sha256Digest& digest) = 0;
};

class FileHasher {
 public:
  virtual ~FileHasher() = default;
  // A fresh digest; `state` is untouched on failure.
  virtual Status NewSha256(std::unique_ptr<Sha256State>& state) = 0;
};

}  // namespace platform
