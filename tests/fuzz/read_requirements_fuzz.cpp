// libFuzzer target: any bytes as the requirements file.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/read_requirements_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::ReadAndCheck(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
