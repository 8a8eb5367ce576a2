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

}  // namespace gui
