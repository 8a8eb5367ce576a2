// The real Preflect.exe in a staged program folder, driven as a user would:
// rows, Acquire, retest, Continue, the missing-file question, closing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/gui/driver.h"

#include <tlhelp32.h>
#include <wincrypt.h>

namespace {

const char* const kTitle = "Zantrix Preflect";
const char* const kStampKey = "Software\\VB and VBA Program Settings\\zantrix\\Settings";

struct Child {
  HWND hwnd;
  std::string cls, text;
  RECT rect;  // in the parent's client coordinates
  bool visible, enabled;
};

std::vector<Child> Children(HWND parent) {
  std::vector<Child> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    out.push_back({c, gui::ClassName(c), gui::Text(c), r, IsWindowVisible(c) != FALSE,
                   IsWindowEnabled(c) != FALSE});
  }
  return out;
}

// Copies, so that a new look at the children leaves them valid.
std::optional<Child> Find(const std::vector<Child>& children, const std::string& text) {
  for (const Child& c : children)
    if (c.visible && c.text == text) return c;
  return std::nullopt;
}

std::vector<Child> Visible(const std::vector<Child>& children, const std::string& text) {
  std::vector<Child> found;
  for (const Child& c : children)
    if (c.visible && c.text == text) found.push_back(c);
  return found;
}

// The check window of a process: visible, or any when `visible` is false.
HWND CheckWindow(DWORD pid, bool visible = true) {
  for (HWND w : gui::TopWindows(pid, visible))
    if (gui::Text(w) == kTitle && gui::ClassName(w) != "#32770") return w;
  return nullptr;
}

HWND WaitCheckWindow(DWORD pid) {
  return gui::WaitFor([&] { return CheckWindow(pid); }, 30000);
}

// A message box of any process with this caption.
HWND AnyBox(const std::string& caption) {
  HWND found = nullptr;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w) && gui::ClassName(w) == "#32770" && gui::Text(w) == caption) found = w;
  return found;
}

HWND WaitBox(DWORD pid) {
  return gui::WaitFor([&] { return gui::FindMessageBox(pid); }, 15000);
}

void Answer(HWND box, int id) { PostMessageA(box, WM_COMMAND, id, 0); }

// Answers a box, then waits until the window's thread is back in its own
// loop, done with what the answer led to.
void AnswerAndSettle(HWND box, int id, HWND window) {
  Answer(box, id);
  gui::WaitFor([&]() -> HWND { return IsWindow(box) ? nullptr : window; }, 15000);
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, nullptr);
}

// The processes running a program of this name: a stand-in installer that
// was started is among them until its box is answered.
int Running(const char* exe) {
  int count = 0;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 process{};
  process.dwSize = sizeof process;
  for (BOOL more = Process32First(snapshot, &process); more; more = Process32Next(snapshot, &process))
    count += lstrcmpiA(process.szExeFile, exe) == 0;
  CloseHandle(snapshot);
  return count;
}

// A file's SHA-256 in lower-case hex, by the CryptoAPI (the checker uses CNG).
std::string Sha256(const std::string& path) {
  const std::string bytes = gui::ReadText(path);
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  BYTE digest[32];
  DWORD size = sizeof digest;
  std::string hex;
  if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
      CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
      CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0) &&
      CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0))
    for (BYTE b : digest) hex += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
  if (hash) CryptDestroyHash(hash);
  if (provider) CryptReleaseContext(provider, 0);
  return hex;
}

bool WaitFile(const std::string& path) {
  return gui::WaitFor([&]() -> HWND { return gui::Exists(path) ? HWND(1) : nullptr; }, 15000);
}

bool WaitText(HWND parent, const std::string& text) {
  return gui::WaitFor([&]() -> HWND {
           const auto c = Children(parent);
           const auto f = Find(c, text);
           return f ? f->hwnd : nullptr;
         },
         15000) != nullptr;
}

