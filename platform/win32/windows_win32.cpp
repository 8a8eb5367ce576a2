#include "platform/win32/forms_win32.h"

namespace platform::win32 {

WindowHandle WinWindows::GetWindow(WindowHandle window, unsigned command) {
  return reinterpret_cast<WindowHandle>(::GetWindow(reinterpret_cast<HWND>(window), command));
}

int WinWindows::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

InstanceHandle WinWindows::ModuleInstance() {
  return reinterpret_cast<InstanceHandle>(GetModuleHandleA(nullptr));
}

ImageHandle WinWindows::LoadImageFrom(InstanceHandle instance, const std::string& name,
                                      unsigned type, int width, int height, unsigned flags) {
  return reinterpret_cast<ImageHandle>(LoadImageA(reinterpret_cast<HINSTANCE>(instance),
                                                  ToAnsi(name).c_str(), type, width, height,
                                                  flags));
}

std::intptr_t WinWindows::SendMessageTo(WindowHandle window, unsigned message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
  HWND hwnd = reinterpret_cast<HWND>(window);
  // A window that already has this icon answers with it, as the set would:
  // giving it again only costs a trip to the window manager.
  if (message == WM_SETICON) {
    const LRESULT current = SendMessageA(hwnd, WM_GETICON, wParam, 0);
    if (current != 0 && current == lParam) return current;
  }
  return SendMessageA(hwnd, message, wParam, lParam);
}

}  // namespace platform::win32
