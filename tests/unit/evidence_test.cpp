// The evidence the checks record beside Found, and the sentences made of
// it: one case for every way a product is found or missing.
#include <gtest/gtest.h>

#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "tests/doubles/fake_os.h"

namespace {

using modCheck::Requirement;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

const std::string kKey = "Software\\Zantrix\\FrameKit";
const std::string kDir = "C:\\Tools\\";
// The registry view this build does not see by itself.
const std::string kOtherBits = sizeof(void*) == 4 ? "64" : "32";

Requirement Named(const std::string& name) {
  Requirement r;
  r.ProductName = name;
  return r;
}

Requirement Registry(std::int32_t root, const std::string& value, const std::string& data = "") {
  Requirement r;
  r.ProductName = "P";
  r.RegRoot = root;
  r.RegKey = "\\" + kKey;
  r.RegValueName = value;
  r.RegData = data;
  return r;
}

Requirement File(const std::string& name, const std::string& version = "") {
  Requirement r;
  r.ProductName = "P";
  r.FileDir = kDir;
  r.FileName = name;
  r.FileVersion = version;
  return r;
}

Requirement InDir(const std::string& dir, const std::string& name) {
  Requirement r = File(name);
  r.FileDir = dir;
  return r;
}

Requirement Both(const std::string& value, const std::string& fileName,
                 const std::string& version = "") {
  Requirement r = Registry(kHkeyCurrentUser, value);
  r.FileName = fileName;
  r.FileDir = kDir;
  r.FileVersion = version;
  return r;
}

TEST(Evidence, ExplainsEveryWayAProductIsFoundOrMissing) {
  struct Case {
    const char* name;
    Requirement product;
    bool found;
    std::string explanation;
  };
  const std::string path = "HKEY_CURRENT_USER\\" + kKey;
  const Case cases[] = {
      {"value read, any data", Registry(kHkeyCurrentUser, "InstallPath"), true,
       "Found: " + path + ", value \"InstallPath\" = \"C:\\FrameKit\" (REG_SZ)."},
      {"default value", Registry(kHkeyCurrentUser, "default"), true,
       "Found: " + path + ", default value = \"unnamed\" (REG_SZ)."},
      {"data as required", Registry(kHkeyCurrentUser, "Build", "1"), true,
       "Found: " + path + ", value \"Build\" = \"1\" (REG_DWORD), as required."},
      {"data differs", Registry(kHkeyCurrentUser, "Edition", "pro"), false,
       "Missing: " + path + ", value \"Edition\" is \"Pro\" (REG_SZ); \"pro\" is required "
       "(letter case counts)."},
      {"empty value, none expected", Registry(kHkeyCurrentUser, "Empty"), true,
       "Found: " + path + ", value \"Empty\" = \"\" (REG_SZ)."},
      {"no value", Registry(kHkeyCurrentUser, "Gone"), false,
       "Missing: " + path + " has no value \"Gone\"."},
      {"no key",
       [] {
         Requirement r = Registry(kHkeyCurrentUser, "x");
         r.RegKey = "Software\\Nobody";
         return r;
       }(),
       false, "Missing: the registry key HKEY_CURRENT_USER\\Software\\Nobody does not exist."},
      {"access denied", Registry(kHkeyLocalMachine, "InstallPath"), false,
       "Missing: access to the registry key HKEY_LOCAL_MACHINE\\" + kKey + " was denied."},
      {"no root", Registry(0, "InstallPath"), false,
       "Missing: the registry entry names no root that can be read (its \"root\" or \"type\" is "
       "neither one of the names nor a number)."},
      {"root not one of the five", Registry(7, "InstallPath"), false,
       "Missing: the registry root 7 is not one of the five registry roots."},
      {"no file", File("gamma.dll"), false, "Missing: C:\\Tools\\gamma.dll does not exist."},
      {"nothing matches", File("*.none"), false, "Missing: no file matches C:\\Tools\\*.none."},
      {"hidden file", File("hidden.dll"), false,
       "Missing: C:\\Tools\\hidden.dll is a hidden or system file, and those do not count."},
      {"folder", File("Sub"), false, "Missing: C:\\Tools\\Sub is a folder, not a file."},
      {"no version needed", File("plain.txt"), true,
       "Found: C:\\Tools\\plain.txt is there; no version is required."},
      {"version exact", File("beta.dll", "6.1.2.3"), true,
       "Found: C:\\Tools\\beta.dll has version 6.1.2.3, as required."},
      {"version newer", File("beta.dll", "5.9.9.9"), true,
       "Found: C:\\Tools\\beta.dll has version 6.1.2.3; 5.9.9.9 or later is needed."},
      {"version older", File("beta.dll", "7.0.0.0"), false,
       "Missing: C:\\Tools\\beta.dll has version 6.1.2.3; 7.0.0.0 or later is needed."},
      {"no version information", File("plain.txt", "1.0"), false,
       "Missing: C:\\Tools\\plain.txt has no version information; 1.0 or later is needed."},
      {"required version not numbers", File("beta.dll", "7.x"), false,
       "Missing: C:\\Tools\\beta.dll has version 6.1.2.3, but the required version \"7.x\" is "
       "not dotted numbers."},
      // A pattern has no version information of its own.
      {"wildcard", File("be*.dll"), true,
       "Found: beta.dll (matching C:\\Tools\\be*.dll) is there; no version is required."},
      {"file decides over the registry", Both("Gone", "beta.dll"), true,
       "Found: C:\\Tools\\beta.dll has version 6.1.2.3; no version is required.\r\n"
       "Registry: " + path + " has no value \"Gone\" (the file test decides)."},
      {"path from the registry", Both("InstallPath", "%REGVALUE%"), false,
       "Missing: C:\\FrameKit (the path the registry value gave) is a folder, not a file.\r\n"
       "Registry: " + path + ", value \"InstallPath\" = \"C:\\FrameKit\" (REG_SZ) (the file "
       "test decides)."},
      {"no path from the registry", Both("Gone", " %regvalue% "), false,
       "Missing: the registry value gave no path to look for.\r\n"
       "Registry: " + path + " has no value \"Gone\" (the file test decides)."},
      {"neither", Named("P"), false,
       "Missing: this product names no registry value and no file."},
      // The search could not look: still missing, and why.
      {"folder denied", InDir("C:\\Locked\\", "a.dll"), false,
       "Missing: C:\\Locked\\a.dll could not be looked for: access to its folder was denied."},
      {"no disk", InDir("E:\\", "setup.exe"), false,
       "Missing: E:\\setup.exe could not be looked for: the drive is not ready (there is no disk "
       "in it)."},
      {"network path", InDir("\\\\server\\share\\", "x.dll"), false,
       "Missing: \\\\server\\share\\x.dll could not be looked for: the network path cannot be "
       "reached."},
      {"other failure", InDir("F:\\", "x.dll"), false,
       "Missing: F:\\x.dll could not be looked for: error 1117."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeOs os;
    os.registry.PutString(kHkeyCurrentUser, kKey, "InstallPath", "C:\\FrameKit");
    os.registry.PutString(kHkeyCurrentUser, kKey, "", "unnamed");
    os.registry.PutString(kHkeyCurrentUser, kKey, "Edition", "Pro");
    os.registry.PutString(kHkeyCurrentUser, kKey, "Empty", "");
    os.registry.Put(kHkeyCurrentUser, kKey, "Build", platform::kRegDword,
                    std::string("\x01\0\0\0", 4));
    os.registry.AddKey(kHkeyLocalMachine, kKey);
    os.registry.Deny(kHkeyLocalMachine, kKey);
    os.files.AddFile(kDir + "beta.dll", "MZ");
    os.versions.Set(kDir + "beta.dll", 6, 1, 2, 3);
    os.files.AddFile(kDir + "plain.txt", "text");
    os.files.AddFile(kDir + "hidden.dll", "MZ", true);
    os.files.AddFolder(kDir + "Sub");
    os.files.AddFolder("C:\\FrameKit");
    os.files.AddFile("C:\\Locked\\a.dll", "MZ");
    os.files.FailSearches("C:\\Locked", platform::kErrorAccessDenied);
    os.files.FailSearches("E:", platform::kErrorNotReady);
    os.files.FailSearches("\\\\server\\share", platform::kErrorBadNetPath);
    os.files.FailSearches("F:", 1117);
    modCheck::ResetRequirements();
    modCheck::Requirements[0] = c.product;
    modCheck::RunChecks();
    const modCheck::Evidence& e = modCheck::EvidenceFor(0);
    EXPECT_EQ(modCheck::Requirements[0].Found, c.found);
    EXPECT_EQ(e.found, c.found);
    EXPECT_EQ(modCheck::Explain(e), c.explanation);
  }
}

// view="..." reads the registry view it names; a value only the view that
// was not read holds is named, never counted, with the attribute to write.
TEST(Evidence, RegistryViews) {
  const std::string own = kOtherBits == "64" ? "32" : "64", other = kOtherBits;
  const std::string key = "HKEY_LOCAL_MACHINE\\" + kKey, value = ", value \"InstallPath\"";
  const std::string stored = " (\"C:\\FrameKit\" (REG_SZ)); ";
  struct Case {
    bool inOtherView;
    std::string view, explanation;
    bool oneView = false;  // 32-bit Windows: the value is simply there
  };
  const std::string plain = "Found: " + key + value + " = \"C:\\FrameKit\" (REG_SZ).";
  const Case cases[] = {
      {true, "", plain, true},
      {true, "64", plain, true},
      {true, "32", plain, true},
      {true, "", "Missing: the registry key " + key + " does not exist.\r\n" + key + value +
                     " exists only in the " + other + "-bit registry" + stored + "add view=\"" +
                     other + "\" to the registry entry to check it there."},
      {true, other, "Found: " + key + " (" + other + "-bit view)" + value + " = \"C:\\FrameKit\" (REG_SZ)."},
      {false, other, "Missing: the registry key " + key + " (" + other + "-bit view) does not exist.\r\n" +
                         key + value + " exists only in the " + own + "-bit registry" + stored +
                         "change view=\"" + other + "\" to view=\"" + own + "\" on the registry entry to check it there."},
      {false, "x64", "Found: " + key + value + " = \"C:\\FrameKit\" (REG_SZ)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view + (c.oneView ? " one view" : ""));
    fakes::FakeOs os;
    if (c.oneView) os.RunOn32BitWindows();
    const std::string bytes("C:\\FrameKit\0", 12);
    if (c.inOtherView)
      os.registry.PutOtherView(kHkeyLocalMachine, kKey, "InstallPath", platform::kRegSz, bytes);
    else
      os.registry.Put(kHkeyLocalMachine, kKey, "InstallPath", platform::kRegSz, bytes);
    modCheck::ResetRequirements();
    modCheck::Requirements[0] = Registry(kHkeyLocalMachine, "InstallPath");
    modCheck::Requirements[0].RegView = c.view;
    modCheck::RunChecks();
    EXPECT_EQ(modCheck::Requirements[0].Found, c.explanation.rfind("Found", 0) == 0);
    EXPECT_EQ(modCheck::Explain(modCheck::EvidenceFor(0)), c.explanation);
  }
}

// view="64" on a file entry: the search and the version read see the
// 64-bit system folder, and redirection is back on right after.
TEST(Evidence, FileSides) {
  const std::string path = "C:\\windows\\system32\\drivers\\pcap.sys";
  const std::string has = " has version 4.1.0.2; 4.0 or later is needed.";
  struct Case {
    int side;  // where the file lies: only 64, only 32, 0 both, or -1 nowhere
    std::string view, explanation;
    bool oneView = false;  // 32-bit Windows: no redirection to turn off
  };
  const Case cases[] = {
      {0, "64", "Found: " + path + has, true},
      {64, "", "Missing: " + path + " does not exist.\r\n" + path +
                   " exists only in the 64-bit file system; add view=\"64\" to the file entry to check it there."},
      {64, "64", "Found: " + path + " in the 64-bit file system" + has},
      {32, "64", "Missing: " + path + " in the 64-bit file system does not exist.\r\n" + path +
                     " exists only in the 32-bit file system; remove view=\"64\" from the file entry to check it there."},
      {32, "32", "Found: " + path + has},
      {-1, "64", "Missing: " + path + " in the 64-bit file system does not exist."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.explanation);
    fakes::FakeOs os;
    if (c.oneView) os.RunOn32BitWindows();
    if (c.side >= 0) os.files.AddFileOnSide(path, c.side);
    os.versions.Set(path, 4, 1, 0, 2);
    modCheck::ResetRequirements();
    Requirement r = File("pcap.sys", "4.0");
    r.FileDir = "C:\\windows\\system32\\drivers\\";
    r.FileView = c.view;
    modCheck::Requirements[0] = r;
    modCheck::RunChecks();
    EXPECT_EQ(modCheck::Requirements[0].Found, c.explanation.rfind("Found", 0) == 0);
    EXPECT_EQ(modCheck::Explain(modCheck::EvidenceFor(0)), c.explanation);
    EXPECT_FALSE(os.files.native) << "redirection left off";
  }
}

// The rewrites the checks make stay as they were, evidence or not.
TEST(Evidence, RecordingChangesNoDecisionNorRewrite) {
  fakes::FakeOs os;
  os.registry.PutString(kHkeyCurrentUser, kKey, "InstallPath", " C:\\FrameKit ");
  modCheck::ResetRequirements();
  modCheck::Requirements[0] = Registry(kHkeyCurrentUser, "DEFAULT");
  modCheck::Requirements[1] = Registry(kHkeyCurrentUser, "InstallPath");
  modCheck::Requirements.emplace_back();
  modCheck::RunChecks();
  EXPECT_EQ(modCheck::Requirements[0].RegKey, kKey);
  EXPECT_EQ(modCheck::Requirements[0].RegValueName, "");
  EXPECT_EQ(modCheck::Requirements[1].RegData, "C:\\FrameKit");
  EXPECT_EQ(modCheck::Evidences.size(), 2u);
  EXPECT_EQ(modCheck::EvidenceFor(5).decider, modCheck::Decider::Neither);
}

}  // namespace