std::string Stamp() {
  char data[64] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, kStampKey, "syscheck", RRF_RT_REG_SZ, nullptr, data,
                   &size) != ERROR_SUCCESS)
    return {};
  return data;
}

std::string Today() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[16];
  std::snprintf(text, sizeof text, "%02u/%02u/%04u", t.wMonth, t.wDay, t.wYear);
  return text;
}

// The address the last web open handed to the browser hook.
std::string LastBrowsed() {
  // build/win32/bin -> build/browser-hook.log
  std::string bin = gui::BinFolder();
  const std::string log = bin.substr(0, bin.rfind('\\', bin.rfind('\\') - 1)) + "\\browser-hook.log";
  FILE* f = std::fopen(log.c_str(), "r");
  if (!f) return {};
  std::string last;
  char line[1024];
  while (std::fgets(line, sizeof line, f)) last = line;
  std::fclose(f);
  while (!last.empty() && (last.back() == '\n' || last.back() == '\r')) last.pop_back();
  return last;
}

bool WaitBrowsed(const std::string& address) {
  return gui::WaitFor([&]() -> HWND { return LastBrowsed() == address ? HWND(1) : nullptr; },
                      15000) != nullptr;
}

// The check window with one missing row, and the question its Acquire
// asks; null when either does not come.
HWND AskTheOneAcquire(DWORD pid, HWND& window) {
  window = WaitCheckWindow(pid);
  const auto acquire = window ? Visible(Children(window), "Acquire") : std::vector<Child>{};
  if (acquire.size() != 1) return nullptr;
  PostMessageA(acquire[0].hwnd, BM_CLICK, 0, 0);
  return WaitBox(pid);
}

struct CheckWindowGui : ::testing::Test {
  std::string stage = gui::MakeStage("check");
  CheckWindowGui() {
    const std::string bin = gui::BinFolder();
    gui::CopyInto(bin + "\\Preflect.exe", stage);
    gui::CopyInto(bin + "\\Zantrix_Quillon.exe", stage);
    CreateDirectoryA((stage + "\\Installers").c_str(), nullptr);
    gui::CopyInto(bin + "\\SetupFrameKit.exe", stage + "\\Installers");
    gui::WriteText(stage + "\\version.xml.enc", "version=sprout\r\n");
    RegDeleteKeyA(HKEY_CURRENT_USER, kStampKey);
  }
  ~CheckWindowGui() override {
    // Stand-ins may still show their boxes; they end once answered.
    gui::WaitFor([]() -> HWND {
      for (const char* caption : {"Zantrix Quillon", "Frame Kit Setup"})
        if (HWND box = AnyBox(caption)) Answer(box, IDOK);
      return Running("Zantrix_Quillon.exe") + Running("SetupFrameKit.exe") ? nullptr : HWND(1);
    }, 10000);
    gui::RemoveTree(stage);
  }
  void Specs(const std::string& products) {
    gui::WriteText(stage + "\\filespecs.xml", "<systemSearch>\r\n" + products + "</systemSearch>\r\n");
  }
};

const std::string kFoundProduct =
    "<product name=\"Common Controls\"><fileEntry name=\"comctl32.dll\" dir=\"%SYSTEMDIR%\\\" "
    "version=\"5.0.0.0\"/></product>\r\n";
const std::string kInstallerProduct =
    "<product name=\"Frame Kit\"><fileEntry name=\"FrameKit.ini\" dir=\"%ZANTRIXDIR%\\Installers\\\"/>"
    "<remedy source=\"package\" location=\"%ZANTRIXDIR%\\Installers\\SetupFrameKit.exe\"/></product>\r\n";

