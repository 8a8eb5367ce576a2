// The registry service, natively against the double and under Wine against
// the real registry: the double must answer as the system does.
#include <gtest/gtest.h>

#include "tests/contract/env.h"

namespace {

using platform::RegKeyHandle;
using platform::kHkeyCurrentUser;

struct RegistryContract : ::testing::Test {
  contract::Env& env = contract::TheEnv();
  platform::Registry& reg = *env.os().registry;
  std::string key = env.ScratchKey();

  // The value as the two-step query sees it; false when the first fails.
  bool Query(const std::string& name, platform::RegValueInfo& info, std::string& data,
             const std::string& subKey = {}) {
    RegKeyHandle h = 0;
    if (reg.OpenKey(kHkeyCurrentUser, subKey.empty() ? key : subKey, platform::kKeyQueryValue,
                    h) != 0)
      return false;
    const bool ok = reg.QueryValueInfo(h, name, info) == 0;
    if (ok) {
      data.assign(info.size, '\0');
      std::uint32_t type = 0;
      EXPECT_EQ(reg.QueryValueData(h, name, type, data), 0);
      EXPECT_EQ(type, info.type);
    }
    reg.CloseKey(h);
    return ok;
  }
};

TEST_F(RegistryContract, StoredBytesComeBackAsStored) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    std::string answered = bytes;
  };
  const Case cases[] = {
      {"sz with nul", platform::kRegSz, std::string("abc\0", 4)},
      // Wine adds the NUL that the stored text lacks.
      {"sz without nul", platform::kRegSz, "abc", std::string("abc\0", 4)},
      {"sz empty", platform::kRegSz, ""},
      {"expand", platform::kRegExpandSz, std::string("%WINDIR%\\x\0", 11)},
      {"multi", platform::kRegMultiSz, std::string("a\0bc\0\0", 6)},
      {"dword", platform::kRegDword, std::string("\x01\0\0\0", 4)},
      {"short dword", platform::kRegDword, std::string("\x05\0", 2)},
      {"binary", platform::kRegBinary, "\x05"},
      {"long binary", platform::kRegBinary, std::string("\x01\x02\x03\x04\x05\x06", 6)},
      {"", platform::kRegSz, std::string("unnamed\0", 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    env.PutRaw(kHkeyCurrentUser, key, c.name, c.type, c.bytes);
    platform::RegValueInfo info;
    std::string data;
    ASSERT_TRUE(Query(c.name, info, data));
    EXPECT_EQ(info.type, c.type);
    EXPECT_EQ(info.size, c.answered.size());
    EXPECT_EQ(data, c.answered);
  }
}

TEST_F(RegistryContract, MissingKeysAndValuesFail) {
  platform::RegValueInfo info;
  std::string data;
  EXPECT_FALSE(Query("nothing", info, data));
  EXPECT_FALSE(Query("x", info, data, key + "\\missing"));
  // A path that starts with a backslash names no key.
  env.PutRaw(kHkeyCurrentUser, key, "x", platform::kRegSz, std::string("1\0", 2));
  RegKeyHandle h = 0;
  EXPECT_NE(reg.OpenKey(kHkeyCurrentUser, "\\" + key, platform::kKeyQueryValue, h), 0);
  EXPECT_EQ(h, 0u);
  // Without a key handle the query fails too.
  EXPECT_NE(reg.QueryValueInfo(0, "x", info), 0);
  // An invalid root.
  EXPECT_NE(reg.OpenKey(0, key, platform::kKeyQueryValue, h), 0);
  EXPECT_EQ(h, 0u);
}

TEST_F(RegistryContract, ValueNamesIgnoreCase) {
  env.PutRaw(kHkeyCurrentUser, key, "MixedCase", platform::kRegSz, std::string("v\0", 2));
  platform::RegValueInfo info;
  std::string data;
  EXPECT_TRUE(Query("mixedcase", info, data));
}

TEST_F(RegistryContract, TooSmallBufferIsRefused) {
  env.PutRaw(kHkeyCurrentUser, key, "v", platform::kRegDword, std::string("\x01\0\0\0", 4));
  RegKeyHandle h = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, key, platform::kKeyQueryValue, h), 0);
  std::string data(2, '\0');
  std::uint32_t type = 0;
  EXPECT_EQ(reg.QueryValueData(h, "v", type, data), 234);  // ERROR_MORE_DATA
  EXPECT_EQ(data.size(), 2u);
  reg.CloseKey(h);
}

TEST_F(RegistryContract, CreateKeyMakesMissingPartsAndWrites) {
  const std::string deep = key + "\\a\\b\\c";
  RegKeyHandle h = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, deep, platform::kKeyAllAccess, h), 2);
  ASSERT_EQ(reg.CreateKey(kHkeyCurrentUser, deep, platform::kKeyAllAccess, h), 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(reg.SetValue(h, "syscheck", platform::kRegSz, std::string("12/08/2026\0", 11)), 0);
  reg.CloseKey(h);
  std::uint32_t type = 0;
  std::string bytes;
  ASSERT_TRUE(env.GetRaw(kHkeyCurrentUser, deep, "syscheck", type, bytes));
  EXPECT_EQ(type, platform::kRegSz);
  EXPECT_EQ(bytes, std::string("12/08/2026\0", 11));
  // Opening an existing key through CreateKey works as well.
  ASSERT_EQ(reg.CreateKey(kHkeyCurrentUser, deep, platform::kKeyAllAccess, h), 0);
  reg.CloseKey(h);
}

// On 64-bit Windows a program reads its own view of HKLM\Software and
// asks for the other one by a flag; with a single view the flag is
// ignored. Written for the build's bitness: the other view is the 64-bit
// one for a 32-bit program.
TEST_F(RegistryContract, TheOtherViewIsReadOnlyWhenAskedFor) {
  const std::string machineKey = "Software\\ZantrixContractView" + key.substr(key.rfind('\\') + 1);
  env.PutOtherView(machineKey, "InstallPath", "C:\\FrameKit");
  const std::uint32_t other =
      sizeof(void*) == 4 ? platform::kKeyWow64_64Key : platform::kKeyWow64_32Key;
  const bool twoViews = env.HasOtherRegistryView();
  RegKeyHandle h = 0;
  EXPECT_EQ(reg.OpenKey(platform::kHkeyLocalMachine, machineKey, platform::kKeyQueryValue, h) == 0,
            !twoViews);
  reg.CloseKey(h);
  ASSERT_EQ(reg.OpenKey(platform::kHkeyLocalMachine, machineKey,
                        platform::kKeyQueryValue | other, h),
            0);
  platform::RegValueInfo info;
  EXPECT_EQ(reg.QueryValueInfo(h, "InstallPath", info), 0);
  EXPECT_EQ(info.type, platform::kRegSz);
  reg.CloseKey(h);
}

}  // namespace
