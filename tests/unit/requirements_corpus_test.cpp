// Replays the fuzz corpus through the same invariants the fuzz target
// checks, so every seed and every saved finding runs with the unit tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/fuzz/read_requirements_check.h"

namespace {

TEST(RequirementsCorpus, EveryFileKeepsTheInvariants) {
  const std::filesystem::path corpus = PREFLECT_FUZZ_CORPUS;
  std::error_code error;
  if (!std::filesystem::is_directory(corpus, error)) {
#ifdef _WIN32
    GTEST_SKIP() << "corpus not reachable from here: " << corpus;
#else
    FAIL() << "no corpus at " << corpus;
#endif
  }
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    fuzzing::ReadAndCheck(bytes.str());
    ++files;
  }
  EXPECT_GE(files, 5);
}

}  // namespace