TEST_F(CheckWindowGui, AcquireRetestContinue) {
  Specs(kFoundProduct + kInstallerProduct);
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = WaitCheckWindow(preflect.pid());
  ASSERT_NE(window, nullptr) << "no check window";

  auto children = Children(window);
  const auto first = Find(children, "Common Controls");
  const auto second = Find(children, "Frame Kit");
  ASSERT_TRUE(first && second);
  // Rows at 2280 and 3135 twips, left 220, at 15 twips a pixel.
  EXPECT_EQ(first->rect.left, 15);
  EXPECT_EQ(first->rect.top, 152);
  EXPECT_EQ(second->rect.top, 209);
  EXPECT_EQ(first->cls, "Static");
  EXPECT_TRUE(Find(children, "Look below for the search results!  You are missing 1 required "
                             "components."));
  const auto perform = Find(children, "Perform Retest");
  ASSERT_TRUE(perform);
  EXPECT_EQ(perform->cls, "Button");
  EXPECT_EQ(perform->rect.top, 251);  // 3770 twips
  const auto acquire = Visible(children, "Acquire");
  ASSERT_EQ(acquire.size(), 1u);
  EXPECT_EQ(acquire[0].rect.left, 320);
  EXPECT_EQ(acquire[0].rect.top, 209);
  HWND acquireButton = acquire[0].hwnd;

  // No leaves the button as it was.
  PostMessageA(acquireButton, BM_CLICK, 0, 0);
  HWND box = WaitBox(preflect.pid());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(gui::Text(box), kTitle);
  EXPECT_EQ(gui::MessageBoxText(box),
            "The file necessary has already been packaged with your installation.\r\nWould you "
            "like to run it?");
  AnswerAndSettle(box, IDNO, window);
  EXPECT_TRUE(IsWindowEnabled(acquireButton));
  EXPECT_EQ(Running("SetupFrameKit.exe"), 0) << "No ran the installer";

  // Yes runs the packaged installer and disables the button.
  PostMessageA(acquireButton, BM_CLICK, 0, 0);
  box = WaitBox(preflect.pid());
  ASSERT_NE(box, nullptr);
  Answer(box, IDYES);
  ASSERT_TRUE(WaitFile(stage + "\\Installers\\FrameKit.ini")) << "the installer did not run";
  EXPECT_TRUE(gui::WaitFor([&]() -> HWND { return IsWindowEnabled(acquireButton) ? nullptr : acquireButton; }, 5000));

  // A retest finds it: "Continue", the header text, the stamp.
  PostMessageA(perform->hwnd, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitText(window, "Continue"));
  children = Children(window);
  EXPECT_TRUE(Find(children, "All required components found.  Click continue to load the simulator."));
  EXPECT_FALSE(Find(children, "- file(s) found"));
  EXPECT_EQ(Find(children, "Continue")->rect.top, 62);  // 930 twips
  EXPECT_EQ(Stamp(), Today());

  PostMessageA(Find(children, "Continue")->hwnd, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFile(stage + "\\simulator-started.txt")) << "the simulator did not start";
  EXPECT_TRUE(preflect.Ends(10000));
}

// The first product row on screen, from "Product <n>" labels; -1: none.
int FirstProductShown(HWND window) {
  int first = -1;
  for (const Child& c : Children(window))
    if (c.visible && c.text.rfind("Product ", 0) == 0) {
      const int n = std::stoi(c.text.substr(8));
      if (first < 0 || n < first) first = n;
    }
  return first;
}

