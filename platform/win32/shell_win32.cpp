#include "platform/win32/services_win32.h"

namespace platform::win32 {

Status WinShell::Execute(const std::string& verb, const std::string& file,
                         const std::optional<std::string>& parameters,
                         const std::string& directory, int show, WindowHandle owner,
                         std::intptr_t& shellResult) {
  // shell32 is loaded only when something is opened, from the system folder.
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static const auto shellExecute = SystemFunction<ShellExecuteFn>("shell32.dll", "ShellExecuteA");
  shellResult = 0;
  if (!shellExecute) return kErrorProcNotFound;
  // Asked of the shell's callers; if it cannot be had, the shell may still
  // open what needs no COM handler.
  InitializeCom();
  const std::string params = parameters ? ToAnsi(*parameters) : std::string();
  // The window the user is looking at owns the shell's prompts (elevation,
  // the security zone, SmartScreen): with another owner Windows does not
  // raise them but only flashes them in the task bar.
  HWND ownerWindow = reinterpret_cast<HWND>(owner);
  if (!ownerWindow || !IsWindow(ownerWindow) || !IsWindowVisible(ownerWindow))
    ownerWindow = GetActiveWindow();
  const HINSTANCE result =
      shellExecute(ownerWindow, ToAnsi(verb).c_str(), ToAnsi(file).c_str(),
                   parameters ? params.c_str() : nullptr, ToAnsi(directory).c_str(), show);
  shellResult = reinterpret_cast<std::intptr_t>(result);
  return StatusFromShellResult(shellResult);
}

Status WinShell::StartProgram(const std::string& commandLine) {
  if (commandLine.empty()) return kErrorFileNotFound;
  std::string command = ToAnsi(commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return LastStatus();
  // Never waited for: the handles go at once.
  const ScopedHandle thread(process.hThread), child(process.hProcess);
  return kOk;
}

int WinMessageBoxes::Show(const std::string& text, const std::string& title,
                          std::uint32_t style) {
  // Owned by the active window, so the box is modal to it.
  if (AnsiHolds(text) && AnsiHolds(title))
    return MessageBoxA(GetActiveWindow(), ToAnsi(text).c_str(), ToAnsi(title).c_str(), style);
  // Only where the ANSI code page is not UTF-8 and the text names what it
  // cannot hold (a folder the program cannot start from): the one message
  // that must show the name as it is.
  return MessageBoxW(GetActiveWindow(), WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(),
                     style);
}

}  // namespace platform::win32
