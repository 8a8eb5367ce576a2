// The About box on real windows, in this process: the real services and
// form binding, the checker's resources linked into this program (so its
// version information is the checker's). Checks the child controls the
// system reports, the system information tool through the registry, and
// the home-page question through Wine's browser hook.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "about/frmAbout.h"
#include "platform/forms.h"
#include "platform/win32/win32.h"
#include "resources/version.h"
#include "tests/gui/browser_hook.h"
#include "tests/gui/driver.h"
#include "tests/gui/message_box_answerer.h"

namespace {

const char* const kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

HWND AsHwnd(platform::WindowHandle h) { return reinterpret_cast<HWND>(h); }

double TwipsPerPixel() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return 1440.0 / dpi;
}

// Waiting messages handled until `done` or the deadline.
template <typename Done>
bool PumpUntil(Done done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    platform::DoEvents();
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
  return true;
}

// A machine value removed or replaced for one test, put back afterwards.
class SavedValue {
 public:
  SavedValue(const char* key, const char* name) : key_(key), name_(name) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(h, name_, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::string bytes(size, '\0');
      if (RegQueryValueExA(h, name_, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                           &size) == ERROR_SUCCESS)
        saved_ = std::make_pair(type, bytes.substr(0, size));
    }
    RegCloseKey(h);
  }
  ~SavedValue() {
    if (saved_)
      Set(saved_->first, saved_->second);
    else
      Remove();
  }
  void SetText(const std::string& text) { Set(REG_SZ, text + '\0'); }
  void Remove() {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
    RegDeleteValueA(h, name_);
    RegCloseKey(h);
  }

 private:
  void Set(DWORD type, const std::string& bytes) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExA(h, name_, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(h);
  }
  const char* key_;
  const char* name_;
  std::optional<std::pair<DWORD, std::string>> saved_;
};

std::string ReadFileText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

struct AboutGui : ::testing::Test {
  SavedValue msinfoPath{kMsinfoKey, "PATH"};
  SavedValue msinfoFolder{kLocationKey, "MSINFO"};

  static void SetUpTestSuite() { platform::win32::InstallServices(); }

  AboutGui() {
    msinfoPath.Remove();
    msinfoFolder.Remove();
  }
  ~AboutGui() override {
    for (platform::Form* f : platform::LoadedForms()) f->Unload();
    platform::DoEvents();
  }

