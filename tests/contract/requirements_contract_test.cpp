// The requirements reader, the checks and the registry layer against
// whatever services are installed: the doubles natively, the real files,
// registry and version resources under Wine.
#include <gtest/gtest.h>

#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "requirements/modRegistry.h"
#include "tests/contract/env.h"

namespace {

using modCheck::Requirement;
using modCheck::Requirements;
using platform::kHkeyCurrentUser;

template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

// Message boxes are recorded, never shown: a real one would wait for a user.
struct RecordedBoxes : platform::MessageBoxes {
  std::vector<std::string> titles;
  int Show(const std::string&, const std::string& title, std::uint32_t) override {
    titles.push_back(title);
    return platform::kIdOk;
  }
};

struct RequirementsContract : ::testing::Test {
  contract::Env& env = contract::TheEnv();
  std::string dir = env.ScratchFolder();
  std::string key = env.ScratchKey();
  RecordedBoxes boxes;

  RequirementsContract() {
    platform::Services services = env.os();
    services.messageBoxes = &boxes;
    platform::Install(services);
    modCheck::ProgramFolder = dir + "\\";
    modCheck::ResetRequirements();
  }
  ~RequirementsContract() override { platform::Install(env.os()); }

  static std::pair<std::string, std::string> Split(const std::string& path) {
    const auto slash = path.rfind('\\');
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
  }
  static Requirement FileEntry(const std::string& path, const std::string& version = "") {
    Requirement r;
    r.ProductName = "P";
    std::tie(r.FileDir, r.FileName) = Split(path);
    r.FileVersion = version;
    return r;
  }
  static bool Found(const Requirement& r) {
    modCheck::ResetRequirements();
    Requirements[0] = r;
    modCheck::RunChecks();
    return Requirements[0].Found;
  }
};

TEST_F(RequirementsContract, ReadsTheFileInTheProgramFolder) {
  env.MakeFile(dir + "\\filespecs.xml",
               "<?xml version=\"1.0\"?>\r\n<systemSearch>\r\n"
               "<product name=\"Runtime\">\r\n"
               "  <registryEntry root=\"HKEY_CURRENT_USER\" key=\"\\" + key +
                   "\" value=\"Path\" type=\"REG_SZ\" data=\"\"/>\r\n"
                   "  <fileEntry name=\"%REGVALUE%\" dir=\"%ZANTRIXDIR%\\\" version=\"1.0\"/>\r\n"
                   "  <remedy source=\"packaged\" location=\"%SYSTEMDIR%\\setup.exe\"/>\r\n"
                   "</product>\r\n<product name=\"Caf\xE9\"></product>\r\n</systemSearch>\r\n");
  ASSERT_EQ(modCheck::ReadRequirements(), 0);
  ASSERT_EQ(Requirements.size(), 3u);
  const Requirement& r = Requirements[0];
  EXPECT_EQ(r.ProductName, "Runtime");
  EXPECT_EQ(r.RegRoot, kHkeyCurrentUser);
  EXPECT_EQ(r.RegKey, "\\" + key);
  EXPECT_EQ(r.RegType, 1);
  std::string exe = env.os().app->ExecutableFolder();
  if (exe.back() == '\\') exe.pop_back();
  EXPECT_EQ(r.FileDir, exe + "\\");
  EXPECT_EQ(r.RemedyLocation.find("\\\\"), std::string::npos);
  EXPECT_EQ(r.RemedyLocation.substr(r.RemedyLocation.size() - 10), "\\setup.exe");
  EXPECT_EQ(Requirements[1].ProductName, "Caf\xC3\xA9");
  EXPECT_TRUE(boxes.titles.empty());
}

TEST_F(RequirementsContract, HiddenOrMissingFile) {
  env.MakeFile(dir + "\\filespecs.xml", "<product name=\"A\"></product>", true);
  EXPECT_EQ(modCheck::ReadRequirements(), 0);
  EXPECT_EQ(Requirements.size(), 2u);
  EXPECT_EQ(Requirements[0].ProductName, "");
  EXPECT_TRUE(boxes.titles.empty());

  modCheck::ProgramFolder = env.ScratchFolder() + "\\";
  EXPECT_EQ(modCheck::ReadRequirements(), 110);
  EXPECT_EQ(boxes.titles, std::vector<std::string>{"Error"});
}

TEST_F(RequirementsContract, RegistryValuesReadAsText) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"sz", platform::kRegSz, Bytes("abc\0"), "abc"},
      {"sz without NUL", platform::kRegSz, "abc", "abc"},
      {"sz blanks", platform::kRegSz, Bytes(" 1 \0"), "1"},
      {"sz empty", platform::kRegSz, "", ""},
      {"multi", platform::kRegMultiSz, Bytes("a\0b\0\0"), Bytes("a\0b\0")},
      {"expand", platform::kRegExpandSz, Bytes("%WINDIR%\0"), "%WINDIR%"},
      {"dword", platform::kRegDword, Bytes("\x01\0\0\0"), "1"},
      {"dword -1", platform::kRegDword, "\xFF\xFF\xFF\xFF", "-1"},
      {"binary", platform::kRegBinary, "\x05", "5"},
      {"long binary", platform::kRegBinary, "\x01\x02\x03\x04\x05", "67305985"},
      {"", platform::kRegSz, Bytes("unnamed\0"), "unnamed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    env.PutRaw(kHkeyCurrentUser, key, c.name, c.type, c.bytes);
    std::string k = "\\" + key, name = c.name, result;
    EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, k, name, result), 0);
    EXPECT_EQ(result, c.text);
  }
  std::string k = key, name = "Default", result = "stale";
  EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, k, name, result), 0);
  EXPECT_EQ(result, "unnamed");
  name = "missing";
  EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, k, name, result), 1);
  EXPECT_EQ(result, "");
  k = "\\\\" + key;
  name = "sz";
  EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, k, name, result), 1);
  k = key + "\\none";
  EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, k, name, result), 1);
}

