// PreflectCheck.exe run against the same staged folders the check window's
// GUI tests use: for each, the same found or missing per product as the
// real check window shows (read from its Ctrl+C report), and the exit
// status that says so; 2 when there is no requirements file. pin and
// verify on the real file system, FOLDER in every form.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/gui/driver.h"
#include "tests/unit/json_schema.h"

namespace {

using Results = std::vector<std::pair<std::string, bool>>;

const char* const kKey = "Software\\ZantrixGuiTool";

std::string Product(const std::string& name, const std::string& entries) {
  return "<product name=\"" + name + "\">" + entries + "</product>\r\n";
}

// The check window's rows, as its report lists them.
Results FromReport(const std::string& report) {
  Results rows;
  std::size_t at = report.find("\r\n\r\n");
  while (at != std::string::npos && at + 2 < report.size()) {
    const std::size_t start = at + 2;
    at = report.find("\r\n", start);
    const std::string line = report.substr(start, at - start);
    for (const auto& [mark, found] : {std::pair{" - Found: ", true}, std::pair{" - Missing: ", false}}) {
      const std::size_t cut = line.find(mark);
      if (cut != std::string::npos) {
        rows.emplace_back(line.substr(0, cut), found);
        break;
      }
    }
  }
  return rows;
}

class ToolGui : public ::testing::Test {
 protected:
  std::string stage = gui::MakeStage("tool");
  std::string bin = gui::BinFolder();

  ToolGui() {
    for (const char* program : {"Preflect.exe", "Zantrix_Quillon.exe"}) gui::CopyInto(bin + "\\" + program, stage);
    CreateDirectoryA((stage + "\\Installers").c_str(), nullptr);
    gui::CopyInto(bin + "\\SetupFrameKit.exe", stage + "\\Installers");
    gui::WriteText(stage + "\\version.xml.enc", "version=sprout\r\n");
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "Edition", 0, REG_SZ, reinterpret_cast<const BYTE*>("Pro"), 4);
    RegCloseKey(key);
  }
  ~ToolGui() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    gui::RemoveTree(stage);
  }

  Results FromWindow() {
    gui::Program preflect(stage + "\\Preflect.exe", stage);
    HWND window = gui::WaitFor(
        [&]() -> HWND {
          for (HWND w : gui::TopWindows(preflect.pid()))
            if (gui::Text(w) == "Zantrix Preflect" && gui::ClassName(w) != "#32770") return w;
          return nullptr;
        },
        30000);
    if (!window) return {};
    const std::string report = gui::CopyReport(window);
    EXPECT_TRUE(preflect.Close(10000));
    return FromReport(report);
  }

  Results FromTool(DWORD& status) {
    const std::string json = gui::RunCapture(bin + "\\PreflectCheck.exe", "run --json \"" + stage + "\"",
                                             bin, status);
    Results rows;
    try {
      const jsontest::Value report = jsontest::Parser(json).Parse();
      for (const jsontest::Value& p : report.Member("products")->items)
        rows.emplace_back(p.Member("name")->text, p.Member("found")->boolean);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "no JSON from the tool (" << e.what() << "): " << json;
    }
    return rows;
  }
};

TEST_F(ToolGui, SameResultsAsTheCheckWindow) {
  const std::string found =
      Product("Common Controls", "<fileEntry name=\"comctl32.dll\" dir=\"%SYSTEMDIR%\\\" version=\"5.0.0.0\"/>");
  const std::string installer =
      Product("Frame Kit", "<fileEntry name=\"FrameKit.ini\" dir=\"%ZANTRIXDIR%\\Installers\\\"/>"
                           "<remedy source=\"package\" location=\"%ZANTRIXDIR%\\Installers\\SetupFrameKit.exe\"/>");
  std::string forty;
  for (int i = 0; i < 40; ++i)
    forty += Product("Product " + std::to_string(i),
                     i % 2 == 0 ? "<fileEntry name=\"comctl32.dll\" dir=\"%SYSTEMDIR%\\\"/>"
                                : "<fileEntry name=\"none.exe\" dir=\"%ZANTRIXDIR%\\\"/>");
  const std::string registry =
      Product("Data differs", std::string("<registryEntry root=\"HKEY_CURRENT_USER\" key=\"") + kKey +
                                  "\" value=\"Edition\" type=\"REG_SZ\" data=\"pro\"/><fileEntry name=\"\"/>") +
      Product("Any data", std::string("<registryEntry root=\"HKEY_CURRENT_USER\" key=\"") + kKey +
                              "\" value=\"Edition\" type=\"REG_SZ\" data=\"\"/>") +
      Product("Neither", "<registryEntry key=\"\"/>");
  const struct {
    const char* name;
    std::string products;
  } folders[] = {{"some missing", found + installer},
                 {"all found", found},
                 {"forty rows", forty},
                 {"web remedy", Product("Chart Viewer", "<fileEntry name=\"none.exe\" dir=\"%ZANTRIXDIR%\\\"/>"
                                                        "<remedy source=\"web\" location=\"http://www.zantrix.example/v.htm\"/>")},
                 {"registry", registry}};
  for (const auto& folder : folders) {
    SCOPED_TRACE(folder.name);
    gui::WriteText(stage + "\\filespecs.xml", "<systemSearch>\r\n" + folder.products + "</systemSearch>\r\n");
    const Results window = FromWindow();
    ASSERT_FALSE(window.empty()) << "no report from the check window";
    DWORD status = 0;
    EXPECT_EQ(FromTool(status), window);
    bool allFound = true;
    for (const auto& row : window) allFound = allFound && row.second;
    EXPECT_EQ(status, allFound ? 0u : 1u);
  }
}