  frmAbout& box = TheAbout();
  HWND Window() const { return AsHwnd(box.hWnd()); }
  HWND Child(const char* name) const {
    return GetDlgItem(Window(), box.ControlByName(name)->Id());
  }
  // What the user does: a click, handled before this returns.
  void Click(const char* name) { SendMessageA(Child(name), BM_CLICK, 0, 0); }
  void DoubleClick(const char* name) {
    SendMessageA(Child(name), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  }
  // The text the form's tooltip window holds for a child; empty: none.
  std::string ToolTipOf(HWND child) const {
    // What waits in this thread's queue runs first, as it would in the
    // program's message loop before any hover: tooltips come after the
    // first paint.
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    for (HWND w : gui::TopWindows(GetCurrentProcessId(), false)) {
      if (gui::ClassName(w) != TOOLTIPS_CLASSA || GetWindow(w, GW_OWNER) != Window()) continue;
      char text[256] = {};
      TOOLINFOA tool{};
      tool.cbSize = sizeof tool;
      tool.hwnd = Window();
      tool.uId = reinterpret_cast<UINT_PTR>(child);
      tool.lpszText = text;
      SendMessageA(w, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
      return text;
    }
    return {};
  }
  // A stage folder holding the stand-in tool.
  std::string StageTool(const std::string& name) {
    const std::string stage = gui::MakeStage("about-" + name);
    gui::CopyInto(gui::BinFolder() + "\\MSINFO32.exe", stage);
    return stage;
  }
};

TEST_F(AboutGui, RealControlsWithTheirTexts) {
  ShowAboutBox();
  ASSERT_TRUE(IsWindow(Window()));
  EXPECT_TRUE(IsWindowVisible(Window()));
  EXPECT_EQ(gui::Text(Window()), "About Zantrix Preflect");
  const std::string version = "Version " + std::to_string(ZANTRIX_VERSION_MAJOR) + "." +
                              std::to_string(ZANTRIX_VERSION_MINOR) + " Build " +
                              std::to_string(ZANTRIX_VERSION_REVISION);
  struct Case {
    const char* name;
    const char* windowClass;
    std::string text;
  };
  const Case cases[] = {
      {"cmdOK", "Button", "OK"},
      {"cmdSysInfo", "Button", "&System Info..."},
      {"lblTitle", "Static", "Zantrix Preflect"},
      {"lblVersion", "Static", version},
      {"lblDescription", "Static",
       "The Zantrix Preflect checks for the required files needed to run the products it is "
       "packaged with."},
      {"lblDisclaimer", "Static", frmAbout::kLicenceNotice},
      // UTF-8: this program runs with the checker's manifest.
      {"lblCopy", "Static", "Copyright \xC2\xA9 2026 Zantrix Software. All rights reserved."},
      {"picIcon", "Static", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND child = Child(c.name);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(gui::ClassName(child), c.windowClass);
    EXPECT_EQ(gui::Text(child), c.text);
    EXPECT_TRUE(IsWindowVisible(child));
  }
  EXPECT_TRUE(GetWindowLongA(Child("cmdOK"), GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongA(Child("picIcon"), GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
  EXPECT_EQ(ToolTipOf(Child("picIcon")), "Double Click here to visit Zantrixweb\xC2\xAE");
  RECT picture;
  GetClientRect(Child("picIcon"), &picture);
  EXPECT_EQ(picture.right, 74);
  EXPECT_EQ(picture.bottom, 153);

  // The fits against the real frame: the client area holds both targets,
  // and the window is as large as the model says.
  const double tpp = TwipsPerPixel();
  RECT client, outer;
  GetClientRect(Window(), &client);
  GetWindowRect(Window(), &outer);
  EXPECT_GE(client.bottom * tpp, 3140);
  EXPECT_GE(client.right * tpp, 7619);
  EXPECT_EQ(outer.right - outer.left, platform::TwipsToPixels(box.Width(), tpp));
  EXPECT_EQ(outer.bottom - outer.top, platform::TwipsToPixels(box.Height(), tpp));
  EXPECT_EQ(client.right * tpp, box.ClientWidth());
  EXPECT_EQ(client.bottom * tpp, box.ClientHeight());
  // No minimize or maximize box; not sizable.
  const LONG style = GetWindowLongA(Window(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST_F(AboutGui, ShownAgainItIsBroughtForward) {
  ShowAboutBox();
  const HWND first = Window();
  HWND other = CreateWindowExA(0, "Static", "Another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               10, 10, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
  SetActiveWindow(other);
  platform::DoEvents();
  ASSERT_EQ(GetActiveWindow(), other);
  ShowAboutBox();
  platform::DoEvents();
  EXPECT_EQ(Window(), first);
  EXPECT_EQ(GetActiveWindow(), first);
  int boxes = 0;
  for (HWND w : gui::TopWindows(GetCurrentProcessId()))
    if (gui::Text(w) == "About Zantrix Preflect") ++boxes;
  EXPECT_EQ(boxes, 1);
  DestroyWindow(other);
}

TEST_F(AboutGui, EnterAndEscCloseIt) {
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    SCOPED_TRACE(key);
    ShowAboutBox();
    // With no button focused, Enter is the default button's.
    SetFocus(Window());
    PostMessageA(Window(), WM_KEYDOWN, key, 0);
    EXPECT_TRUE(PumpUntil([&] { return !box.IsLoaded(); }, 3000));
    EXPECT_TRUE(platform::LoadedForms().empty());
  }
}

TEST_F(AboutGui, SysInfoStartsTheProgramTheRegistryNames) {
  const std::string stage = StageTool("path");
  msinfoPath.SetText(stage + "\\MSINFO32.exe");
  ShowAboutBox();
  gui::MessageBoxAnswerer answerer(IDOK, 3000);
  Click("cmdSysInfo");
  answerer.Stop();
  EXPECT_FALSE(answerer.seen()) << answerer.box().text;
  const std::string marker = stage + "\\msinfo-started.txt";
  // The stand-in makes its marker, then writes its command line into it.
  EXPECT_TRUE(PumpUntil(
      [&] { return ReadFileText(marker).find(stage + "\\MSINFO32.exe") != std::string::npos; },
      10000));
  EXPECT_TRUE(box.Visible());
  Sleep(200);
  gui::RemoveTree(stage);
}

TEST_F(AboutGui, SysInfoFromTheToolsFolder) {
  const std::string stage = StageTool("folder");
  msinfoFolder.SetText(stage);
  ShowAboutBox();
  gui::MessageBoxAnswerer answerer(IDOK, 3000);
  Click("cmdSysInfo");
  answerer.Stop();
  EXPECT_FALSE(answerer.seen()) << answerer.box().text;
  EXPECT_TRUE(PumpUntil([&] { return gui::Exists(stage + "\\msinfo-started.txt"); }, 10000));
  Sleep(200);
  gui::RemoveTree(stage);
}

TEST_F(AboutGui, SysInfoUnavailable) {
  struct Case {
    const char* name;
    bool folderWithoutTool;
    bool missingProgram;
  };
  for (const Case& c : {Case{"no entries", false, false}, Case{"folder without the tool", true, false},
                        Case{"registered program missing", false, true}}) {
    SCOPED_TRACE(c.name);
    const std::string stage = gui::MakeStage("about-empty");
    if (c.folderWithoutTool) msinfoFolder.SetText(stage);
    if (c.missingProgram) msinfoPath.SetText(stage + "\\MSINFO32.exe");
    ShowAboutBox();
    gui::MessageBoxAnswerer answerer(IDOK);
    Click("cmdSysInfo");
    answerer.Stop();
    ASSERT_TRUE(answerer.seen());
    EXPECT_EQ(answerer.box().text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(answerer.box().caption, "Zantrix Preflect");
    EXPECT_EQ(answerer.box().buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(answerer.box().icon);
    // The About box stays open.
    EXPECT_TRUE(box.Visible());
    msinfoPath.Remove();
    msinfoFolder.Remove();
    gui::RemoveTree(stage);
  }
}

TEST_F(AboutGui, HomePageNoOpensNothing) {
  gui::BrowserHook hook("about-no");
  ShowAboutBox();
  gui::MessageBoxAnswerer answerer(IDNO);
  DoubleClick("picIcon");
  answerer.Stop();
  ASSERT_TRUE(answerer.seen());
  EXPECT_EQ(answerer.box().text, "Would you like to visit the Zantrix Software website?");
  EXPECT_EQ(answerer.box().caption, "Visit Zantrixweb\xC2\xAE");
  EXPECT_EQ(answerer.box().buttons, (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_TRUE(answerer.box().icon);
  // Nothing can be waited for: give a browser the time it would take.
  EXPECT_FALSE(hook.WaitForUrls(1, 3000));
  EXPECT_TRUE(box.Visible());
}

TEST_F(AboutGui, HomePageYesOpensTheHomeAddress) {
  gui::BrowserHook hook("about-yes");
  ShowAboutBox();
  gui::MessageBoxAnswerer answerer(IDYES);
  DoubleClick("picIcon");
  answerer.Stop();
  ASSERT_TRUE(answerer.seen());
  ASSERT_TRUE(hook.WaitForUrls(1, 20000));
  // The browser gets the address in its canonical form, with the slash of
  // the root path.
  EXPECT_EQ(hook.Urls(), std::vector<std::string>{"http://www.zantrix.example/"});
}

// Not a test: scripts/screenshots takes a picture while this holds the box
// on screen.
TEST_F(AboutGui, DISABLED_Screenshot) {
  ShowAboutBox();
  PumpUntil([] { return false; }, 500);
  std::printf("shot: about-box\n");
  std::fflush(stdout);
  PumpUntil([] { return false; }, 3000);
}

}  // namespace
