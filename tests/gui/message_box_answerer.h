#pragma once
// A modal message box shown by this process blocks the thread that shows
// it: a second thread finds the box, records what it says and answers it.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/gui/driver.h"

namespace gui {

struct SeenBox {
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;  // visible ones, in child order
  bool icon = false;                 // a visible icon beside the text
};

class MessageBoxAnswerer {
 public:
  // Answers the first box of `pid` that appears within `milliseconds`
  // with the button `answer` (IDOK, IDYES, ...).
  MessageBoxAnswerer(int answer, DWORD milliseconds = 15000, DWORD pid = GetCurrentProcessId())
      : thread_([this, answer, milliseconds, pid] { Run(answer, milliseconds, pid); }) {}
  ~MessageBoxAnswerer() { Stop(); }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // Ends the wait; after it `seen` and `box` are settled.
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool seen() const { return seen_; }
  const SeenBox& box() const { return box_; }

 private:
  void Run(int answer, DWORD milliseconds, DWORD pid) {
    const DWORD start = GetTickCount();
    while (!stop_ && GetTickCount() - start < milliseconds) {
      HWND w = FindMessageBox(pid);
      if (w && GetDlgItem(w, 0xFFFF)) {
        Sleep(100);  // let it finish painting
        box_.caption = Text(w);
        box_.text = MessageBoxText(w);
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          if (!IsWindowVisible(c)) continue;
          const std::string kind = ClassName(c);
          const LONG style = GetWindowLongA(c, GWL_STYLE);
          if (kind == "Button") box_.buttons.push_back(Text(c));
          // Wine keeps the icon's static when there is no icon, but empty.
          if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON &&
              SendMessageA(c, STM_GETICON, 0, 0) != 0)
            box_.icon = true;
        }
        seen_ = true;
        PostMessageA(w, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        return;
      }
      Sleep(30);
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  SeenBox box_;
  std::thread thread_;
};

}  // namespace gui
