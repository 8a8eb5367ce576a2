#pragma once
// The real windows behind the form model: one window class per program,
// each form a top-level window of it, each label, image and button a child
// of the standard "Static" or "Button" class (so screen readers and UI
// automation read their texts), lines and filled rectangles painted by the
// form. Twips become pixels at the screen's DPI through TwipsToPixels.
#include "platform/forms.h"
#include "platform/win32/win32.h"
#include "platform/windows.h"

namespace platform::win32 {

// The class of every form's window.
inline constexpr char kFormClass[] = "ZantrixForm";

class WinWindows : public Windows {
 public:
  WindowHandle GetWindow(WindowHandle window, unsigned command) override;
  int GetSystemMetrics(int index) override;
  InstanceHandle ModuleInstance() override;
  ImageHandle LoadImageFrom(InstanceHandle instance, const std::string& name, unsigned type,
                            int width, int height, unsigned flags) override;
  std::intptr_t SendMessageTo(WindowHandle window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
};

class WinFormHost : public FormHost {
 public:
  std::unique_ptr<FormWindow> CreateWindowFor(Form& form) override;
  ScreenMetrics Screen() override;
  void DoEvents() override;
  void Beep() override;
  TextExtent MeasureText(const std::string& text, const Font& font, double wrapWidth,
                         bool mnemonic) override;
};

// Lets the window messages that are waiting run. False when the program's
// end was asked for (WM_QUIT, which stays in the queue for the loop that
// owns the program's end).
bool RunWaitingMessages();

// The program's message loop: runs until the last form has unloaded (at
// once when none is loaded). Returns the exit code: 0, or 1 after an error
// in an event handler, which is reported in a box and ends the program.
int RunMessageLoop();

// The window styles a form's frame gets. Exposed for tests.
DWORD FormStyle(const Form& form);
DWORD FormExStyle(const Form& form);

}  // namespace platform::win32
