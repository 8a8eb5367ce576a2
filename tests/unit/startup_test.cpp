// Start-up: the edition table, the folder resolver and the whole sequence.
#include <gtest/gtest.h>

#include "checkwindow/frmSystemCheck.h"
#include "requirements/modCheck.h"
#include "startup/EditionDescriptor.h"
#include "startup/clsDirChecker.h"
#include "startup/modMain.h"
#include "tests/doubles/fake_os.h"

namespace {

const std::string kAppData = "C:\\ProgramData\\";
const std::string kVendor = "Zantrix Software";

TEST(EditionTitle, FirstExactMatchWins) {
  struct Case {
    const char* edition;
    const char* license;
    const char* title;
  };
  const Case cases[] = {
      {"zenith", "licenseserver", "Zantrix Quillon for Zenith 7.0 Client Edition"},
      {"zenith", "LicenseServer", "Zantrix Quillon for Zenith 7.0"},
      {"zenith", "", "Zantrix Quillon for Zenith 7.0"},
      {"Zenith", "licenseserver", "Zantrix Quillon for Orbit 7.0 Client Edition"},
      {"sprout", "licenseserver", "Zantrix Quillon for Sprout 7 Client Edition"},
      {"sprout", "node", "Zantrix Quillon for Sprout 7"},
      {"pxorbit", "licenseserver", "Zantrix Quillon Limited Edition 7 for Pressworth"},
      {"pxorbit", "", "Zantrix Quillon Limited Edition 7 for Pressworth"},
      {"pxsprout", "x", "Zantrix Quillon Limited Edition Sprout for Pressworth"},
      {"", "", "Zantrix Quillon for Orbit 7.0"},
      {"zenith ", "licenseserver", "Zantrix Quillon for Orbit 7.0 Client Edition"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(modMain::EditionTitle(c.edition, c.license), c.title)
        << c.edition << "/" << c.license;
}

TEST(EditionDescriptorFile, ReadsNamedValues) {
  const std::string file =
      "\xEF\xBB\xBF# edition of this installation\r\n"
      "Version = zenith\r\n"
      "; comment\r\n"
      "garbage line\n"
      "licensetype=\"licenseserver\"\n"
      "version=sprout\n";
  EXPECT_EQ(EditionDescriptorFile::Lookup(file, "version"), "zenith");
  EXPECT_EQ(EditionDescriptorFile::Lookup(file, "licensetype"), "licenseserver");
  EXPECT_EQ(EditionDescriptorFile::Lookup(file, "other"), "");
  EXPECT_EQ(EditionDescriptorFile::Lookup("", "version"), "");
  EXPECT_EQ(EditionDescriptorFile::Lookup(std::string("version=a\0b", 11), "version"),
            std::string("a\0b", 3));
}

struct DirChecker : ::testing::Test {
  fakes::FakeOs os;
  clsDirChecker checker;
  std::string App(const std::string& title = "T") {
    return checker.GetPath("App", kVendor, title, "");
  }
};

TEST_F(DirChecker, SelectorsAreCaseSensitive) {
  for (const char* selector : {"app", "APP", "PROGRAM", "user", "", "Other"}) {
    EXPECT_EQ(checker.GetPath(selector, kVendor, "T", "Sub"), "") << selector;
  }
  EXPECT_EQ(os.files.changes(), 0);
}

TEST_F(DirChecker, AppCreatesVendorAndProductOnce) {
  EXPECT_EQ(App(), kAppData + "Zantrix Software\\T\\");
  EXPECT_TRUE(os.files.Find(kAppData + "Zantrix Software")->folder);
  EXPECT_TRUE(os.files.Find(kAppData + "Zantrix Software\\T")->folder);
  EXPECT_FALSE(os.files.Exists(kAppData + "permit.per"));
  const int changes = os.files.changes();
  EXPECT_EQ(App(), kAppData + "Zantrix Software\\T\\");
  // Only the probe's own write and delete.
  EXPECT_EQ(os.files.changes(), changes + 2);
}

TEST_F(DirChecker, ExistingFolderInOtherCaseIsAccepted) {
  os.files.AddFolder(kAppData + "zantrix software");
  EXPECT_EQ(App(), kAppData + "Zantrix Software\\T\\");
  EXPECT_EQ(os.files.Find(kAppData + "Zantrix Software")->path, kAppData + "zantrix software");
}

TEST_F(DirChecker, PlainFileTakenForVendorFolder) {
  os.files.AddFile(kAppData + kVendor, "not a folder");
  EXPECT_EQ(checker.GetPath("App", kVendor, "", ""), kAppData + "Zantrix Software\\");
  EXPECT_FALSE(os.files.Find(kAppData + kVendor)->folder);
  EXPECT_THROW(App(), platform::OsError);
}

TEST_F(DirChecker, LeftoverProbeIsReplacedAndRemoved) {
  os.files.AddFile(kAppData + "permit.per", "old");
  EXPECT_EQ(App(), kAppData + "Zantrix Software\\T\\");
  EXPECT_FALSE(os.files.Exists(kAppData + "permit.per"));
}

TEST_F(DirChecker, UnwritableDataFolderFallsBackToTemp) {
  // Each way the probe can fail moves "App" to the temporary folder.
  struct Case {
    const char* name;
    void (*arrange)(fakes::FakeOs&);
  };
  const Case cases[] = {
      {"writes denied", [](fakes::FakeOs& o) { o.files.DenyWrites("C:\\ProgramData"); }},
      {"leftover probe cannot be removed",
       [](fakes::FakeOs& o) {
         o.files.AddFile("C:\\ProgramData\\permit.per", "A");
         o.files.KeepDeletedFilesIn("C:\\ProgramData");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeOs fresh;
    c.arrange(fresh);
    EXPECT_EQ(clsDirChecker().GetPath("App", kVendor, "T", ""),
              "C:\\users\\tester\\Temp\\Zantrix Software\\T\\");
    EXPECT_TRUE(fresh.files.Exists("C:\\users\\tester\\Temp\\Zantrix Software\\T"));
    EXPECT_FALSE(fresh.files.Exists("C:\\ProgramData\\Zantrix Software"));
  }
}

TEST_F(DirChecker, NoDataFolderMeansTheDriveRoot) {
  os.folders.special[platform::kCsidlCommonAppData] = {platform::kErrorInvalidParameter, ""};
  EXPECT_EQ(App(), "\\Zantrix Software\\T\\");
  EXPECT_TRUE(os.files.Exists("C:\\Zantrix Software\\T"));
}

TEST_F(DirChecker, UserCreatesSubfolderButReturnsDocuments) {
  EXPECT_EQ(checker.GetPath("User", "", "", "Sub"), "C:\\users\\tester\\Documents\\");
  EXPECT_TRUE(os.files.Find("C:\\users\\tester\\Documents\\Sub")->folder);
  EXPECT_EQ(checker.GetPath("User", kVendor, "T", ""), "C:\\users\\tester\\Documents\\");
}

TEST_F(DirChecker, ProgramFolderEndsWithOneBackslash) {
  for (const auto& [folder, expected] :
       {std::pair<std::string, std::string>{"C:\\", "C:\\"},
        {"C:\\Program Files\\Zantrix", "C:\\Program Files\\Zantrix\\"},
        {"\\\\server\\share\\app", "\\\\server\\share\\app\\"}}) {
    os.app.folder = folder;
    EXPECT_EQ(checker.GetPath("Program", "", "", ""), expected);
  }
}

TEST_F(DirChecker, MyDocDirIsThePlatformAnswerUnchanged) {
  EXPECT_EQ(checker.GetMyDocDir(), "");
  os.folders.special[platform::kCsidlMyDocuments] = {0, "C:\\users\\tester\\Desktop Docs"};
  EXPECT_EQ(checker.GetMyDocDir(), "C:\\users\\tester\\Desktop Docs");
}

struct Startup : ::testing::Test {
  fakes::FakeOs os;
  Startup() { os.files.AddFile(os.app.folder + "\\filespecs.xml", "<product name=\"A\"></product>"); }
  ~Startup() override {
    for (platform::Form* form : platform::LoadedForms()) form->Unload();
  }
  void Descriptor(const std::string& text) {
    os.files.AddFile(os.app.folder + "\\version.xml.enc", text);
  }
};

TEST_F(Startup, CreatesTheEditionsDataFolder) {
  Descriptor("version=zenith\nlicensetype=licenseserver\n");
  EXPECT_EQ(modMain::Run(), 0);
  EXPECT_EQ(modCheck::ProgramFolder, os.app.folder + "\\");
  EXPECT_TRUE(os.files.Exists(kAppData + kVendor +
                              "\\Zantrix Quillon for Zenith 7.0 Client Edition"));
  EXPECT_TRUE(os.messageBoxes.shown.empty());
  // The check window has run its first test and shows its rows.
  EXPECT_TRUE(TheSystemCheck().Visible());
}

TEST_F(Startup, MissingDescriptorGivesTheDefaultEdition) {
  EXPECT_EQ(modMain::Run(), 0);
  EXPECT_TRUE(os.files.Exists(kAppData + kVendor + "\\Zantrix Quillon for Orbit 7.0"));
}

TEST_F(Startup, ReadsBothValuesWithFreshReaders) {
  struct Recorder : IEditionDescriptorReader {
    std::vector<std::string>* log;
    std::string ReadValue(const std::string& file, const std::string& name) override {
      log->push_back(file + "|" + name);
      return name == "version" ? "sprout" : "licenseserver";
    }
  };
  std::vector<std::string> log;
  int created = 0;
  SetEditionReaderFactory([&] {
    ++created;
    auto r = std::make_unique<Recorder>();
    r->log = &log;
    return r;
  });
  os.app.folder = "C:\\";
  modMain::Main();
  SetEditionReaderFactory({});
  EXPECT_EQ(created, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"C:\\version.xml.enc|version",
                                            "C:\\version.xml.enc|licensetype"}));
  EXPECT_TRUE(os.files.Exists(kAppData + kVendor + "\\Zantrix Quillon for Sprout 7 Client Edition"));
}

TEST_F(Startup, FolderErrorsEndStartupWithAClearBox) {
  os.files.DenyWrites(kAppData + kVendor);
  EXPECT_EQ(modMain::Run(), 1);
  ASSERT_EQ(os.messageBoxes.shown.size(), 1u);
  const auto& box = os.messageBoxes.shown[0];
  EXPECT_EQ(box.title, "Zantrix Preflect");
  EXPECT_EQ(box.style, platform::kMbOk | platform::kMbIconStop);
  EXPECT_EQ(box.text,
            "Zantrix Preflect cannot start.\r\n\r\nError 5: Could not create the folder "
            "\"C:\\ProgramData\\Zantrix Software\": Access denied.");
}

TEST_F(Startup, UnreadableDescriptorEndsStartup) {
  Descriptor("version=zenith\n");
  os.files.Lock(os.app.folder + "\\version.xml.enc");
  EXPECT_EQ(modMain::Run(), 1);
  ASSERT_EQ(os.messageBoxes.shown.size(), 1u);
  EXPECT_NE(os.messageBoxes.shown[0].text.find("Error 5: Could not read the file"),
            std::string::npos);
  EXPECT_FALSE(os.files.Exists(kAppData + kVendor));
}

// A system that ignores the manifest's request for UTF-8 hands the program
// "?" for every character its code page lacks, or by best fit a look-alike
// ("Ł" as "L"). Start-up then ends with a box that names the folder as it
// is, or goes on where another folder serves.
TEST_F(Startup, FoldersTheSystemCannotPass) {
  const std::string cyrillic = "C:\\Users\\\xD0\x9F\xD1\x91\xD1\x82\xD1\x80";  // Пётр
  struct Case {
    std::string program, appData, temp;
    std::string named;  // the folder the box names; empty: start-up goes on in temp
    bool bestFit = false;  // program empty: the named folder as the code page passes it
  };
  const std::string polish = "C:\\Users\\\xC5\x81ukasz";  // Łukasz
  const Case cases[] = {
      // Best fit: "Łukasz" arrives as "Lukasz", with no "?" to give it away.
      {"", "C:\\ProgramData", "C:\\Temp\\", polish + "\\Demo", true},
      {"", "C:\\ProgramData", "C:\\Temp\\", polish + "\\Demo", false},
      {"C:\\Users\\????\\Demo", "C:\\ProgramData", "C:\\Temp\\", cyrillic + "\\Demo"},
      {"C:\\Zantrix", "C:\\Data\\???", "C:\\Temp\\", ""},
      {"C:\\Zantrix", "C:\\Data\\???", "C:\\Users\\????\\Temp\\", cyrillic + "\\Temp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program + " " + c.temp + (c.bestFit ? " best fit" : ""));
    fakes::FakeOs fake;
    fake.codePage.bestFit = c.bestFit;
    const std::string exact = c.program.empty()                              ? c.named
                              : c.program.find('?') != std::string::npos ? cyrillic + "\\Demo"
                                                                         : c.program;
    fake.app.folder =
        c.program.empty() ? fake.codePage.FromAnsi(fake.codePage.ToAnsi(c.named)) : c.program;
    fake.files.AddFile(fake.app.folder + "\\filespecs.xml", "<product name=\"A\"></product>");
    fake.files.AddFolder("C:\\Temp");
    fake.folders.special[platform::kCsidlCommonAppData] = {0, c.appData};
    fake.folders.temp = c.temp;
    fake.folders.exact = {{platform::NamedFolder::Program, exact},
                          {platform::NamedFolder::Temp,
                           c.temp.find('?') != std::string::npos ? cyrillic + "\\Temp\\" : c.temp}};
    const int result = modMain::Run();
    for (platform::Form* form : platform::LoadedForms()) form->Unload();
    EXPECT_EQ(result, c.named.empty() ? 0 : 1);
    if (c.named.empty()) {
      EXPECT_TRUE(fake.files.Exists("C:\\Temp\\Zantrix Software\\Zantrix Quillon for Orbit 7.0"));
      continue;
    }
    ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(fake.messageBoxes.shown[0].text,
              "Zantrix Preflect cannot start.\r\n\r\nThe folder \"" + c.named +
                  "\" has characters that this version of Windows cannot pass to the program; "
                  "move it to a folder whose name uses only the characters of Windows-1252, or "
                  "use Windows 10 version 1903 or later, which passes every character.");
  }
}

}  // namespace
