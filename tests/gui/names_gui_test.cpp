// Folders and values named outside the system's legacy code page: the real
// Preflect.exe started from "Демо", finding a product under "测试" by its
// registry value, running an installer and the simulator from there, its
// data folder and the temporary-folder fallback under such names, and the
// report that a paste gets. This program, like the checker, runs with UTF-8
// as its ANSI code page, so its own calls pass the names whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/driver.h"

namespace {

const char* const kTitle = "Zantrix Preflect";
const char* const kKey = "Software\\ZantrixGuiNames";
const char* const kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

const std::string kDemo = "\xD0\x94\xD0\xB5\xD0\xBC\xD0\xBE";                 // Демо
const std::string kTest = "\xE6\xB5\x8B\xE8\xAF\x95";                         // 测试
const std::string kCyrillicName = "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8"
                                  "\xD1\x86\xD0\xB0";                         // Кириллица
const std::string kChineseName = "\xE4\xB8\xAD\xE6\x96\x87\xE9\xA9\xB1\xE5\x8A\xA8";  // 中文驱动
const std::string kChineseData = "\xE6\x95\xB0\xE6\x8D\xAE";                  // 数据
const std::string kGreekName = "Frame Kit \xCE\xA9";                          // Frame Kit Ω
const std::string kProfile = "\xD0\x9F\xD1\x91\xD1\x82\xD1\x80";              // Пётр

void PutText(HKEY root, const char* key, const char* name, const std::string& text) {
  RegSetKeyValueA(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

HWND CheckWindow(DWORD pid) {
  for (HWND w : gui::TopWindows(pid))
    if (gui::Text(w) == kTitle && gui::ClassName(w) != "#32770") return w;
  return nullptr;
}

// A visible child by its text; with `level`, the one level with that child.
HWND VisibleChild(HWND parent, const std::string& text, HWND level = nullptr) {
  RECT at{};
  if (level) GetWindowRect(level, &at);
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    if (IsWindowVisible(c) && gui::Text(c) == text && (!level || r.top == at.top)) return c;
  }
  return nullptr;
}

bool WaitFile(const std::string& path) {
  return gui::WaitFor([&]() -> HWND { return gui::Exists(path) ? HWND(1) : nullptr; }, 15000) !=
         nullptr;
}

void AnswerBoxes(const char* caption) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (gui::ClassName(w) == "#32770" && gui::Text(w) == caption)
      PostMessageA(w, WM_COMMAND, IDOK, 0);
}

class NamesGui : public ::testing::Test {
 protected:
  std::string root = gui::MakeStage("names");
  std::string stage = root + "\\" + kDemo;
  std::string tools = root + "\\" + kTest;
  std::string installers = stage + "\\Installers\\" + kTest;

