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

const std::string kDemo = "\xD0\x94\xD0\xB5\xD0\xBC\xD0\xBE";              // Демо
const std::string kTest = "\xE6\xB5\x8B\xE8\xAF\x95";                      // 测试
const std::string kCyrillicName = "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8"
                                  "\xD1\x86\xD0\xB0";                      // Кириллица
const std::string kChineseName = "\xE4\xB8\xAD\xE6\x96\x87\xE9\xA9\xB1\xE5\x8A\xA8";  // 中文驱动
const std::string kChineseData = "\xE6\x95\xB0\xE6\x8D\xAE";               // 数据
const std::string kGreekName = "Frame Kit \xCE\xA9";                       // Frame Kit Ω
const std::string kProfile = "\xD0\x9F\xD1\x91\xD1\x82\xD1\x80";           // Пётр

void PutText(const char* name, const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

HWND CheckWindow(DWORD pid) {
  for (HWND w : gui::TopWindows(pid))
    if (gui::Text(w) == kTitle && gui::ClassName(w) != "#32770") return w;
  return nullptr;
}

HWND VisibleChild(HWND parent, const std::string& text) {
  HWND found = nullptr;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && gui::Text(c) == text) found = c;
  return found;
}

// The Acquire button level with a row's name.
HWND AcquireOf(HWND window, HWND name) {
  RECT label;
  GetWindowRect(name, &label);
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    if (IsWindowVisible(c) && gui::Text(c) == "Acquire" && r.top == label.top) return c;
  }
  return nullptr;
}

// A path as a JSON string holds it.
std::string BackslashesDoubled(std::string text) {
  for (std::size_t at = 0; (at = text.find('\\', at)) != std::string::npos; at += 2)
    text.insert(at, 1, '\\');
  return text;
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

  NamesGui() {
    const std::string bin = gui::BinFolder();
    CreateDirectoryA(stage.c_str(), nullptr);
    CreateDirectoryA(tools.c_str(), nullptr);
    CreateDirectoryA((stage + "\\Installers").c_str(), nullptr);
    CreateDirectoryA((stage + "\\Installers\\" + kTest).c_str(), nullptr);
    gui::CopyInto(bin + "\\Preflect.exe", stage);
    gui::CopyInto(bin + "\\Zantrix_Quillon.exe", stage);
    gui::CopyInto(bin + "\\SetupFrameKit.exe", stage + "\\Installers\\" + kTest);
    CopyFileA((bin + "\\fixture_v6123.dll").c_str(), (tools + "\\" + kChineseName + ".dll").c_str(),
              FALSE);
    gui::WriteText(stage + "\\version.xml.enc", "version=sprout\r\n");
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    PutText("Path", "\"" + tools + "\\" + kChineseName + ".dll\"");
    PutText("Data", kChineseData);
  }
  ~NamesGui() override {
    AnswerBoxes("Zantrix Quillon");
    AnswerBoxes("Frame Kit Setup");
    Sleep(200);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    gui::RemoveTree(root);
  }

  // A requirements file in UTF-8 with its byte order mark.
  void Specs(const std::string& products) {
    gui::WriteText(stage + "\\filespecs.xml",
                   "\xEF\xBB\xBF<systemSearch>\r\n" + products + "</systemSearch>\r\n");
  }
  std::string ByRegistryPath() const {
    return "<product name=\"" + kCyrillicName + "\"><registryEntry root=\"HKEY_CURRENT_USER\" key=\"" +
           kKey + "\" value=\"Path\" type=\"REG_SZ\"/><fileEntry name=\"%REGVALUE%\" "
           "version=\"6.0\"/></product>\r\n";
  }
  std::string ByRegistryData() const {
    return "<product name=\"" + kChineseName + "\"><registryEntry root=\"HKEY_CURRENT_USER\" key=\"" +
           std::string(kKey) + "\" value=\"Data\" type=\"REG_SZ\" data=\"" + kChineseData +
           "\"/><fileEntry name=\"\"/></product>\r\n";
  }
  std::string Installable() const {
    return "<product name=\"" + kGreekName + "\"><registryEntry key=\"\"/><fileEntry "
           "name=\"FrameKit.ini\" dir=\"%ZANTRIXDIR%\\Installers\\" + kTest + "\\\"/><remedy "
           "source=\"package\" location=\"%ZANTRIXDIR%\\Installers\\" + kTest +
           "\\SetupFrameKit.exe\"/></product>\r\n";
  }
};

