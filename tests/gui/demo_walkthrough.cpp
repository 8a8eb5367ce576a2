// Walks through the demo program folder as a user would, for scripts/demo:
// the first test, Acquire with its question, the packaged installer, a
// retest that finds everything, and "Continue". Prints "shot: NAME" when
// the screen is worth a picture and waits a moment for it to be taken.
#include <cstdio>
#include <string>

#include "tests/gui/driver.h"

namespace {

HWND CheckWindow(DWORD pid) {
  for (HWND w : gui::TopWindows(pid))
    if (gui::Text(w) == "Zantrix Preflect" && gui::ClassName(w) != "#32770") return w;
  return nullptr;
}

HWND ChildWithText(HWND parent, const std::string& text) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && gui::Text(c) == text) return c;
  return nullptr;
}

HWND BoxTitled(const std::string& caption) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w) && gui::ClassName(w) == "#32770" && gui::Text(w) == caption) return w;
  return nullptr;
}

void Shot(const char* name) {
  // The pointer out of the way, so that no tooltip stands in the picture.
  SetCursorPos(0, 0);
  Sleep(300);
  std::printf("shot: %s\n", name);
  std::fflush(stdout);
  Sleep(2500);
}

int Fail(const char* what) {
  std::printf("demo: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: demo_walkthrough PROGRAM-FOLDER [--first]");
  // Only the first picture, in whatever language the checker speaks.
  const bool firstOnly = argc > 2 && std::string(argv[2]) == "--first";
  const std::string folder = argv[1];
  gui::Program preflect(folder + "\\Preflect.exe", folder);
  HWND window = gui::WaitFor([&] { return CheckWindow(preflect.pid()); }, 60000);
  if (!window) return Fail("the check window did not appear");
  Sleep(500);
  Shot("some-missing");
  if (firstOnly) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return preflect.WaitExit(10000) ? 0 : Fail("the checker did not end when closed");
  }

  HWND acquire = ChildWithText(window, "Acquire");
  if (!acquire) return Fail("no Acquire button");
  PostMessageA(acquire, BM_CLICK, 0, 0);
  HWND question = gui::WaitFor([&] { return gui::FindMessageBox(preflect.pid()); }, 10000);
  if (!question) return Fail("no question after Acquire");
  Shot("acquire-question");
  PostMessageA(question, WM_COMMAND, IDYES, 0);

  HWND installer = gui::WaitFor([] { return BoxTitled("Frame Kit Setup"); }, 20000);
  if (!installer) return Fail("the packaged installer did not start");
  Shot("installer");
  PostMessageA(installer, WM_COMMAND, IDOK, 0);
  Sleep(500);

  HWND retest = ChildWithText(window, "Perform Retest");
  if (!retest) return Fail("no Perform Retest button");
  PostMessageA(retest, BM_CLICK, 0, 0);
  HWND cont = gui::WaitFor([&] { return ChildWithText(window, "Continue"); }, 30000);
  if (!cont) return Fail("the retest did not find everything");
  Sleep(500);
  Shot("all-found");

  PostMessageA(cont, BM_CLICK, 0, 0);
  HWND simulator = gui::WaitFor([] { return BoxTitled("Zantrix Quillon"); }, 20000);
  if (!simulator) return Fail("the simulator did not start");
  Shot("simulator");
  PostMessageA(simulator, WM_COMMAND, IDOK, 0);
  if (!preflect.WaitExit(10000)) return Fail("the checker did not end after Continue");
  std::printf("demo: the checker started the simulator and ended\n");
  return 0;
}