TEST_F(ToolGui, ExitStatuses) {
  DWORD status = 0;
  gui::RunCapture(bin + "\\PreflectCheck.exe", "run \"" + stage + "\"", bin, status);
  EXPECT_EQ(status, 2u) << "no requirements file";
  gui::RunCapture(bin + "\\PreflectCheck.exe", "run a b", bin, status);
  EXPECT_EQ(status, 3u) << "a usage error";
  gui::WriteText(stage + "\\filespecs.xml", "<systemSearch></systemSearch>");
  gui::RunCapture(bin + "\\PreflectCheck.exe", "run", stage, status);
  EXPECT_EQ(status, 0u) << "a list without products is all found, in the current folder";
  const std::string version = gui::RunCapture(bin + "\\PreflectCheck.exe", "--version", bin, status);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(version.rfind("preflect-check ", 0), 0u) << version;
  // All found, and still no date stamp: run writes nothing.
  const char* const stampKey = "Software\\VB and VBA Program Settings\\zantrix\\Settings";
  RegDeleteKeyA(HKEY_CURRENT_USER, stampKey);
  gui::RunCapture(bin + "\\PreflectCheck.exe", "run \"" + stage + "\"", bin, status);
  EXPECT_EQ(status, 0u);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, stampKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  if (key) RegCloseKey(key);
}

// pin and verify as a packaging CI runs them, FOLDER in every form, from
// the folder itself and from the one above, its name with a blank and
// letters beyond ASCII: the same file, the installers resolved against
// it, the same answer; lint reads a folder's file; a file is no FOLDER.
TEST_F(ToolGui, EveryFormOfFolder) {
  const std::string name = "Quill \xE9t\xE9", quill = stage + "\\" + name;  // this program's ANSI
  const std::string installer = stage + "\\Quill \xC3\xA9t\xC3\xA9\\Installers\\SetupFrameKit.exe";  // as printed
  CreateDirectoryA(quill.c_str(), nullptr);
  CreateDirectoryA((quill + "\\Installers").c_str(), nullptr);
  gui::CopyInto(bin + "\\SetupFrameKit.exe", quill + "\\Installers");
  gui::WriteText(quill + "\\filespecs.xml",
                 "<systemSearch>\r\n" +
                     Product("A", "<fileEntry name=\"\"/><remedy source=\"package\" location=\"Installers\\SetupFrameKit.exe\"/>") +
                     Product("B", "<remedy source=\"package\" location=\"%ZANTRIXDIR%\\Installers\\SetupFrameKit.exe\"/>") +
                     "</systemSearch>\r\n");
  const std::string tool = bin + "\\PreflectCheck.exe";
  DWORD status = 0;
  const std::string pinned = gui::RunCapture(tool, "pin .", quill, status);
  ASSERT_EQ(status, 0u) << pinned;
  EXPECT_NE(pinned.find(installer + ": pinned "), std::string::npos) << pinned;
  const struct {
    std::string in, folder;
  } forms[] = {{quill, "."},  {quill, ".\\"}, {quill, "\"" + quill + "\""}, {quill, "\"" + quill + "\\\""},
               {stage, "\"" + name + "\""}, {stage, "\"" + name + "\\\\\""}, {stage, "\".\\" + name + "\""},
               {stage, "\"./" + name + "/\""}, {"C:\\", "\"" + quill + "\""}};
  for (const auto& form : forms) {
    SCOPED_TRACE(form.in + " > " + form.folder);
    const std::string text = gui::RunCapture(tool, "verify " + form.folder, form.in, status);
    EXPECT_EQ(status, 0u) << text;
    EXPECT_NE(text.find(installer + ": matches its pin"), std::string::npos) << text;
    EXPECT_NE(text.find("2 installers: 2 match, 0 differ, 0 missing, 0 not pinned"), std::string::npos) << text;
  }
  gui::RunCapture(tool, "lint \"" + name + "\"", stage, status);
  EXPECT_EQ(status, 0u) << "lint reads the folder's filespecs.xml";
  gui::RunCapture(tool, "verify filespecs.xml", quill, status);
  EXPECT_EQ(status, 3u) << "a file where a folder is wanted";
  gui::RunCapture(tool, "lint Installers", quill, status);
  EXPECT_EQ(status, 2u) << "a folder without filespecs.xml";
}

}  // namespace
