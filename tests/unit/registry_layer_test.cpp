// The registry layer against the double: how stored data read as text,
// the key and value-name rewriting, and what writing stores.
#include <gtest/gtest.h>

#include "requirements/modRegistry.h"
#include "tests/doubles/fake_os.h"

namespace {

using platform::kHkeyCurrentUser;

template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

const std::string kKey = "Software\\Zantrix\\Test";

struct RegistryLayer : ::testing::Test {
  fakes::FakeOs os;

  std::int32_t Get(std::string key, std::string name, std::string& result,
                   std::int32_t root = kHkeyCurrentUser) {
    return modRegistry::GetRegistryValue(root, key, name, result);
  }
};

TEST_F(RegistryLayer, ReadsStoredDataAsText) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"sz with NUL", platform::kRegSz, Bytes("abc\0"), "abc"},
      {"sz without NUL", platform::kRegSz, "abc", "abc"},
      {"sz with blanks", platform::kRegSz, Bytes("  1 \0"), "1"},
      {"sz empty", platform::kRegSz, "", ""},
      {"sz only NUL", platform::kRegSz, Bytes("\0"), ""},
      {"sz inner NUL", platform::kRegSz, Bytes("a\0b\0"), Bytes("a\0b")},
      {"sz ANSI", platform::kRegSz, Bytes("caf\xE9\0"), "caf\xC3\xA9"},
      {"expand unexpanded", platform::kRegExpandSz, Bytes("%WINDIR%\\x\0"), "%WINDIR%\\x"},
      {"multi keeps inner NULs", platform::kRegMultiSz, Bytes("a\0bc\0\0"), Bytes("a\0bc\0")},
      {"dword 1", platform::kRegDword, Bytes("\x01\0\0\0"), "1"},
      {"dword all bits", platform::kRegDword, "\xFF\xFF\xFF\xFF", "-1"},
      {"short dword", platform::kRegDword, "\x05\x01", "261"},
      {"binary 0x05", platform::kRegBinary, "\x05", "5"},
      {"long binary: first 4 bytes", platform::kRegBinary, "\x01\x02\x03\x04\x05\x06",
       "67305985"},
      {"qword: low half", 11, Bytes("\x02\0\0\0\x01\0\0\0"), "2"},
      {"empty binary", platform::kRegBinary, "", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    os.registry.Put(kHkeyCurrentUser, kKey, c.name, c.type, c.bytes);
    std::string result = "stale";
    EXPECT_EQ(Get(kKey, c.name, result), 0);
    EXPECT_EQ(result, c.text);
    EXPECT_EQ(os.registry.openHandles(), 0);
  }
}

TEST_F(RegistryLayer, RewritesKeyAndValueName) {
  os.registry.PutString(kHkeyCurrentUser, kKey, "", "unnamed");
  os.registry.PutString(kHkeyCurrentUser, kKey, "Named", "named");
  struct Case {
    std::string key, name;
    std::int32_t status;
    std::string result, keyAfter, nameAfter;
  };
  const Case cases[] = {
      {kKey, "", 0, "unnamed", kKey, ""},
      {kKey, "default", 0, "unnamed", kKey, ""},
      {kKey, "DeFaUlT", 0, "unnamed", kKey, ""},
      {kKey, "Named", 0, "named", kKey, "Named"},
      {"\\" + kKey, "named", 0, "named", kKey, "named"},
      // Only one backslash goes; the system rejects the other.
      {"\\\\" + kKey, "Named", 1, "", "\\" + kKey, "Named"},
      {kKey, "defaults", 1, "", kKey, "defaults"},
      {kKey + "\\Missing", "", 1, "", kKey + "\\Missing", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key + " / " + c.name);
    std::string key = c.key, name = c.name, result = "stale";
    EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, key, name, result), c.status);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(key, c.keyAfter);
    EXPECT_EQ(name, c.nameAfter);
  }
  EXPECT_EQ(os.registry.openHandles(), 0);
}

TEST_F(RegistryLayer, OnlyPredefinedRootsAreRead) {
  os.registry.PutString(kHkeyCurrentUser, kKey, "v", "x");
  std::string result;
  EXPECT_EQ(Get(kKey, "v", result), 0);
  for (const std::int32_t root : {0, 1, 0x1C, static_cast<std::int32_t>(0x80000004u),
                                  static_cast<std::int32_t>(0x80000006u)}) {
    SCOPED_TRACE(root);
    EXPECT_EQ(Get(kKey, "v", result, root), 1);
    EXPECT_EQ(result, "");
  }
}

