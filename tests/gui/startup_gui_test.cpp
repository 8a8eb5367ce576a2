// The real Preflect.exe, started from a staged program folder, makes the
// edition's data folder and nothing else.
#include <gtest/gtest.h>

#include "tests/gui/driver.h"

namespace {

const std::string kVendorFolder = "C:\\ProgramData\\Zantrix Software";

// Runs the checker to its end; any window it shows is closed, but an error
// box fails the test.
void RunOnce(const std::string& stage) {
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  ASSERT_TRUE(preflect.running()) << "could not start Preflect.exe";
  const DWORD start = GetTickCount();
  while (!preflect.WaitExit(100)) {
    if (HWND box = gui::FindMessageBox(preflect.pid()); box && gui::Text(box) != "") {
      const std::string text = gui::MessageBoxText(box);
      if (text.find("cannot start") != std::string::npos) FAIL() << "start-up failed: " << text;
    }
    ASSERT_LT(GetTickCount() - start, 30000u) << "Preflect.exe did not end";
    if (!gui::TopWindows(preflect.pid()).empty()) preflect.Close(10000);
  }
}

std::string Stage(const std::string& descriptor) {
  const std::string stage = gui::MakeStage("startup");
  gui::CopyInto(gui::BinFolder() + "\\Preflect.exe", stage);
  gui::WriteText(stage + "\\version.xml.enc", descriptor);
  return stage;
}

TEST(Startup, CreatesTheDataFolderOfEveryEdition) {
  struct Case {
    const char* descriptor;
    const char* title;
  };
  const Case cases[] = {
      {"version=zenith\r\nlicensetype=licenseserver\r\n",
       "Zantrix Quillon for Zenith 7.0 Client Edition"},
      {"version=zenith\r\nlicensetype=LicenseServer\r\n", "Zantrix Quillon for Zenith 7.0"},
      {"version=Zenith\r\nlicensetype=licenseserver\r\n",
       "Zantrix Quillon for Orbit 7.0 Client Edition"},
      {"version=sprout\r\nlicensetype=licenseserver\r\n",
       "Zantrix Quillon for Sprout 7 Client Edition"},
      {"version=sprout\r\n", "Zantrix Quillon for Sprout 7"},
      {"version=pxorbit\r\nlicensetype=licenseserver\r\n",
       "Zantrix Quillon Limited Edition 7 for Pressworth"},
      {"version=pxsprout\r\n", "Zantrix Quillon Limited Edition Sprout for Pressworth"},
      {"", "Zantrix Quillon for Orbit 7.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string product = kVendorFolder + "\\" + c.title;
    gui::RemoveTree(product);
    const std::string stage = Stage(c.descriptor);
    RunOnce(stage);
    EXPECT_TRUE(gui::Exists(product));
    EXPECT_FALSE(gui::Exists("C:\\ProgramData\\permit.per"));
    gui::RemoveTree(stage);
  }
}

TEST(Startup, SecondStartChangesNothing) {
  const std::string stage = Stage("version=zenith\r\n");
  RunOnce(stage);
  const auto snapshot = [] {
    std::vector<std::string> entries;
    for (const auto& name : gui::List(kVendorFolder)) {
      WIN32_FILE_ATTRIBUTE_DATA data{};
      GetFileAttributesExA((kVendorFolder + "\\" + name).c_str(), GetFileExInfoStandard, &data);
      entries.push_back(name + "@" + std::to_string(data.ftLastWriteTime.dwLowDateTime) + ":" +
                        std::to_string(data.ftCreationTime.dwLowDateTime));
    }
    return entries;
  };
  const auto before = snapshot();
  const auto appDataBefore = gui::List("C:\\ProgramData");
  Sleep(50);
  RunOnce(stage);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(gui::List("C:\\ProgramData"), appDataBefore);
  gui::RemoveTree(stage);
}

}  // namespace

namespace {

// A plain file where the vendor folder belongs: the product folder cannot
// be made below it, and start-up ends with a box that says so.
TEST(Startup, FolderErrorEndsWithAClearMessage) {
  const std::string aside = kVendorFolder + ".aside";
  gui::RemoveTree(aside);
  MoveFileA(kVendorFolder.c_str(), aside.c_str());
  gui::WriteText(kVendorFolder, "not a folder");
  const std::string stage = Stage("version=zenith\r\n");
  {
    gui::Program preflect(stage + "\\Preflect.exe", stage);
    HWND box = gui::WaitFor([&] { return gui::FindMessageBox(preflect.pid()); }, 20000);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(gui::Text(box), "Zantrix Preflect");
    const std::string text = gui::MessageBoxText(box);
    EXPECT_EQ(text.rfind("Zantrix Preflect cannot start.", 0), 0u) << text;
    EXPECT_NE(text.find("Could not create the folder \"" + kVendorFolder +
                        "\\Zantrix Quillon for Zenith 7.0\""),
              std::string::npos)
        << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = 0;
    EXPECT_TRUE(preflect.WaitExit(10000, &code));
    EXPECT_EQ(code, 1u);
  }
  DeleteFileA(kVendorFolder.c_str());
  MoveFileA(aside.c_str(), kVendorFolder.c_str());
  gui::RemoveTree(stage);
}

}  // namespace
