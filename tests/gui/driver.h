#pragma once
// Drives the real programs under Wine: start them in a folder of their own,
// find their windows, read and click controls, answer message boxes. Every
// wait polls with a deadline and reports what it saw last.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

// The folder that holds this test program (and the built programs).
std::string BinFolder();

// A fresh folder below the temporary folder, removed by RemoveTree.
std::string MakeStage(const std::string& name);
void RemoveTree(const std::string& folder);
void CopyInto(const std::string& file, const std::string& folder);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);  // empty when unreadable
bool Exists(const std::string& path);
std::vector<std::string> List(const std::string& folder);  // names, sorted

// A started program, ended on destruction whatever happened.
class Program {
 public:
  Program(const std::string& exe, const std::string& workingFolder,
          const std::string& arguments = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  DWORD pid() const { return info_.dwProcessId; }
  bool running() const;
  // Waits for the program to end; false on time-out. Says nothing of how
  // it ended: Ends() does.
  bool WaitExit(DWORD milliseconds);
  // Waits for the program to end and checks how: with exit status
  // `expected`, and with no message box of its own shown meanwhile (a
  // run-time error, an error nobody expected), which fails naming its text;
  // a box up when it is called must be one just answered, and go.
  ::testing::AssertionResult Ends(DWORD milliseconds, DWORD expected = 0);
  // Asks every window it has to close, then Ends(): a message box standing
  // then, or after, is a failure, never dismissed.
  ::testing::AssertionResult Close(DWORD milliseconds, DWORD expected = 0);

 private:
  PROCESS_INFORMATION info_{};
};

// The visible top-level windows of a process.
std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly = true);
// Polls until `find` answers a window or the time is up.
HWND WaitFor(const std::function<HWND()>& find, DWORD milliseconds);
// A message box (class #32770) of the process, and its text.
HWND FindMessageBox(DWORD pid);
std::string Text(HWND window);
std::string ClassName(HWND window);
// The static text of a message box.
std::string MessageBoxText(HWND box);

// The tooltip window that `owner` (a form of another process) made, and
// the text it holds for one of its children; read through the other
// process's memory, since a tooltip's messages carry pointers.
// A form makes its tooltip window right after its first paint: this waits
// up to five seconds for it.
HWND ToolTipWindowOf(HWND owner);
std::string RemoteToolTipText(HWND tips, HWND owner, HWND child);

// Runs a console program to its end and returns what it wrote to standard
// output; `exitCode` receives its exit status (259 when it did not end).
std::string RunCapture(const std::string& exe, const std::string& arguments,
                       const std::string& workingFolder, DWORD& exitCode);

// Keys as a user types them, to the foreground window.
void Press(WORD key, bool shift = false, bool ctrl = false, bool alt = false);
// The window that has the keyboard focus in another process's thread.
HWND FocusOf(HWND window);
// Unicode text the clipboard holds (CF_UNICODETEXT), as UTF-8; empty when
// none.
std::string ClipboardText();
// Empties the clipboard, presses Ctrl+C in `window` until it fills and
// returns what it holds; empty when nothing came within ten seconds.
std::string CopyReport(HWND window);

// Why the system gives screen readers no accessible objects (64-bit Wine
// 8's oleacc makes none), found by making one for a window of this process
// and reading its role; empty when it gives them. For GTEST_SKIP.
std::string NoAccessibleObjects();

}  // namespace gui