TEST_F(CheckWindowGui, RowsBeyondTheScreenScroll) {
  const int rows = 40;
  std::string specs;
  for (int i = 0; i < rows; ++i) {
    const std::string name = "Product " + std::to_string(i);
    specs += i % 2 == 0
                 ? "<product name=\"" + name + "\"><fileEntry name=\"comctl32.dll\" dir=\"%SYSTEMDIR%\\\"/></product>\r\n"
                 : "<product name=\"" + name + "\"><fileEntry name=\"none.exe\" dir=\"%ZANTRIXDIR%\\\"/>"
                   "<remedy source=\"web\" location=\"http://www.zantrix.example/p" + std::to_string(i) + ".htm\"/></product>\r\n";
  }
  Specs(specs);
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = WaitCheckWindow(preflect.pid());
  ASSERT_NE(window, nullptr);

  // The window stays inside the working area.
  RECT work, outer, client;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  EXPECT_GE(outer.top, work.top);
  EXPECT_LE(outer.bottom, work.bottom);

  auto children = Children(window);
  std::optional<Child> bar;
  for (const Child& c : children)
    if (c.visible && c.cls == "ScrollBar") bar = c;
  ASSERT_TRUE(bar) << "no scroll bar";
  EXPECT_EQ(bar->rect.right, client.right);
  EXPECT_EQ(bar->rect.left, 405);  // right of the rows, 6075 twips
  const auto perform = Find(children, "Perform Retest");
  ASSERT_TRUE(perform);
  EXPECT_LE(perform->rect.bottom, client.bottom);
  EXPECT_EQ(FirstProductShown(window), 0);
  const auto top = Find(children, "Product 0");
  ASSERT_TRUE(top);
  EXPECT_EQ(top->rect.top, 152);  // 2280 twips, as with rows that fit
  EXPECT_FALSE(Find(children, "Product 39"));

  // To the end: the last row and its Acquire button come into view.
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), reinterpret_cast<LPARAM>(bar->hwnd));
  children = Children(window);
  const auto last = Find(children, "Product 39");
  ASSERT_TRUE(last) << "the last row did not come into view";
  EXPECT_LT(last->rect.bottom, perform->rect.top);
  std::optional<Child> acquire;
  for (const Child& c : Visible(children, "Acquire"))
    if (c.rect.top == last->rect.top) acquire = c;
  ASSERT_TRUE(acquire);
  const int first = FirstProductShown(window);
  EXPECT_GT(first, 0);
  EXPECT_FALSE(Find(children, "Product 0"));

  // A wheel notch up shows one row more at the top; a page down goes back.
  SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(FirstProductShown(window), first - 1);
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), reinterpret_cast<LPARAM>(bar->hwnd));
  EXPECT_EQ(FirstProductShown(window), first);

  PostMessageA(acquire->hwnd, BM_CLICK, 0, 0);
  HWND box = WaitBox(preflect.pid());
  ASSERT_NE(box, nullptr);
  Answer(box, IDYES);
  EXPECT_TRUE(WaitBrowsed("http://www.zantrix.example/p39.htm")) << "last address: " << LastBrowsed();
  EXPECT_TRUE(preflect.Close(10000));
}

// A long check never leaves a window of the checker "Not Responding" by
// the system's own rule (no look at the queue for 5 seconds), polled every
// 250 ms until the check window shows; then it holds every row.
TEST_F(CheckWindowGui, LongCheckNeverHangs) {
  const int rows = 32767;
  std::string specs;
  for (int i = 0; i < rows; ++i)
    specs += "<product name=\"Product " + std::to_string(i) + "\"><fileEntry name=\"none" +
             std::to_string(i % 500) + ".exe\" dir=\"%ZANTRIXDIR%\\\"/></product>\r\n";
  Specs(specs);
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = nullptr;
  int polls = 0, hung = 0;
  bool progressShown = false;
  std::string firstHung;
  // Titles read without a message, which a hung program would not answer.
  const auto title = [](HWND w) {
    char text[64] = {};
    GetWindowTextA(w, text, sizeof text);
    return std::string(text);
  };
  for (const DWORD start = GetTickCount(); !window && GetTickCount() - start < 300000; ++polls) {
    for (HWND w : gui::TopWindows(preflect.pid(), false)) {
      if (IsHungAppWindow(w) && hung++ == 0)
        firstHung = title(w) + " at " + std::to_string((GetTickCount() - start) / 1000) + " s";
      progressShown = progressShown || (IsWindowVisible(w) && title(w) == "Search in progress...");
      if (IsWindowVisible(w) && title(w) == kTitle && gui::ClassName(w) != "#32770") window = w;
    }
    if (!window) Sleep(250);
  }
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(progressShown) << "the check was never watched while it ran";
  EXPECT_EQ(hung, 0) << "hung answers in " << polls << " polls, the first: " << firstHung;
  HWND bar = nullptr;
  for (const Child& c : Children(window))
    if (c.visible && c.cls == "ScrollBar") bar = c.hwnd;
  ASSERT_NE(bar, nullptr);
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), reinterpret_cast<LPARAM>(bar));
  EXPECT_TRUE(Find(Children(window), "Product " + std::to_string(rows - 1)));
  EXPECT_TRUE(preflect.Close(10000));
}