TEST_F(RequirementsContract, WrittenValuesAsStored) {
  struct Case {
    const char* name;
    std::int32_t type;
    std::string data;
    std::string bytes;
  };
  const Case cases[] = {
      {"stamp", platform::kRegSz, "12/08/2026", Bytes("12/08/2026\0")},
      {"dword", platform::kRegDword, "1", Bytes("\x01\0\0\0")},
      {"binary", platform::kRegBinary, "5", "\x05"},
  };
  const std::string newKey = key + "\\created\\below";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string k = "\\" + newKey, name = c.name;
    modRegistry::SetRegistryValue(kHkeyCurrentUser, k, name, c.data, c.type);
    std::uint32_t type = 0;
    std::string bytes;
    ASSERT_TRUE(env.GetRaw(kHkeyCurrentUser, newKey, c.name, type, bytes));
    EXPECT_EQ(type, static_cast<std::uint32_t>(c.type));
    EXPECT_EQ(bytes, c.bytes);
    std::string result;
    name = c.name;
    EXPECT_EQ(modRegistry::GetRegistryValue(kHkeyCurrentUser, k, name, result), 0);
    EXPECT_EQ(result, c.data);
  }
}

TEST_F(RequirementsContract, FileVersions) {
  const std::string v6123 = env.FixturePath(contract::Fixture::Version6123);
  const std::string b40000 = env.FixturePath(contract::Fixture::Build40000);
  const std::string none = env.FixturePath(contract::Fixture::NoVersionInfo);
  struct Case {
    std::string path;
    const char* required;
    bool found;
  };
  const Case cases[] = {
      {v6123, "6.1.2.3", true},   {v6123, "5.9.9.9", true},  {v6123, "6.1.2", true},
      {v6123, "7.0.0.0", false},  {v6123, "6.1.3", false},   {v6123, "", true},
      {b40000, "1.2.40000.4", true}, {b40000, "1.2.40001", false},
      {none, "", true},           {none, "1.0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " for " + c.required);
    EXPECT_EQ(Found(FileEntry(c.path, c.required)), c.found);
  }
}

TEST_F(RequirementsContract, FilePresence) {
  env.MakeFile(dir + "\\plain.dll", "x");
  env.MakeFile(dir + "\\hidden.dll", "x", true);
  env.MakeFile(dir + "\\system.dll", "x", false, true);
  EXPECT_TRUE(Found(FileEntry(dir + "\\plain.dll")));
  EXPECT_TRUE(Found(FileEntry(dir + "\\PLAIN.DLL")));
  EXPECT_FALSE(Found(FileEntry(dir + "\\hidden.dll")));
  EXPECT_FALSE(Found(FileEntry(dir + "\\system.dll")));
  EXPECT_FALSE(Found(FileEntry(dir + "\\none.dll")));
  EXPECT_FALSE(Found(FileEntry(dir + "\\pl\"ain.dll")));
  EXPECT_FALSE(Found(FileEntry(dir + "plain.dll")));  // dir and name joined bare

  // A wildcard finds the file but no version information.
  const auto [fixtureDir, fixtureName] = Split(env.FixturePath(contract::Fixture::Version6123));
  const std::string pattern = fixtureDir + fixtureName.substr(0, 3) + "*";
  EXPECT_TRUE(Found(FileEntry(pattern)));
  EXPECT_FALSE(Found(FileEntry(pattern, "6.1.2.3")));

  // %REGVALUE%: the path the registry test read, unquoted.
  env.PutRaw(kHkeyCurrentUser, key, "Path", platform::kRegSz,
             "  \"" + dir + "\\plain.dll\"  " + std::string(1, '\0'));
  Requirement r;
  r.RegRoot = kHkeyCurrentUser;
  r.RegKey = key;
  r.RegValueName = "Path";
  r.FileName = "%RegValue%";
  EXPECT_TRUE(Found(r));
  EXPECT_EQ(Requirements[0].RegData, "\"" + dir + "\\plain.dll\"");
}

// view="32" and view="64" on a registry entry read that view on 64-bit
// Windows, and both read the one view where there is only one; a miss
// names the attribute that would find the value.
TEST_F(RequirementsContract, RegistryViewAttribute) {
  const std::string machineKey = "Software\\ZantrixContractAttr" + key.substr(key.rfind('\\') + 1);
  env.PutOtherView(machineKey, "InstallPath", "C:\\FrameKit");
  const bool twoViews = env.HasOtherRegistryView();
  const std::string other = sizeof(void*) == 4 ? "64" : "32", own = sizeof(void*) == 4 ? "32" : "64";
  for (const std::string& view : {std::string(), own, other}) {
    SCOPED_TRACE("view=\"" + view + "\"");
    Requirement r;
    r.ProductName = "P";
    r.RegRoot = platform::kHkeyLocalMachine;
    r.RegKey = machineKey;
    r.RegValueName = "InstallPath";
    r.RegView = view;
    const bool expected = !twoViews || view == other;
    EXPECT_EQ(Found(r), expected);
    const std::string why = modCheck::Explain(modCheck::EvidenceFor(0));
    EXPECT_EQ(why.find("exists only in the " + other + "-bit registry (\"C:\\FrameKit\" (REG_SZ)); " +
                       (view.empty() ? "add" : "change view=\"" + view + "\" to") + " view=\"" +
                       other + "\"") != std::string::npos,
              !expected)
        << why;
  }
}

// view="64" on a file entry finds a driver in the 64-bit system folder
// that a 32-bit program on 64-bit Windows does not see by itself; where
// the program sees that folder anyway, the attribute changes nothing.
TEST_F(RequirementsContract, FileViewAttribute) {
  const std::string name = "zantrix_contract_" + key.substr(key.rfind('\\') + 1) + ".sys";
  const bool separate = env.PutNativeSystemFile(name, contract::Fixture::Version6123);
  for (const std::string& view : {std::string(), std::string("64")}) {
    SCOPED_TRACE("view=\"" + view + "\"");
    Requirement r;
    r.ProductName = "P";
    r.FileDir = modCheck::GetAttributeValue("<fileEntry dir=\"%SYSTEMDIR%\\\">", 6);
    r.FileName = name;
    r.FileVersion = "6.0";
    r.FileView = view;
    const bool expected = !separate || view == "64";
    EXPECT_EQ(Found(r), expected);
    const std::string why = modCheck::Explain(modCheck::EvidenceFor(0));
    EXPECT_NE(why.find(expected ? "has version 6.1.2.3" : "only in the 64-bit file system; add view=\"64\""),
              std::string::npos)
        << why;
  }
}

}  // namespace
