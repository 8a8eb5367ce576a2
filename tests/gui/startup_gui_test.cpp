// The real Preflect.exe, started from a staged program folder, makes the
// edition's data folder and nothing else.
#include <gtest/gtest.h>

#include "tests/gui/driver.h"

namespace {

const std::string kVendorFolder = "C:\\ProgramData\\Zantrix Software";

// Runs the checker through its start as a user would: the two boxes a
// missing requirements file brings (the reader's error, then the question,
// answered No), then the check window closed. Any other box fails, naming
// its text, and so does an exit status other than 0.
void RunOnce(const std::string& stage) {
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  ASSERT_TRUE(preflect.running()) << "could not start Preflect.exe";
  HWND shown = nullptr;
  for (const int answer : {IDOK, IDNO}) {
    HWND box = gui::WaitFor([&]() -> HWND {
      HWND b = gui::FindMessageBox(preflect.pid());
      return b && b != shown ? b : nullptr;
    }, 30000);
    ASSERT_NE(box, nullptr) << "no box where the missing requirements file brings one";
    const std::string text = gui::MessageBoxText(box);
    ASSERT_EQ(gui::Text(box), "Error") << text;
    ASSERT_EQ(text.rfind("The source file for the preflect is missing", 0) == 0, answer == IDNO) << text;
    PostMessageA(box, WM_COMMAND, answer, 0);
    shown = box;
  }
  ASSERT_NE(gui::WaitFor([&]() -> HWND {
              for (HWND w : gui::TopWindows(preflect.pid()))
                if (gui::Text(w) == "Zantrix Preflect" && gui::ClassName(w) != "#32770") return w;
              return nullptr;
            }, 30000), nullptr) << "no check window";
  EXPECT_TRUE(preflect.Close(10000));
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
    EXPECT_TRUE(preflect.Ends(10000, 1));
  }
  DeleteFileA(kVendorFolder.c_str());
  MoveFileA(aside.c_str(), kVendorFolder.c_str());
  gui::RemoveTree(stage);
}

}  // namespace
