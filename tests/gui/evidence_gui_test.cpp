// Why a row is found or missing, as the real Preflect.exe says it: in the
// tooltips of the row's name, icon and Acquire button, to a screen reader
// through the row icon's accessible object, and in the report Ctrl+C
// copies; with the keyboard order and focus the window starts with.
#include <windows.h>

#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/gui/driver.h"

namespace {

const char* const kTitle = "Zantrix Preflect";
const char* const kKey = "Software\\ZantrixGuiEvidence";
const std::string kKeyPath = std::string("HKEY_CURRENT_USER\\") + kKey;
const std::string kMachineKeyPath = std::string("HKEY_LOCAL_MACHINE\\") + kKey;

// The registry view this build does not see by itself, and whether the
// system has one: a 32-bit program on 32-bit Windows (a 32-bit Wine prefix)
// has a single view, so a value put "in the other view" is simply there.
bool HasOtherView() {
  if (sizeof(void*) == 8) return true;
  BOOL wow = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}
REGSAM OtherViewFlag() { return sizeof(void*) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }
std::string OtherViewBits() { return sizeof(void*) == 4 ? "64" : "32"; }

void PutText(HKEY root, REGSAM view, const char* name, const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, kKey, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

// One product: each entry named, or set to nothing so that nothing is
// inherited from the product before.
std::string Product(const std::string& name, const std::string& registry,
                    const std::string& file, const std::string& remedy = "") {
  return "<product name=\"" + name + "\">" +
         (registry.empty() ? "<registryEntry key=\"\"/>" : registry) +
         (file.empty() ? "<fileEntry name=\"\"/>" : file) +
         (remedy.empty() ? "<remedy source=\"package\" location=\"%ZANTRIXDIR%\\Setup.exe\"/>"
                         : remedy) +
         "</product>\r\n";
}

std::string RegistryEntry(const char* root, const std::string& key, const std::string& value,
                          const std::string& data = "") {
  return std::string("<registryEntry root=\"") + root + "\" key=\"" + key + "\" value=\"" +
         value + "\" type=\"REG_SZ\" data=\"" + data + "\"/>";
}

std::string FileEntry(const std::string& name, const std::string& version) {
  return "<fileEntry dir=\"%ZANTRIXDIR%\\Tools\\\" name=\"" + name + "\" version=\"" + version +
         "\"/>";
}

struct Row {
  HWND name = nullptr, icon = nullptr, acquire = nullptr;
};

RECT ChildRect(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A row's windows: its name, the icon 5 pixels above it at 272, and the
// Acquire button level with it.
std::optional<Row> FindRow(HWND window, const std::string& product) {
  Row row;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && gui::Text(c) == product) row.name = c;
  if (!row.name) return std::nullopt;
  const RECT label = ChildRect(window, row.name);
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    const RECT r = ChildRect(window, c);
    if (r.left == 272 && r.top == label.top - 5) row.icon = c;
    if (gui::Text(c) == "Acquire" && r.top == label.top) row.acquire = c;
  }
  return row;
}

// What a screen reader reads for a window: its accessible name and
// description, through the standard interface.
struct Accessible {
  bool reached = false;
  HRESULT result = S_OK;
  std::string name, description;
};

std::string Narrow(BSTR text) {
  if (!text) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
  SysFreeString(text);
  return out;
}

Accessible ReadAccessible(HWND window) {
  Accessible result;
  IAccessible* object = nullptr;
  result.result = AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(&object));
  if (FAILED(result.result) || !object) return result;
  result.reached = true;
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (SUCCEEDED(object->get_accName(self, &text))) result.name = Narrow(text);
  text = nullptr;
  if (SUCCEEDED(object->get_accDescription(self, &text))) result.description = Narrow(text);
  object->Release();
  return result;
}