// Alt+F4 on the progress dialog while the search runs ends the checker as
// closing its window does: the search stops, so a check that would find
// everything never records the date stamp.
TEST_F(CheckWindowGui, AltF4OnTheProgressDialogEndsTheChecker) {
  std::string specs;
  for (int i = 0; i < 20000; ++i)
    specs += "<product name=\"P" + std::to_string(i) + "\"><fileEntry name=\"Preflect.exe\" dir=\"%ZANTRIXDIR%\\\"/></product>\r\n";
  Specs(specs);
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND dialog = gui::WaitFor([&]() -> HWND {
    for (HWND w : gui::TopWindows(preflect.pid()))
      if (gui::Text(w) == "Search in progress...") return w;
    return nullptr;
  }, 30000);
  ASSERT_NE(dialog, nullptr);
  SetForegroundWindow(dialog);
  gui::Press(VK_F4, false, false, true);
  EXPECT_TRUE(preflect.Ends(20000));
  EXPECT_EQ(Stamp(), "") << "the search ran to its end";
}

// PreflectCheck.exe pin writes the installers' SHA-256 into the file; a
// pinned installer whose bytes changed since is refused with a box that
// names it, and never started; the one that matches its pin runs.
TEST_F(CheckWindowGui, PinnedInstallers) {
  const std::string installers = stage + "\\Installers\\";
  CopyFileA((installers + "SetupFrameKit.exe").c_str(), (installers + "Swapped.exe").c_str(), FALSE);
  std::string swapped = kInstallerProduct;
  swapped.replace(swapped.find("Frame Kit"), 9, "Swapped Kit");
  swapped.replace(swapped.find("SetupFrameKit"), 13, "Swapped");
  Specs(swapped + kInstallerProduct);
  const std::string digest = Sha256(installers + "SetupFrameKit.exe");
  ASSERT_EQ(digest.size(), 64u);
  DWORD code = 0;
  gui::RunCapture(gui::BinFolder() + "\\PreflectCheck.exe", "pin \"" + stage + "\"", stage, code);
  ASSERT_EQ(code, 0u);
  const std::string pinned = gui::ReadText(stage + "\\filespecs.xml");
  for (const char* name : {"Swapped.exe", "SetupFrameKit.exe"})
    EXPECT_NE(pinned.find(name + ("\" sha256=\"" + digest + "\"")), std::string::npos) << pinned;
  // A byte more: the same program, but not the bytes pinned.
  const HANDLE file = CreateFileA((installers + "Swapped.exe").c_str(), FILE_APPEND_DATA, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "x", 1, &written, nullptr);
  CloseHandle(file);
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = WaitCheckWindow(preflect.pid());
  ASSERT_NE(window, nullptr);
  const auto acquire = Visible(Children(window), "Acquire");  // in row order
  ASSERT_EQ(acquire.size(), 2u);
  const std::string question =
      "The file necessary has already been packaged with your installation.\r\nWould you like to run it?";
  const auto box = [&](bool isQuestion) {
    return gui::WaitFor([&]() -> HWND {
      HWND b = gui::FindMessageBox(preflect.pid());
      return b && (gui::MessageBoxText(b) == question) == isQuestion ? b : nullptr;
    }, 15000);
  };
  PostMessageA(acquire[0].hwnd, BM_CLICK, 0, 0);
  AnswerAndSettle(box(true), IDYES, window);
  HWND refusal = box(false);
  ASSERT_NE(refusal, nullptr) << "no refusal";
  EXPECT_EQ(gui::Text(refusal), kTitle);
  EXPECT_EQ(gui::MessageBoxText(refusal),
            "The installer \"" + installers + "Swapped.exe\" is damaged or is not the one packaged "
            "with your installation, so it was not started.\r\nGet the installer again from where "
            "you got the simulator, or reinstall the simulator.");
  AnswerAndSettle(refusal, IDOK, window);
  PostMessageA(acquire[1].hwnd, BM_CLICK, 0, 0);
  AnswerAndSettle(box(true), IDYES, window);
  EXPECT_TRUE(WaitFile(installers + "FrameKit.ini")) << "the pinned installer did not run";
  // An installer started stays until its box is answered.
  EXPECT_EQ(Running("SetupFrameKit.exe"), 1);
  EXPECT_EQ(Running("Swapped.exe"), 0) << "the swapped installer ran";
  EXPECT_TRUE(preflect.Close(10000));
}

