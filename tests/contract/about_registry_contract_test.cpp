// The About box's own registry reader, natively against the double and
// under Wine against the real registry: the same values give the same text.
#include <gtest/gtest.h>

#include "about/frmAbout.h"
#include "tests/contract/env.h"

namespace {

using platform::kHkeyCurrentUser;

struct AboutRegistryContract : ::testing::Test {
  contract::Env& env = contract::TheEnv();
  std::string key = env.ScratchKey();
};

TEST_F(AboutRegistryContract, ValuesAsText) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    bool result;
    std::string text;  // KeyVal afterwards; it starts as "before"
  };
  const std::string sz1023(1023, 'p');
  const Case cases[] = {
      {"sz with nul", platform::kRegSz, std::string("C:\\Tools\0", 9), true, "C:\\Tools"},
      {"sz without nul", platform::kRegSz, "C:\\Tools", true, "C:\\Tools"},
      // Only the last NUL goes.
      {"sz inner nul", platform::kRegSz, std::string("a\0b\0", 4), true, std::string("a\0b", 3)},
      {"sz two nuls", platform::kRegSz, std::string("ab\0\0", 4), true, std::string("ab\0", 3)},
      {"sz code page", platform::kRegSz, std::string("Zantrix\xAE\0", 9), true,
       "Zantrix\xC2\xAE"},
      {"sz of zero bytes", platform::kRegSz, "", false, ""},
      {"sz filling the buffer", platform::kRegSz, sz1023 + '\0', true, sz1023},
      {"sz past the buffer", platform::kRegSz, std::string(2000, 'q') + '\0', false, ""},
      {"expand sz", platform::kRegExpandSz, std::string("%WINDIR%\\x\0", 11), true, "before"},
      {"multi sz", platform::kRegMultiSz, std::string("a\0bc\0\0", 6), true, "before"},
      {"binary", platform::kRegBinary, "\x01\x02", true, "before"},
      {"binary of 1024 bytes", platform::kRegBinary, std::string(1024, '\x07'), true, "before"},
      {"binary of 1025 bytes", platform::kRegBinary, std::string(1025, '\x07'), false, ""},
      {"expand sz of zero bytes", platform::kRegExpandSz, "", false, ""},
      // Stored least significant byte first; the top byte, when zero, is
      // dropped as if it were the terminating NUL.
      {"dword 0x00012A05", platform::kRegDword, std::string("\x05\x2A\x01\x00", 4), true,
       "&h012A05"},
      {"dword 0x12345678", platform::kRegDword, std::string("\x78\x56\x34\x12", 4), true,
       "&h12345678"},
      {"dword 0x80FF0001", platform::kRegDword, std::string("\x01\x00\xFF\x80", 4), true,
       "&h80FF0001"},
      {"dword 5", platform::kRegDword, std::string("\x05\0\0\0", 4), true, "&h000005"},
      {"dword 0", platform::kRegDword, std::string("\0\0\0\0", 4), true, "&h000000"},
      {"dword of two bytes", platform::kRegDword, std::string("\xAB\x00", 2), true, "&hAB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    env.PutRaw(kHkeyCurrentUser, key, c.name, c.type, c.bytes);
    std::string value = "before";
    EXPECT_EQ(frmAbout::GetKeyValue(kHkeyCurrentUser, key, c.name, value), c.result);
    EXPECT_EQ(value, c.text);
  }
}

TEST_F(AboutRegistryContract, MissingKeyOrValue) {
  env.PutRaw(kHkeyCurrentUser, key, "present", platform::kRegSz, std::string("x\0", 2));
  struct Case {
    const char* name;
    std::string keyName, valueName;
  };
  for (const Case& c : {Case{"missing value", key, "absent"},
                        Case{"missing key", key + "\\absent", "present"},
                        Case{"leading backslash", "\\" + key, "present"}}) {
    SCOPED_TRACE(c.name);
    std::string value = "before";
    EXPECT_FALSE(frmAbout::GetKeyValue(kHkeyCurrentUser, c.keyName, c.valueName, value));
    EXPECT_EQ(value, "");
  }
}

}  // namespace