TEST_F(NamesGui, RowsAcquireRetestContinueFromAFolderOutsideTheCodePage) {
  Specs(ByRegistryPath() + ByRegistryData() + Installable());
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = gui::WaitFor([&] { return CheckWindow(preflect.pid()); }, 30000);
  ASSERT_NE(window, nullptr) << "no check window";

  // Each row by its name, as the file gives it.
  HWND cyrillic = VisibleChild(window, kCyrillicName);
  HWND chinese = VisibleChild(window, kChineseName);
  HWND greek = VisibleChild(window, kGreekName);
  ASSERT_TRUE(cyrillic && chinese && greek);
  EXPECT_NE(VisibleChild(window, "Look below for the search results!  You are missing 1 required "
                                 "components."),
            nullptr);
  // The file the registry value names, under "测试", is found with its version.
  HWND tips = gui::ToolTipWindowOf(window);
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(gui::RemoteToolTipText(tips, window, cyrillic),
            "Found: " + tools + "\\" + kChineseName + ".dll (the path the registry value gave) has "
            "version 6.1.2.3; 6.0 or later is needed.\r\nRegistry: HKEY_CURRENT_USER\\" + kKey +
            ", value \"Path\" = \"\"" + tools + "\\" + kChineseName + ".dll\"\" (REG_SZ) (the file "
            "test decides).");
  EXPECT_EQ(gui::RemoteToolTipText(tips, window, chinese),
            "Found: HKEY_CURRENT_USER\\" + std::string(kKey) + ", value \"Data\" = \"" +
                kChineseData + "\" (REG_SZ), as required.");

  // The report, pasted as Unicode, holds every name unchanged.
  const std::string report = gui::CopyReport(window);
  for (const std::string& name : {kCyrillicName, kChineseName, kGreekName, stage})
    EXPECT_NE(report.find(name), std::string::npos) << name << " in:\n" << report;

  // Acquire runs the installer packaged under "测试".
  HWND acquire = AcquireOf(window, greek);
  ASSERT_NE(acquire, nullptr);
  PostMessageA(acquire, BM_CLICK, 0, 0);
  HWND box = gui::WaitFor([&] { return gui::FindMessageBox(preflect.pid()); }, 15000);
  ASSERT_NE(box, nullptr);
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitFile(stage + "\\Installers\\" + kTest + "\\FrameKit.ini"))
      << "the installer did not run";
  AnswerBoxes("Frame Kit Setup");

  // A retest finds everything; Continue starts the simulator from "Демо".
  HWND perform = VisibleChild(window, "Perform Retest");
  ASSERT_NE(perform, nullptr);
  PostMessageA(perform, BM_CLICK, 0, 0);
  ASSERT_NE(gui::WaitFor([&] { return VisibleChild(window, "Continue"); }, 15000), nullptr);
  PostMessageA(VisibleChild(window, "Continue"), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFile(stage + "\\simulator-started.txt")) << "the simulator did not start";
  EXPECT_TRUE(preflect.WaitExit(10000));
}

// PreflectCheck.exe run in such a folder: its text and its JSON, written to
// a pipe, are UTF-8 with every name whole.
TEST_F(NamesGui, ToolOutputKeepsTheNames) {
  Specs(ByRegistryPath() + ByRegistryData());
  gui::CopyInto(gui::BinFolder() + "\\PreflectCheck.exe", stage);
  DWORD status = 0;
  const std::string text =
      gui::RunCapture(stage + "\\PreflectCheck.exe", "run \"" + stage + "\"", stage, status);
  EXPECT_EQ(status, 0u) << text;
  EXPECT_NE(text.find(kCyrillicName + " - Found: " + tools + "\\" + kChineseName + ".dll"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(kChineseName + " - Found: "), std::string::npos) << text;
  const std::string json = gui::RunCapture(stage + "\\PreflectCheck.exe",
                                           "run --json \"" + stage + "\"", stage, status);
  EXPECT_NE(json.find("\"name\": \"" + kCyrillicName + "\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"folder\": \"" + BackslashesDoubled(stage) + "\""), std::string::npos) << json;
}

// The data folder under a machine folder outside the code page, and the
// temporary folder of a user whose profile is named so, when the machine
// folder cannot be written to.
TEST_F(NamesGui, DataFolderAndTemporaryFallback) {
  Specs(ByRegistryData());
  const std::string machine = root + "\\" + kProfile + " Data";
  const std::string temp = root + "\\" + kProfile + "\\Temp";
  CreateDirectoryA(machine.c_str(), nullptr);
  CreateDirectoryA((root + "\\" + kProfile).c_str(), nullptr);
  CreateDirectoryA(temp.c_str(), nullptr);
  // A file where the machine folder should be: nothing can be written below.
  const std::string blocked = root + "\\blocked";
  gui::WriteText(blocked, "x");

  HKEY folders = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          &folders),
            ERROR_SUCCESS);
  char saved[MAX_PATH * 3] = {};
  DWORD savedSize = sizeof saved, savedType = 0;
  const bool had = RegQueryValueExA(folders, "Common AppData", nullptr, &savedType,
                                    reinterpret_cast<BYTE*>(saved), &savedSize) == ERROR_SUCCESS;
  const auto point = [&](const std::string& folder) {
    RegSetValueExA(folders, "Common AppData", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
  };
  char oldTemp[MAX_PATH * 3] = {}, oldTmp[MAX_PATH * 3] = {};
  GetEnvironmentVariableA("TEMP", oldTemp, sizeof oldTemp);
  GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp);
  SetEnvironmentVariableA("TEMP", temp.c_str());
  SetEnvironmentVariableA("TMP", temp.c_str());

  const std::string product = "\\Zantrix Software\\Zantrix Quillon for Sprout 7";
  for (const auto& [where, expected] :
       std::vector<std::pair<std::string, std::string>>{{machine, machine + product},
                                                         {blocked, temp + product}}) {
    SCOPED_TRACE(where);
    point(where);
    gui::Program preflect(stage + "\\Preflect.exe", stage);
    HWND window = gui::WaitFor([&] { return CheckWindow(preflect.pid()); }, 30000);
    EXPECT_NE(window, nullptr) << "no check window";
    EXPECT_TRUE(gui::Exists(expected)) << "no data folder " << expected;
    EXPECT_TRUE(preflect.Close(10000));
  }

  SetEnvironmentVariableA("TEMP", oldTemp);
  SetEnvironmentVariableA("TMP", oldTmp);
  if (had)
    RegSetValueExA(folders, "Common AppData", 0, savedType, reinterpret_cast<BYTE*>(saved),
                   savedSize);
  else
    RegDeleteValueA(folders, "Common AppData");
  RegCloseKey(folders);
}

}  // namespace