  NamesGui() {
    const std::string bin = gui::BinFolder();
    for (const std::string& folder : {stage, tools, stage + "\\Installers", installers})
      CreateDirectoryA(folder.c_str(), nullptr);
    gui::CopyInto(bin + "\\Preflect.exe", stage);
    gui::CopyInto(bin + "\\Zantrix_Quillon.exe", stage);
    gui::CopyInto(bin + "\\SetupFrameKit.exe", installers);
    CopyFileA((bin + "\\fixture_v6123.dll").c_str(), (tools + "\\" + kChineseName + ".dll").c_str(),
              FALSE);
    gui::WriteText(stage + "\\version.xml.enc", "version=sprout\r\n");
    PutText(HKEY_CURRENT_USER, kKey, "Path", "\"" + tools + "\\" + kChineseName + ".dll\"");
    PutText(HKEY_CURRENT_USER, kKey, "Data", kChineseData);
    // In UTF-8 with its byte order mark: one product by a registry path into
    // "测试", one by Chinese registry data, one an installer under "测试" makes.
    const std::string registry =
        "<registryEntry root=\"HKEY_CURRENT_USER\" key=\"" + std::string(kKey) + "\" type=\"REG_SZ\" ";
    gui::WriteText(stage + "\\filespecs.xml",
                   "\xEF\xBB\xBF<systemSearch>\r\n<product name=\"" + kCyrillicName + "\">" +
                       registry + "value=\"Path\"/><fileEntry name=\"%REGVALUE%\" version=\"6.0\"/></product>\r\n"
                       "<product name=\"" + kChineseName + "\">" + registry + "value=\"Data\" data=\"" +
                       kChineseData + "\"/><fileEntry name=\"\"/></product>\r\n<product name=\"" +
                       kGreekName + "\"><registryEntry key=\"\"/><fileEntry name=\"FrameKit.ini\" "
                       "dir=\"%ZANTRIXDIR%\\Installers\\" + kTest + "\\\"/><remedy source=\"package\" "
                       "location=\"%ZANTRIXDIR%\\Installers\\" + kTest + "\\SetupFrameKit.exe\"/>"
                       "</product>\r\n</systemSearch>\r\n");
  }
  ~NamesGui() override {
    AnswerBoxes("Zantrix Quillon");
    AnswerBoxes("Frame Kit Setup");
    Sleep(200);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    gui::RemoveTree(root);
  }
};

TEST_F(NamesGui, RowsAcquireRetestContinueFromAFolderOutsideTheCodePage) {
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = gui::WaitFor([&] { return CheckWindow(preflect.pid()); }, 30000);
  ASSERT_NE(window, nullptr) << "no check window";
  HWND cyrillic = VisibleChild(window, kCyrillicName), chinese = VisibleChild(window, kChineseName);
  HWND greek = VisibleChild(window, kGreekName);
  ASSERT_TRUE(cyrillic && chinese && greek);
  // The file the registry value names, under "测试", is found with its
  // version; the Chinese data matches exactly.
  HWND tips = gui::ToolTipWindowOf(window);
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(gui::RemoteToolTipText(tips, window, cyrillic).rfind(
                "Found: " + tools + "\\" + kChineseName + ".dll (the path the registry value gave) "
                "has version 6.1.2.3", 0), 0u);
  EXPECT_EQ(gui::RemoteToolTipText(tips, window, chinese),
            "Found: HKEY_CURRENT_USER\\" + std::string(kKey) + ", value \"Data\" = \"" +
                kChineseData + "\" (REG_SZ), as required.");

  // The report, pasted as Unicode, holds every name unchanged.
  const std::string report = gui::CopyReport(window);
  for (const std::string& name : {kCyrillicName, kChineseName, kGreekName, stage})
    EXPECT_NE(report.find(name), std::string::npos) << name << " in:\n" << report;

  // Acquire runs the installer packaged under "测试"; after a retest
  // Continue starts the simulator from "Демо".
  PostMessageA(VisibleChild(window, "Acquire", greek), BM_CLICK, 0, 0);
  HWND box = gui::WaitFor([&] { return gui::FindMessageBox(preflect.pid()); }, 15000);
  ASSERT_NE(box, nullptr);
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitFile(installers + "\\FrameKit.ini")) << "the installer did not run";
  AnswerBoxes("Frame Kit Setup");
  PostMessageA(VisibleChild(window, "Perform Retest"), BM_CLICK, 0, 0);
  HWND go = gui::WaitFor([&] { return VisibleChild(window, "Continue"); }, 15000);
  ASSERT_NE(go, nullptr);
  PostMessageA(go, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFile(stage + "\\simulator-started.txt")) << "the simulator did not start";
  EXPECT_TRUE(preflect.Ends(10000));

  // PreflectCheck.exe writes the names whole into a pipe too.
  gui::CopyInto(gui::BinFolder() + "\\PreflectCheck.exe", stage);
  DWORD status = 0;
  const std::string text =
      gui::RunCapture(stage + "\\PreflectCheck.exe", "run \"" + stage + "\"", stage, status);
  EXPECT_NE(text.find(kCyrillicName + " - Found: " + tools), std::string::npos) << text;
}

// The data folder under a machine folder outside the code page, and the
// temporary folder of a user whose profile is named so, when the machine
// folder cannot be written to (a file stands where it should be).
TEST_F(NamesGui, DataFolderAndTemporaryFallback) {
  const std::string machine = root + "\\" + kProfile + " Data", temp = root + "\\" + kProfile;
  const std::string blocked = root + "\\blocked";
  for (const std::string& folder : {machine, temp}) CreateDirectoryA(folder.c_str(), nullptr);
  gui::WriteText(blocked, "x");
  char saved[MAX_PATH] = {};
  DWORD size = sizeof saved;
  RegGetValueA(HKEY_LOCAL_MACHINE, kShellFolders, "Common AppData", RRF_RT_ANY | RRF_NOEXPAND,
               nullptr, saved, &size);
  SetEnvironmentVariableA("TEMP", temp.c_str());
  SetEnvironmentVariableA("TMP", temp.c_str());
  const std::string product = "\\Zantrix Software\\Zantrix Quillon for Sprout 7";
  for (const auto& [where, expected] : {std::pair{machine, machine + product},
                                        std::pair{blocked, temp + product}}) {
    SCOPED_TRACE(where);
    PutText(HKEY_LOCAL_MACHINE, kShellFolders, "Common AppData", where);
    gui::Program preflect(stage + "\\Preflect.exe", stage);
    EXPECT_NE(gui::WaitFor([&] { return CheckWindow(preflect.pid()); }, 30000), nullptr);
    EXPECT_TRUE(gui::Exists(expected)) << "no data folder " << expected;
    EXPECT_TRUE(preflect.Close(10000));
  }
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, kShellFolders, "Common AppData", REG_EXPAND_SZ, saved, size);
}

}  // namespace
