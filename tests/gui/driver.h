#pragma once
// Drives the real programs under Wine: start them in a folder of their own,
// find their windows, read and click controls, answer message boxes. Every
// wait polls with a deadline and reports what it saw last.
#include <windows.h>

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
  // Waits for the program to end; false on time-out.
  bool WaitExit(DWORD milliseconds, DWORD* exitCode = nullptr);
  // Closes every top-level window it has, then waits for it to end.
  bool Close(DWORD milliseconds);

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

// Whether the system gives screen readers accessible objects: not 64-bit
// Wine 8, whose oleacc makes and marshals none, so what a screen reader
// reads is checked on the 32-bit build. Says so on standard output the
// first time it answers no.
bool SystemHasAccessibleObjects();

}  // namespace gui
