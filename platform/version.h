#pragma once
// File version resources: size, data, and the fixed file information block.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"

namespace platform {

struct FixedFileInfo {
  std::uint32_t fileVersionMS = 0;  // major << 16 | minor
  std::uint32_t fileVersionLS = 0;  // build << 16 | revision
};

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;
  // Size of the file's version resource; 0 or less when it has none.
  virtual std::int32_t GetSize(const std::string& path) = 0;
  // Reads the resource into `data`, which the caller sized.
  virtual Status GetData(const std::string& path, std::vector<std::uint8_t>& data) = 0;
  // The fixed block of a resource read by GetData; none when the resource
  // holds no valid one (an answer, not a failure).
  virtual std::optional<FixedFileInfo> QueryFixed(const std::vector<std::uint8_t>& data) = 0;
};

}  // namespace platform