// A value that changes between the size query and the read.
struct ChangingRegistry : fakes::FakeRegistry {
  int sizeChange = 0;
  long QueryValueInfo(platform::RegKeyHandle key, const std::string& name,
                      platform::RegValueInfo& info) override {
    const long status = FakeRegistry::QueryValueInfo(key, name, info);
    info.size = static_cast<std::uint32_t>(static_cast<int>(info.size) + sizeChange);
    return status;
  }
};

TEST_F(RegistryLayer, ValueChangingBetweenQueries) {
  ChangingRegistry registry;
  platform::Services services = platform::Os();
  services.registry = &registry;
  platform::Install(services);
  registry.PutString(kHkeyCurrentUser, kKey, "v", "abc");
  std::string result;
  registry.sizeChange = 5;  // shrank: only what the system wrote is taken
  EXPECT_EQ(Get(kKey, "v", result), 0);
  EXPECT_EQ(result, "abc");
  // Grew (or takes more bytes in UTF-8 than first answered): asked again
  // with room, and read whole, never cut.
  registry.sizeChange = -2;
  EXPECT_EQ(Get(kKey, "v", result), 0);
  EXPECT_EQ(result, "abc");
  EXPECT_EQ(registry.openHandles(), 0);
}

TEST_F(RegistryLayer, WritesData) {
  struct Case {
    const char* name;
    std::int32_t type;
    std::string data;
    std::optional<std::string> stored;  // none: nothing written
  };
  const Case cases[] = {
      {"stamp", platform::kRegSz, "12/08/2026", Bytes("12/08/2026\0")},
      {"empty", platform::kRegSz, "", Bytes("\0")},
      {"ANSI", platform::kRegSz, "caf\xC3\xA9", Bytes("caf\xE9\0")},
      {"expand", platform::kRegExpandSz, "%WINDIR%", Bytes("%WINDIR%\0")},
      {"dword", platform::kRegDword, "1", Bytes("\x01\0\0\0")},
      {"dword negative", platform::kRegDword, "-1", "\xFF\xFF\xFF\xFF"},
      {"dword large", platform::kRegDword, "305419896", "\x78\x56\x34\x12"},
      {"dword not a number", platform::kRegDword, "abc", std::nullopt},
      {"dword too large", platform::kRegDword, "4294967296", std::nullopt},
      {"binary", platform::kRegBinary, "5", "\x05"},
      {"binary 255", platform::kRegBinary, "255", "\xFF"},
      {"binary 256", platform::kRegBinary, "256", std::nullopt},
      {"binary negative", platform::kRegBinary, "-1", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string key = "\\" + kKey, name = c.name;
    modRegistry::SetRegistryValue(kHkeyCurrentUser, key, name, c.data, c.type);
    EXPECT_EQ(key, kKey);
    const auto value = os.registry.Get(kHkeyCurrentUser, kKey, c.name);
    ASSERT_EQ(value.has_value(), c.stored.has_value());
    if (!value) continue;
    EXPECT_EQ(value->type, static_cast<std::uint32_t>(c.type));
    EXPECT_EQ(value->bytes, *c.stored);
  }
  EXPECT_EQ(os.registry.openHandles(), 0);
}

TEST_F(RegistryLayer, WriteCreatesTheKeyAndReadsBackWhole) {
  std::string key = "\\Software\\VB and VBA Program Settings\\zantrix\\Settings";
  std::string name = "syscheck";
  modRegistry::SetRegistryValue(kHkeyCurrentUser, key, name, "12/08/2026", platform::kRegSz);
  std::string result;
  EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, key, name, result), 0);
  EXPECT_EQ(result, "12/08/2026");
  // An existing value is replaced; "Default" writes the unnamed value.
  name = "syscheck";
  modRegistry::SetRegistryValue(kHkeyCurrentUser, key, name, "01/02/2027", platform::kRegSz);
  name = "Default";
  modRegistry::SetRegistryValue(kHkeyCurrentUser, key, name, "u", platform::kRegSz);
  EXPECT_EQ(name, "");
  EXPECT_EQ(os.registry.Get(kHkeyCurrentUser, key, "syscheck")->bytes, Bytes("01/02/2027\0"));
  EXPECT_EQ(os.registry.Get(kHkeyCurrentUser, key, "")->bytes, Bytes("u\0"));
  // A root that is no predefined key writes nothing anywhere.
  name = "x";
  modRegistry::SetRegistryValue(0, key, name, "1", platform::kRegSz);
  EXPECT_FALSE(os.registry.Get(kHkeyCurrentUser, key, "x"));
  EXPECT_EQ(os.registry.openHandles(), 0);
}

}  // namespace