TEST_F(CheckWindowGui, WebRemedyOpensTheBrowser) {
  Specs("<product name=\"Chart Viewer\"><fileEntry name=\"none.exe\" dir=\"%ZANTRIXDIR%\\\"/>"
        "<remedy source=\"web\" location=\"http://www.zantrix.example/viewer.htm\"/></product>\r\n");
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = nullptr;
  HWND box = AskTheOneAcquire(preflect.pid(), window);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(gui::MessageBoxText(box).find("Your default web browser will open"), std::string::npos);
  Answer(box, IDYES);
  EXPECT_TRUE(WaitBrowsed("http://www.zantrix.example/viewer.htm")) << "last address: " << LastBrowsed();
  EXPECT_TRUE(preflect.Close(10000));
}

TEST_F(CheckWindowGui, MissingFileNoThenYes) {
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND error = WaitBox(preflect.pid());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(gui::Text(error), "Error");
  Answer(error, IDOK);
  HWND question = gui::WaitFor([&]() -> HWND {
    HWND b = gui::FindMessageBox(preflect.pid());
    return b && b != error ? b : nullptr;
  }, 15000);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(gui::MessageBoxText(question).rfind("The source file for the preflect is missing", 0), 0u);
  Answer(question, IDNO);
  HWND window = WaitCheckWindow(preflect.pid());
  ASSERT_NE(window, nullptr);
  const auto perform = Find(Children(window), "Perform Test");
  ASSERT_TRUE(perform);
  EXPECT_EQ(Stamp(), "");

  PostMessageA(perform->hwnd, BM_CLICK, 0, 0);
  error = WaitBox(preflect.pid());
  ASSERT_NE(error, nullptr);
  Answer(error, IDOK);
  question = gui::WaitFor([&]() -> HWND {
    HWND b = gui::FindMessageBox(preflect.pid());
    return b && b != error ? b : nullptr;
  }, 15000);
  ASSERT_NE(question, nullptr);
  Answer(question, IDYES);
  EXPECT_TRUE(WaitFile(stage + "\\simulator-started.txt"));
  EXPECT_TRUE(preflect.Ends(10000));
  EXPECT_EQ(Stamp(), Today());
}

TEST_F(CheckWindowGui, ClosedWhileTheProgressDialogIsShown) {
  // The reader's "Error" box stands while the progress dialog is shown.
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND error = WaitBox(preflect.pid());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(gui::Text(error), "Error");
  bool dialogShown = false;
  for (HWND w : gui::TopWindows(preflect.pid()))
    if (gui::Text(w) == "Search in progress...") dialogShown = true;
  EXPECT_TRUE(dialogShown);
  HWND window = CheckWindow(preflect.pid(), false);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_CLOSE, 0, 0);
  // The box may go with its owner; that box is answered if it stays, and
  // any other fails.
  if (!preflect.WaitExit(2000) && IsWindow(error)) Answer(error, IDOK);
  EXPECT_TRUE(preflect.Ends(10000));
  EXPECT_FALSE(gui::Exists(stage + "\\simulator-started.txt"));
}