class EvidenceGui : public ::testing::Test {
 protected:
  std::string stage = gui::MakeStage("evidence");
  std::string tools = stage + "\\Tools";

  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }

  EvidenceGui() {
    const std::string bin = gui::BinFolder();
    gui::CopyInto(bin + "\\Preflect.exe", stage);
    gui::CopyInto(bin + "\\Zantrix_Quillon.exe", stage);
    gui::WriteText(stage + "\\version.xml.enc", "version=sprout\r\n");
    CreateDirectoryA(tools.c_str(), nullptr);
    CopyFileA((bin + "\\fixture_v6123.dll").c_str(), (tools + "\\beta.dll").c_str(), FALSE);
    CopyFileA((bin + "\\fixture_v6123.dll").c_str(), (tools + "\\hidden.dll").c_str(), FALSE);
    SetFileAttributesA((tools + "\\hidden.dll").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CopyFileA((bin + "\\fixture_noversion.dll").c_str(), (tools + "\\plain.dll").c_str(), FALSE);
    Clean();
    PutText(HKEY_CURRENT_USER, 0, "InstallPath", "C:\\FrameKit");
    PutText(HKEY_CURRENT_USER, 0, "Edition", "Pro");
    PutText(HKEY_LOCAL_MACHINE, OtherViewFlag(), "InstallPath", "C:\\FrameKit");
  }
  ~EvidenceGui() override {
    Clean();
    gui::RemoveTree(stage);
  }
  static void Clean() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, OtherViewFlag(), 0);
  }
  void Specs(const std::string& products) {
    gui::WriteText(stage + "\\filespecs.xml", "<systemSearch>\r\n" + products + "</systemSearch>\r\n");
  }
  HWND WaitCheckWindow(DWORD pid) {
    return gui::WaitFor(
        [&]() -> HWND {
          for (HWND w : gui::TopWindows(pid))
            if (gui::Text(w) == kTitle && gui::ClassName(w) != "#32770") return w;
          return nullptr;
        },
        30000);
  }

  // Each product's explanation, in the tooltips of its name and icon, in
  // the Ctrl+C report, and on its icon for screen readers: where the system
  // has no accessible objects, the test is a skip that says so.
  void ExpectExplanations(HWND window,
                          const std::vector<std::pair<std::string, std::string>>& rows) {
    HWND tips = gui::ToolTipWindowOf(window);
    ASSERT_NE(tips, nullptr) << "no tooltips";
    const std::string report = gui::CopyReport(window);
    for (const auto& [product, why] : rows) {
      SCOPED_TRACE(product);
      const auto row = FindRow(window, product);
      ASSERT_TRUE(row && row->icon) << "no row";
      EXPECT_EQ(gui::RemoteToolTipText(tips, window, row->name), why);
      EXPECT_EQ(gui::RemoteToolTipText(tips, window, row->icon), why);
      std::string line = why;
      for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " ");
      EXPECT_NE(report.find("\r\n" + product + " - " + line + "\r\n"), std::string::npos) << report;
    }
    if (const std::string no = gui::NoAccessibleObjects(); !no.empty()) GTEST_SKIP() << no;
    for (const auto& [product, why] : rows) {
      SCOPED_TRACE(product);
      const auto row = FindRow(window, product);
      const Accessible seen = ReadAccessible(row->icon);
      ASSERT_TRUE(seen.reached) << "no accessible object: " << std::hex << seen.result;
      EXPECT_EQ(seen.name, (why.rfind("Found:", 0) == 0 ? "Found: " : "Missing: ") + product);
      EXPECT_EQ(seen.description, why);
      // Every button reads "Acquire": its accessible name says which.
      if (row->acquire) {
        EXPECT_EQ(ReadAccessible(row->acquire).name, "Acquire " + product);
      }
    }
  }
};

