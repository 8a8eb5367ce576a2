// A program folder is writable by users and other installers: look-alike
// DLLs placed there under system DLL names must never be loaded, neither
// at process start nor by anything the programs load later. Preflect is
// driven through everything it does (a test, Acquire, Help > About, System
// Info, a retest, Continue) and Linkora through OK; no look-alike may
// leave its marker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/driver.h"

#include <tlhelp32.h>

namespace {

const char* const kTitle = "Zantrix Preflect";
const char* const kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

// DLLs a Windows program may load beside the few it imports: the ones our
// programs load late, what those load in turn, and common ones besides.
const char* const kPlanted[] = {
    "shell32",  "comctl32", "version",  "shfolder", "uxtheme",   "shcore",   "shlwapi",
    "ole32",    "oleaut32", "oleacc",   "comdlg32", "propsys",   "dwmapi",   "msimg32",
    "winmm",    "setupapi", "cfgmgr32", "userenv",  "wtsapi32",  "iphlpapi", "winhttp",
    "wininet",  "urlmon",   "secur32",  "crypt32",  "bcrypt",    "profapi",  "apphelp",
    "usp10",    "msctf",    "windowscodecs", "textshaping", "riched20", "mpr", "netapi32",
    "combase",  "imm32",    "rpcrt4",   "ws2_32",   "winspool",  "gdiplus",  "dbghelp",
};

void Answer(HWND box, int id) { PostMessageA(box, WM_COMMAND, id, 0); }

HWND WaitBox(DWORD pid) { return gui::WaitFor([&] { return gui::FindMessageBox(pid); }, 15000); }

// A visible top-level window of the process with this caption.
HWND WaitWindow(DWORD pid, const std::string& caption, DWORD milliseconds = 30000) {
  return gui::WaitFor(
      [&]() -> HWND {
        for (HWND w : gui::TopWindows(pid))
          if (gui::Text(w) == caption && gui::ClassName(w) != "#32770") return w;
        return nullptr;
      },
      milliseconds);
}

// A visible child with this text. The text first: reading it waits until
// the program handles messages, and by then it may have hidden the window.
HWND WaitChild(HWND parent, const std::string& text) {
  return gui::WaitFor(
      [&]() -> HWND {
        for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
          if (gui::Text(c) == text && IsWindowVisible(c)) return c;
        return nullptr;
      },
      15000);
}

bool WaitFile(const std::string& path) {
  return gui::WaitFor([&]() -> HWND { return gui::Exists(path) ? HWND(1) : nullptr; }, 15000);
}

// Any visible box with this caption (the stand-ins' own).
void AnswerBoxOf(const std::string& caption) {
  HWND box = gui::WaitFor(
      [&]() -> HWND {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
          if (IsWindowVisible(w) && gui::ClassName(w) == "#32770" && gui::Text(w) == caption)
            return w;
        return nullptr;
      },
      10000);
  if (box) Answer(box, IDOK);
}

// What a process still shows, for a failure message.
std::string Windows(DWORD pid) {
  std::string list;
  for (HWND w : gui::TopWindows(pid, false))
    list += "[" + gui::ClassName(w) + " \"" + gui::Text(w) + "\"" +
            (IsWindowVisible(w) ? " visible" : "") + "] ";
  return list;
}

void Key(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Help > About as a user chooses it: Alt+H, then A.
void ChooseHelpAbout(HWND window) {
  SetForegroundWindow(window);
  Sleep(200);
  Key(VK_MENU, false);
  Key('H', false);
  Key('H', true);
  Key(VK_MENU, true);
  Sleep(200);
  Key('A', false);
  Key('A', true);
}

class PlantingGui : public ::testing::Test {
 protected:
  std::string stage = gui::MakeStage("planting");
  std::string tools = gui::MakeStage("planting-tools");
  std::string savedMsinfo;

  PlantingGui() {
    const std::string bin = gui::BinFolder();
    for (const char* program : {"Preflect.exe", "Linkora.exe", "Zantrix_Quillon.exe"})
      gui::CopyInto(bin + "\\" + program, stage);
    CreateDirectoryA((stage + "\\Installers").c_str(), nullptr);
    gui::CopyInto(bin + "\\SetupFrameKit.exe", stage + "\\Installers");
    // The system information tool's stand-in lives elsewhere: only the
    // program folder holds look-alikes.
    gui::CopyInto(bin + "\\MSINFO32.exe", tools);
    gui::WriteText(stage + "\\version.xml.enc", "version=sprout\r\n");
    gui::WriteText(stage + "\\filespecs.xml",
                   "<systemSearch>\r\n<product name=\"Frame Kit\"><fileEntry name=\"FrameKit.ini\" "
                   "dir=\"%ZANTRIXDIR%\\Installers\\\"/><remedy source=\"package\" "
                   "location=\"%ZANTRIXDIR%\\Installers\\SetupFrameKit.exe\"/></product>\r\n"
                   "</systemSearch>\r\n");
    for (const char* name : kPlanted)
      EXPECT_TRUE(CopyFileA((bin + "\\planted.dll").c_str(), (stage + "\\" + name + ".dll").c_str(), FALSE))
          << "not planted: " << name;
    SetMsinfo(tools + "\\MSINFO32.exe");
  }
  ~PlantingGui() override {
    SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
    SetMsinfo(savedMsinfo);
    gui::RemoveTree(stage);
    gui::RemoveTree(tools);
  }

  void SetMsinfo(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMsinfoKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
      return;
    char old[MAX_PATH] = {};
    DWORD size = sizeof old - 1;
    if (savedMsinfo.empty() &&
        RegQueryValueExA(key, "PATH", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
            ERROR_SUCCESS)
      savedMsinfo = old;
    if (path.empty())
      RegDeleteValueA(key, "PATH");
    else
      RegSetValueExA(key, "PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
  }

  // The look-alikes some program loaded, each with the program that did.
  std::vector<std::string> Loaded() const {
    std::vector<std::string> loaded;
    for (const std::string& name : gui::List(stage))
      if (name.size() > 7 && name.compare(name.size() - 7, 7, ".loaded") == 0)
        loaded.push_back(name.substr(0, name.size() - 7) + " by " +
                         gui::ReadText(stage + "\\" + name));
    return loaded;
  }

  // The control: a look-alike loaded on purpose, by this program, leaves its
  // marker, which is then cleared. Wine has no DLL of its own by this name
  // to load instead.
  void ExpectALoadedCopyToShow() {
    const std::string copy = stage + "\\textshaping.dll";
    const HMODULE module = LoadLibraryA(copy.c_str());
    ASSERT_NE(module, nullptr) << copy;
    FreeLibrary(module);
    EXPECT_EQ(Loaded(), std::vector<std::string>{"textshaping.dll by " + gui::BinFolder() +
                                                 "\\gui_planting_tests.exe"});
    DeleteFileA((copy + ".loaded").c_str());
  }

  void RunPreflectThroughEverything() {
    gui::Program preflect(stage + "\\Preflect.exe", stage);
    HWND window = WaitWindow(preflect.pid(), kTitle);
    ASSERT_NE(window, nullptr) << "no check window";

    HWND acquire = WaitChild(window, "Acquire");
    ASSERT_NE(acquire, nullptr);
    PostMessageA(acquire, BM_CLICK, 0, 0);
    HWND box = WaitBox(preflect.pid());
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    ASSERT_TRUE(WaitFile(stage + "\\Installers\\FrameKit.ini")) << "the installer did not run";
    AnswerBoxOf("Frame Kit Setup");

    // Keys go to the foreground window, which another program may hold for
    // a moment: the choice is made again until the box appears.
    HWND about = nullptr;
    for (int attempt = 0; attempt < 3 && !about; ++attempt) {
      ChooseHelpAbout(window);
      about = WaitWindow(preflect.pid(), std::string("About ") + kTitle, 5000);
    }
    ASSERT_NE(about, nullptr) << "Help > About showed no About box";
    HWND sysInfo = WaitChild(about, "&System Info...");
    ASSERT_NE(sysInfo, nullptr);
    PostMessageA(sysInfo, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFile(tools + "\\msinfo-started.txt")) << "System Info started nothing";
    PostMessageA(WaitChild(about, "OK"), BM_CLICK, 0, 0);

    PostMessageA(WaitChild(window, "Perform Retest"), BM_CLICK, 0, 0);
    HWND next = WaitChild(window, "Continue");
    ASSERT_NE(next, nullptr) << "the retest did not find the installed product";
    PostMessageA(next, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFile(stage + "\\simulator-started.txt")) << "Continue started nothing";
    AnswerBoxOf("Zantrix Quillon");
    EXPECT_TRUE(preflect.Ends(10000)) << "still open: " << Windows(preflect.pid());
  }

  void RunLinkoraThroughOk() {
    gui::Program linkora(stage + "\\Linkora.exe", stage);
    HWND box = WaitBox(linkora.pid());
    ASSERT_NE(box, nullptr) << "Linkora asked nothing";
    Answer(box, IDOK);
    EXPECT_TRUE(linkora.Ends(10000));
  }
};

TEST_F(PlantingGui, NoLookAlikeIsLoaded) {
  ExpectALoadedCopyToShow();
  RunPreflectThroughEverything();
  RunLinkoraThroughOk();
  EXPECT_EQ(Loaded(), std::vector<std::string>{});
}

// Wine prefers its own DLL for some names unless told otherwise; asked to
// prefer one found on the search path, it still must not find ours.
TEST_F(PlantingGui, NoLookAlikeIsLoadedWhenNativeDllsArePreferred) {
  std::string list;
  for (const char* name : kPlanted) list += std::string(list.empty() ? "" : ",") + name;
  const std::string overrides = "mscoree,mshtml=;winemenubuilder.exe=d;" + list + "=n,b";
  SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides.c_str());
  ExpectALoadedCopyToShow();
  RunPreflectThroughEverything();
  RunLinkoraThroughOk();
  EXPECT_EQ(Loaded(), std::vector<std::string>{});
}

// The manifest asks for version 6 of the common controls; loading the
// DLL late must still give that one, not the system folder's older copy.
TEST_F(PlantingGui, CommonControls6AreInUse) {
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  ASSERT_NE(WaitWindow(preflect.pid(), kTitle), nullptr);
  std::string path;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, preflect.pid());
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module))
    if (lstrcmpiA(module.szModule, "comctl32.dll") == 0) path = module.szExePath;
  CloseHandle(snapshot);
  ASSERT_FALSE(path.empty()) << "comctl32 is not loaded";
  // The side-by-side assembly the manifest names, not the system folder.
  CharLowerA(path.data());
  EXPECT_NE(path.find("microsoft.windows.common-controls_6595b64144ccf1df_6."),
            std::string::npos)
      << path;
  EXPECT_TRUE(preflect.Close(10000));
}

}  // namespace