// A long check's requirements file: `rows` products, all found (the
// comctl32 row) or all missing; reading it takes a moment of its own.
std::string LongSpecs(int rows, bool found) {
  std::string specs;
  for (int i = 0; i < rows; ++i)
    specs += found ? "<product name=\"Product " + std::to_string(i) +
                         "\"><fileEntry name=\"comctl32.dll\" dir=\"%SYSTEMDIR%\\\"/></product>\r\n"
                   : "<product name=\"Product " + std::to_string(i) + "\"><fileEntry name=\"none" +
                         std::to_string(i % 500) + ".exe\" dir=\"%ZANTRIXDIR%\\\"/></product>\r\n";
  return specs;
}

HWND ProgressDialog(DWORD pid) {
  for (HWND w : gui::TopWindows(pid))
    if (gui::Text(w) == "Search in progress...") return w;
  return nullptr;
}

// "End task" (a close sent to the window, as the task manager sends it) on
// the progress dialog at moments of a long check from its first tags to
// its last checks: the checker ends within seconds, with status 0, no
// window left, nothing started and nothing stamped. The moments are parts
// of the check's length on this machine, measured by a first run left to
// its end, which also shows that such a check stamps the date.
TEST_F(CheckWindowGui, EndTaskAtAnyMomentOfALongCheck) {
  Specs(LongSpecs(32767, true));
  DWORD length = 0;
  {
    gui::Program preflect(stage + "\\Preflect.exe", stage);
    HWND dialog = gui::WaitFor([&] { return ProgressDialog(preflect.pid()); }, 30000);
    ASSERT_NE(dialog, nullptr);
    const DWORD shown = GetTickCount();
    ASSERT_TRUE(gui::WaitFor([&]() -> HWND { return IsWindowVisible(dialog) ? nullptr : HWND(1); },
                             120000));
    length = GetTickCount() - shown;
    ASSERT_EQ(Stamp(), Today()) << "a check left to its end";
    EXPECT_TRUE(preflect.Close(10000));
    RegDeleteKeyA(HKEY_CURRENT_USER, kStampKey);
  }
  // A moment late in the check still leaves it a second or more to run.
  ASSERT_GT(length, 2500u) << "too short a check to close it at moments of its own";
  for (const double part : {0.0, 0.1, 0.3, 0.5, 0.75}) {
    // Runs differ by a fifth or more: when one ends before its moment, the
    // moment is tried again, halved, in a new run.
    DWORD after = std::min<DWORD>(static_cast<DWORD>(part * length), length - 1500);
    bool closed = false;
    for (int attempt = 0; attempt < 3 && !closed; ++attempt, after /= 2) {
      SCOPED_TRACE("closed " + std::to_string(after) + " ms into a check of about " +
                   std::to_string(length) + " ms");
      gui::Program preflect(stage + "\\Preflect.exe", stage);
      HWND dialog = gui::WaitFor([&] { return ProgressDialog(preflect.pid()); }, 30000);
      ASSERT_NE(dialog, nullptr);
      Sleep(after);
      // Asked without a message: a sent one (its title) would wait for the
      // checker's next look at its queue, and the close would come after it.
      if (!IsWindowVisible(dialog) || !PostMessageA(dialog, WM_CLOSE, 0, 0)) {
        EXPECT_TRUE(preflect.Close(10000));
        RegDeleteKeyA(HKEY_CURRENT_USER, kStampKey);
        continue;
      }
      closed = true;
      const DWORD at = GetTickCount();
      EXPECT_TRUE(preflect.Ends(5000)) << "5 s after the close";
      EXPECT_LT(GetTickCount() - at, 5000u);
      EXPECT_TRUE(gui::TopWindows(preflect.pid(), false).empty());
      EXPECT_EQ(Stamp(), "");
    }
    EXPECT_TRUE(closed) << "every run ended before its moment";
  }
  EXPECT_FALSE(gui::Exists(stage + "\\simulator-started.txt"));
}