TEST_F(EvidenceGui, RegistryReasons) {
  const std::string other =
      HasOtherView()
          ? "Missing: the registry key " + kMachineKeyPath + " does not exist.\r\n" +
                kMachineKeyPath + ", value \"InstallPath\" exists only in the " + OtherViewBits() +
                "-bit registry (\"C:\\FrameKit\" (REG_SZ)); add view=\"" + OtherViewBits() +
                "\" to the registry entry to check it there."
          // One registry view (32-bit Windows): the value is simply there.
          : "Found: " + kMachineKeyPath + ", value \"InstallPath\" = \"C:\\FrameKit\" (REG_SZ).";
  Specs(Product("By registry", RegistryEntry("HKEY_CURRENT_USER", kKey, "InstallPath"), "") +
        Product("No key", RegistryEntry("HKEY_CURRENT_USER", std::string(kKey) + "\\Nothing", "v"), "") +
        Product("No value", RegistryEntry("HKEY_CURRENT_USER", kKey, "Gone"), "") +
        Product("Data differs", RegistryEntry("HKEY_CURRENT_USER", kKey, "Edition", "pro"), "") +
        Product("Other view", RegistryEntry("HKEY_LOCAL_MACHINE", kKey, "InstallPath"), "") +
        Product("Neither", "", "", "<remedy source=\"web\" location=\"http://www.zantrix.example/n.htm\"/>"));
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = WaitCheckWindow(preflect.pid());
  ASSERT_NE(window, nullptr);
  ExpectExplanations(
      window,
      {{"By registry", "Found: " + kKeyPath + ", value \"InstallPath\" = \"C:\\FrameKit\" (REG_SZ)."},
       {"No key", "Missing: the registry key " + kKeyPath + "\\Nothing does not exist."},
       {"No value", "Missing: " + kKeyPath + " has no value \"Gone\"."},
       {"Data differs", "Missing: " + kKeyPath + ", value \"Edition\" is \"Pro\" (REG_SZ); \"pro\" "
                        "is required (letter case counts)."},
       {"Other view", other},
       {"Neither", "Missing: this product names no registry value and no file."}});

  // Acquire says what it opens, and that Ctrl+C copies a report.
  HWND tips = gui::ToolTipWindowOf(window);
  const auto neither = FindRow(window, "Neither");
  ASSERT_TRUE(neither && neither->acquire);
  EXPECT_EQ(gui::RemoteToolTipText(tips, window, neither->acquire),
            "Missing: this product names no registry value and no file.\r\n"
            "Acquire opens http://www.zantrix.example/n.htm in your web browser.\r\n"
            "Press Ctrl+C to copy a report of this check, to paste into a mail to support.");

  // A retest explains again: the value is there now.
  PutText(HKEY_CURRENT_USER, 0, "Gone", "back");
  HWND retest = nullptr;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (gui::Text(c) == "Perform Retest") retest = c;
  ASSERT_NE(retest, nullptr);
  PostMessageA(retest, BM_CLICK, 0, 0);
  EXPECT_TRUE(gui::WaitFor(
      [&]() -> HWND {
        const auto noValue = FindRow(window, "No value");
        return noValue && gui::RemoteToolTipText(tips, window, noValue->name) ==
                              "Found: " + kKeyPath + ", value \"Gone\" = \"back\" (REG_SZ)."
                   ? window
                   : nullptr;
      },
      15000));
  EXPECT_TRUE(preflect.Close(10000));
}

// The moment the window appears, a tooltip and the report already give the
// whole answer, though the tooltips are made only after the first paint.
TEST_F(EvidenceGui, TooltipAndReportTheMomentTheWindowAppears) {
  Specs(Product("No value", RegistryEntry("HKEY_CURRENT_USER", kKey, "Gone"), ""));
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = nullptr;
  // Caught as it shows: looked for without a pause.
  for (const DWORD start = GetTickCount(); !window && GetTickCount() - start < 30000;)
    for (HWND w : gui::TopWindows(preflect.pid())) {
      char text[64] = {};
      GetWindowTextA(w, text, sizeof text);
      if (std::string(text) == kTitle && gui::ClassName(w) != "#32770") window = w;
    }
  ASSERT_NE(window, nullptr);
  const std::string why = "Missing: " + kKeyPath + " has no value \"Gone\".";
  HWND tips = gui::ToolTipWindowOf(window);
  ASSERT_NE(tips, nullptr) << "no tooltips";
  const auto row = FindRow(window, "No value");
  ASSERT_TRUE(row && row->icon);
  EXPECT_EQ(gui::RemoteToolTipText(tips, window, row->icon), why);
  const std::string report = gui::CopyReport(window);
  EXPECT_NE(report.find("\r\nNo value - " + why + "\r\n"), std::string::npos) << report;
  EXPECT_TRUE(preflect.Close(10000));
}

