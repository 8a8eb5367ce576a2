// The component checks: registry entries, file presence, file versions,
// and the version-part rules.
#include <gtest/gtest.h>

#include "requirements/modCheck.h"
#include "requirements/progress.h"
#include "tests/doubles/fake_os.h"

namespace {

using modCheck::Requirement;
using modCheck::Requirements;
using platform::kHkeyCurrentUser;

const std::string kKey = "Software\\Sim";
const std::string kDir = "C:\\Sim\\";

struct Checks : ::testing::Test {
  fakes::FakeOs os;

  Checks() { modCheck::ResetRequirements(); }

  // Checks one product and returns it.
  static Requirement Check(const Requirement& r) {
    modCheck::ResetRequirements();
    Requirements[0] = r;
    EXPECT_EQ(modCheck::RunChecks(), 0);
    EXPECT_EQ(Requirements.back(), Requirement{});
    return Requirements[0];
  }
  static Requirement Registry(const std::string& data, const std::string& name = "v") {
    Requirement r;
    r.ProductName = "P";
    r.RegRoot = kHkeyCurrentUser;
    r.RegKey = kKey;
    r.RegValueName = name;
    r.RegData = data;
    return r;
  }
  static Requirement File(const std::string& dir, const std::string& name,
                          const std::string& version = "") {
    Requirement r;
    r.ProductName = "P";
    r.FileDir = dir;
    r.FileName = name;
    r.FileVersion = version;
    return r;
  }
};

TEST_F(Checks, RegistryEntries) {
  os.registry.PutString(kHkeyCurrentUser, kKey, "text", "Value");
  os.registry.PutString(kHkeyCurrentUser, kKey, "blanks", " 1 ");
  os.registry.PutString(kHkeyCurrentUser, kKey, "empty", "");
  os.registry.Put(kHkeyCurrentUser, kKey, "dword", platform::kRegDword,
                  std::string("\x01\0\0\0", 4));
  struct Case {
    const char* value;
    const char* expected;
    bool found;
    const char* dataAfter;
  };
  const Case cases[] = {
      {"text", "", true, "Value"},  // any data accepted and taken over
      {"text", "Value", true, "Value"},
      {"text", "value", false, "value"},  // case counts
      {"missing", "", false, ""},
      {"dword", "1", true, "1"},
      {"dword", "01", false, "01"},
      {"blanks", "1", true, "1"},
      {"blanks", "01", false, "01"},
      {"empty", "", true, ""},
      {"empty", "x", false, "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " / " + c.expected);
    const Requirement r = Check(Registry(c.expected, c.value));
    EXPECT_EQ(r.Found, c.found);
    EXPECT_EQ(r.RegData, c.dataAfter);
  }
}

TEST_F(Checks, RegistryFieldsAreRewrittenInTheList) {
  os.registry.PutString(kHkeyCurrentUser, kKey, "", "x");
  Requirement r = Registry("", "DEFAULT");
  r.RegKey = "\\" + kKey;
  const Requirement after = Check(r);
  EXPECT_TRUE(after.Found);
  EXPECT_EQ(after.RegKey, kKey);
  EXPECT_EQ(after.RegValueName, "");
  EXPECT_EQ(after.RegData, "x");
}

TEST_F(Checks, UnreadableRootFromTheFileIsMissing) {
  os.registry.PutString(kHkeyCurrentUser, kKey, "v", "x");
  os.files.AddFile("C:\\Program Files\\Zantrix\\Preflect\\filespecs.xml",
                   "<product name=\"P\"><registryEntry root=\"hkey_current_user\" key=\"" + kKey +
                       "\" value=\"v\" type=\"REG_SZ\"/></product>"
                       "<product name=\"Q\"><registryEntry root=\"HKEY_CURRENT_USER\" key=\"" +
                       kKey + "\" value=\"v\"/></product>"
                       "<product name=\"R\"><registryEntry root=\"HKEY_CURRENT_USER\" key=\"" +
                       kKey + "\" value=\"v\" type=\"REG_SZ\"/></product>");
  modCheck::ProgramFolder.clear();  // the executable's folder then
  ASSERT_EQ(modCheck::ReadRequirements(), 0);
  ASSERT_EQ(modCheck::RunChecks(), 0);
  ASSERT_EQ(Requirements.size(), 4u);
  EXPECT_FALSE(Requirements[0].Found);  // root name in lower case
  EXPECT_FALSE(Requirements[1].Found);  // no type
  EXPECT_TRUE(Requirements[2].Found);
}

TEST_F(Checks, FilePresence) {
  os.files.AddFile(kDir + "sim.dll");
  os.files.AddFile(kDir + "hidden.dll", "", true);
  os.files.AddFile(kDir + "system.dll", "", false, true);
  os.files.AddFolder(kDir + "folder.dll");
  os.registry.PutString(kHkeyCurrentUser, kKey, "path", "  \"C:\\Sim\\sim.dll\"  ");
  os.registry.PutString(kHkeyCurrentUser, kKey, "inner", "\" C:\\Sim\\sim.dll \"");
  struct Case {
    const char* name;
    Requirement r;
    bool found;
  };
  Requirement viaRegistry = Registry("", "path");
  viaRegistry.FileName = " %regvalue% ";
  Requirement blanksInsideQuotes = Registry("", "inner");
  blanksInsideQuotes.FileName = "%REGVALUE%";
  Requirement registryMissingFilePresent = File(kDir, "sim.dll");
  registryMissingFilePresent.RegRoot = kHkeyCurrentUser;
  registryMissingFilePresent.RegKey = kKey;
  registryMissingFilePresent.RegValueName = "missing";
  Requirement registryFoundFileMissing = Registry("", "path");
  registryFoundFileMissing.FileName = "other.dll";
  const Case cases[] = {
      {"present", File(kDir, "sim.dll"), true},
      {"case ignored", File("c:\\sim\\", "SIM.DLL"), true},
      {"absent", File(kDir, "none.dll"), false},
      {"hidden", File(kDir, "hidden.dll"), false},
      {"system", File(kDir, "system.dll"), false},
      {"folder", File(kDir, "folder.dll"), false},
      {"dir without backslash", File("C:\\Sim", "sim.dll"), false},
      {"wildcard", File(kDir, "s*.dll"), true},
      {"wildcard with version", File(kDir, "s?m.dll", "1.0"), false},
      {"rejected path", File("C:\\Si|m\\", "sim.dll"), false},
      {"%REGVALUE% with quotes and blanks", viaRegistry, true},
      {"%REGVALUE% blanks inside quotes", blanksInsideQuotes, false},
      {"file decides over a missing value", registryMissingFilePresent, true},
      {"file decides over a found value", registryFoundFileMissing, false},
      {"neither test", Requirement{}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Check(c.r).Found, c.found);
  }
}

TEST_F(Checks, FileVersions) {
  os.files.AddFile(kDir + "v6123.dll");
  os.versions.Set(kDir + "v6123.dll", 6, 1, 2, 3);
  os.files.AddFile(kDir + "b40000.dll");
  os.versions.Set(kDir + "b40000.dll", 1, 2, 40000, 4);
  os.files.AddFile(kDir + "plain.txt");
  struct Case {
    const char* file;
    const char* required;
    bool found;
  };
  const Case cases[] = {
      {"v6123.dll", "6.1.2.3", true},
      {"v6123.dll", "", true},
      {"v6123.dll", "5.9.9.9", true},
      {"v6123.dll", "6.1.2", true},
      {"v6123.dll", "6", true},
      {"v6123.dll", "06.1.2.3", true},
      {"v6123.dll", "6.0.9.9", true},
      {"v6123.dll", "6.1.2.4", false},
      {"v6123.dll", "6.1.3", false},
      {"v6123.dll", "6.2", false},
      {"v6123.dll", "7.0.0.0", false},
      {"v6123.dll", "6.1.2.65536", false},
      // Not decimal numbers: missing, whatever the major says.
      {"v6123.dll", "5.x", false},
      {"v6123.dll", "6.1.2.3a", false},
      {"v6123.dll", ".1", false},
      {"v6123.dll", "6..2.3", false},
      {"v6123.dll", " 6.1.2.3", false},
      {"v6123.dll", "-6", false},
      {"v6123.dll", "99999999999", false},
      {"b40000.dll", "1.2.40000.4", true},
      {"b40000.dll", "1.2.39999", true},
      {"b40000.dll", "1.2.40001", false},
      {"plain.txt", "", true},
      {"plain.txt", "1.0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " for " + c.required);
    EXPECT_EQ(Check(File(kDir, c.file, c.required)).Found, c.found);
  }
}

TEST_F(Checks, EveryEntryButTheSpareAndTwoStepsEach) {
  os.files.AddFile(kDir + "a.dll");
  modCheck::ResetRequirements();
  Requirements.resize(4);
  Requirements[0] = File(kDir, "a.dll");
  Requirements[1] = File(kDir, "b.dll");
  Requirements[2] = File(kDir, "a.dll");
  Requirements[3] = File(kDir, "a.dll");  // the spare is not looked at
  modCheck::CurrentProgress().SetTheBar(33);
  EXPECT_EQ(modCheck::RunChecks(), 0);
  EXPECT_EQ(modCheck::CurrentProgress().TheBar(), 33 + 3 * 2);
  EXPECT_TRUE(Requirements[0].Found);
  EXPECT_FALSE(Requirements[1].Found);
  EXPECT_TRUE(Requirements[2].Found);
  EXPECT_FALSE(Requirements[3].Found);

  // After an empty file: one empty entry, checked and missing.
  os.files.AddFile("C:\\Program Files\\Zantrix\\Preflect\\filespecs.xml", "");
  modCheck::ProgramFolder = "C:\\Program Files\\Zantrix\\Preflect\\";
  modCheck::ResetRequirements();
  ASSERT_EQ(modCheck::ReadRequirements(), 0);
  EXPECT_EQ(modCheck::RunChecks(), 0);
  ASSERT_EQ(Requirements.size(), 2u);
  EXPECT_FALSE(Requirements[0].Found);
  Requirements.clear();
  EXPECT_EQ(modCheck::RunChecks(), 0);
}

TEST(GetVersionPart, PartsOfDottedTexts) {
  struct Case {
    const char* text;
    std::int32_t parts[4];
  };
  const Case cases[] = {
      {"6.1.2.3", {6, 1, 2, 3}},
      {"1.2.3", {1, 2, 3, 0}},
      {"1.2", {1, 2, 0, 0}},
      {"7", {7, 0, 0, 0}},
      {"1.2.40000.4", {1, 2, 40000, 4}},
      {"1.2.3.4.5", {1, 2, 4, 5}},  // five numbers: the last two from the end
      {"", {0, 0, 0, 0}},
      {"a.b.c.d", {0, 0, 0, 0}},
      {"6.x.2.3", {6, 0, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    for (int part = 0; part < 4; ++part)
      EXPECT_EQ(modCheck::GetVersionPart(part, c.text), c.parts[part]) << "part " << part;
    EXPECT_EQ(modCheck::GetVersionPart(4, c.text), 0);
    EXPECT_EQ(modCheck::GetVersionPart(-1, c.text), 0);
  }
}

}  // namespace