// Logoff, shutdown or an installer's Restart Manager: every top-level
// window gets WM_QUERYENDSESSION, then WM_ENDSESSION. Asked during a
// search, the checker says yes and stops it (nothing is shown as found,
// nothing stamped); after a search too; then the end unloads it, status 0.
TEST_F(CheckWindowGui, WindowsEndsTheSession) {
  const auto endSession = [](DWORD pid) {
    DWORD_PTR yes = 1;
    for (HWND w : gui::TopWindows(pid, false)) {
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000,
                          &answer);
      yes = yes && answer;
    }
    return yes != 0;
  };
  const auto ended = [](DWORD pid) {
    for (HWND w : gui::TopWindows(pid, false))
      SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000,
                          nullptr);
  };
  for (const bool during : {true, false}) {
    SCOPED_TRACE(during ? "during the search" : "after it");
    // All found: a search that ran to its end would stamp the date.
    Specs(during ? LongSpecs(32767, true) : kInstallerProduct);
    gui::Program preflect(stage + "\\Preflect.exe", stage);
    if (during) {
      ASSERT_NE(gui::WaitFor([&] { return ProgressDialog(preflect.pid()); }, 30000), nullptr);
      Sleep(1000);
    }
    HWND window = during ? nullptr : WaitCheckWindow(preflect.pid());
    EXPECT_TRUE(endSession(preflect.pid())) << "the checker held the session up";
    if (during) {
      window = WaitCheckWindow(preflect.pid());
      ASSERT_NE(window, nullptr) << "the stopped test did not end";
      EXPECT_TRUE(Find(Children(window), "Perform Test")) << "results of a stopped search";
    }
    ended(preflect.pid());
    EXPECT_TRUE(preflect.Ends(5000)) << "after the end of the session";
    EXPECT_EQ(Stamp(), "");
  }
  EXPECT_FALSE(gui::Exists(stage + "\\simulator-started.txt"));
  EXPECT_FALSE(gui::Exists(stage + "\\Installers\\FrameKit.ini"));
}

// A large pinned installer is hashed away from the window: it never goes
// "Not Responding" meanwhile, and the one that differs is refused.
TEST_F(CheckWindowGui, HashingALargeInstallerNeverHangs) {
  const std::string big = stage + "\\Installers\\Big.exe";
  {
    const HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;  // sparse: zeros on no disk
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
  }
  Specs("<product name=\"Big Kit\"><fileEntry name=\"none.exe\" dir=\"%ZANTRIXDIR%\\\"/>"
        "<remedy source=\"package\" location=\"%ZANTRIXDIR%\\Installers\\Big.exe\" sha256=\"" +
        std::string(64, 'a') + "\"/></product>\r\n");
  gui::Program preflect(stage + "\\Preflect.exe", stage);
  HWND window = nullptr;
  HWND question = AskTheOneAcquire(preflect.pid(), window);
  ASSERT_NE(question, nullptr);
  Answer(question, IDYES);
  int polls = 0, hung = 0;
  HWND refusal = nullptr;
  for (const DWORD start = GetTickCount(); !refusal && GetTickCount() - start < 300000; ++polls) {
    if (IsHungAppWindow(window)) ++hung;
    HWND box = gui::FindMessageBox(preflect.pid());
    if (box && box != question) refusal = box;
    if (!refusal) Sleep(250);
  }
  ASSERT_NE(refusal, nullptr) << "no answer after " << polls / 4 << " s";
  EXPECT_EQ(hung, 0) << "hung answers in " << polls << " polls";
  EXPECT_EQ(gui::MessageBoxText(refusal),
            "The installer \"" + big + "\" is damaged or is not the one packaged with your "
            "installation, so it was not started.\r\nGet the installer again from where you got "
            "the simulator, or reinstall the simulator.");
  AnswerAndSettle(refusal, IDOK, window);
  EXPECT_TRUE(preflect.Close(10000));
  DeleteFileA(big.c_str());
}

}  // namespace
