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
  return SendMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
}

}  // namespace platform::win32