// A product that wrote to the other registry view is missing with the
// attribute that finds it (RegistryReasons has the whole sentence); with
// that attribute added, a retest finds it. With one registry view (32-bit
// Windows) it is found at once, the attribute or not, and the window offers
// Continue: its rows then lie below the client area, so the report is read.
TEST_F(EvidenceGui, ViewAttributeFindsTheOtherView) {
  const std::string entry = RegistryEntry("HKEY_LOCAL_MACHINE", kKey, "InstallPath");
  const std::string view = "view=\"" + OtherViewBits() + "\"";
  const auto mainButton = [](HWND window) {
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (gui::Text(c) == "Perform Retest" || gui::Text(c) == "Continue") return c;
    return HWND{};
  };
  // The row's line of the report.
  const auto why = [](HWND window) {
    const std::string report = gui::CopyReport(window), head = "\r\nDriver - ";
    const std::size_t at = report.find(head);
    if (at == std::string::npos) return report;
    const std::size_t from = at + head.size();
    return report.substr(from, report.find("\r\n", from) - from);
  };
  const std::string found = "Found: " + kMachineKeyPath +
                            (HasOtherView() ? " (" + OtherViewBits() + "-bit view)" : "") +
                            ", value \"InstallPath\" = \"C:\\FrameKit\" (REG_SZ).";
  Specs(Product("Driver", entry, ""));
  auto preflect = std::make_unique<gui::Program>(stage + "\\Preflect.exe", stage);
  HWND window = WaitCheckWindow(preflect->pid());
  ASSERT_NE(window, nullptr);
  HWND button = mainButton(window);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(gui::Text(button), HasOtherView() ? "Perform Retest" : "Continue");
  const std::string first = why(window);
  EXPECT_EQ(first.find("add " + view) != std::string::npos, HasOtherView()) << first;
  if (!HasOtherView()) {
    EXPECT_EQ(first, found);
  }

  Specs(Product("Driver", entry.substr(0, entry.size() - 2) + " " + view + "/>", ""));
  if (HasOtherView()) {
    PostMessageA(button, BM_CLICK, 0, 0);
  } else {
    EXPECT_TRUE(preflect->Close(10000));
    preflect = std::make_unique<gui::Program>(stage + "\\Preflect.exe", stage);
    window = WaitCheckWindow(preflect->pid());
    ASSERT_NE(window, nullptr);
  }
  EXPECT_TRUE(gui::WaitFor([&] { return why(window) == found ? window : nullptr; }, 15000))
      << why(window);
  EXPECT_TRUE(preflect->Close(10000));
}

TEST_F(EvidenceGui, FileReasonsAndTheReport) {
  Specs(Product("By file", "", FileEntry("beta.dll", "6.0")) +
        Product("No file", "", FileEntry("gone.dll", "")) +
        Product("Hidden file", "", FileEntry("hidden.dll", "")) +
        Product("Too old", "", FileEntry("beta.dll", "7.0.0.0")) +
        Product("No version information", "", FileEntry("plain.dll", "1.0")));
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = WaitCheckWindow(preflect.pid());
  ASSERT_NE(window, nullptr);
  const std::string dir = stage + "\\Tools\\";
  ExpectExplanations(
      window,
      {{"By file", "Found: " + dir + "beta.dll has version 6.1.2.3; 6.0 or later is needed."},
       {"No file", "Missing: " + dir + "gone.dll does not exist."},
       {"Hidden file", "Missing: " + dir + "hidden.dll is a hidden or system file, and those do "
                       "not count."},
       {"Too old", "Missing: " + dir + "beta.dll has version 6.1.2.3; 7.0.0.0 or later is needed."},
       {"No version information",
        "Missing: " + dir + "plain.dll has no version information; 1.0 or later is needed."}});

  const std::string report = gui::CopyReport(window);
  EXPECT_EQ(report.rfind("Zantrix Preflect ", 0), 0u) << report;
  EXPECT_NE(report.find("\r\nChecked on: "), std::string::npos);
  EXPECT_NE(report.find("\r\nProgram folder: " + stage + "\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("\r\nData folder: C:\\ProgramData\\Zantrix Software\\Zantrix Quillon for "
                        "Sprout 7\\\r\n"),
            std::string::npos)
      << report;
  EXPECT_TRUE(preflect.Close(10000));
}

// The main button has the focus when the window appears; Tab goes down
// the Acquire buttons in row order, then to it; Shift+Tab goes back.
TEST_F(EvidenceGui, KeyboardOrder) {
  Specs(Product("First", "", FileEntry("gone1.dll", "")) +
        Product("Found", "", FileEntry("beta.dll", "")) +
        Product("Second", "", FileEntry("gone2.dll", "")));
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = WaitCheckWindow(preflect.pid());
  ASSERT_NE(window, nullptr);
  HWND perform = nullptr;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (gui::Text(c) == "Perform Retest") perform = c;
  const auto first = FindRow(window, "First");
  const auto second = FindRow(window, "Second");
  ASSERT_TRUE(perform && first && first->acquire && second && second->acquire);
  EXPECT_TRUE(gui::WaitFor([&] { return gui::FocusOf(window) == perform ? perform : nullptr; },
                           5000))
      << "the main button has not the focus";
  const auto press = [&](bool shift, HWND expected) {
    SetForegroundWindow(window);
    gui::Press(VK_TAB, shift);
    return gui::WaitFor([&] { return gui::FocusOf(window) == expected ? expected : nullptr; },
                        5000) != nullptr;
  };
  EXPECT_TRUE(press(false, first->acquire));
  EXPECT_TRUE(press(false, second->acquire));
  EXPECT_TRUE(press(false, perform));
  EXPECT_TRUE(press(true, second->acquire));
  EXPECT_TRUE(preflect.Close(10000));
}

}  // namespace
