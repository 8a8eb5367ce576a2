#include "platform/win32/form_window_win32.h"

#include <string>

namespace platform::win32 {
namespace {

int g_exitCode = 0;

// A form's keyboard interface: Tab in the model's order and the keys the
// form previews, then Enter and Esc from the dialog manager; everything
// else is dispatched as usual.
void Dispatch(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (FormWin32* form = root ? FormWin32::From(root) : nullptr) {
    // The form's own keys run its handlers: no exception may leave here.
    try {
      if (form->TakeKey(msg)) return;
    } catch (...) {
      ReportFatal(CurrentFailure());
      return;
    }
    if (IsDialogMessageA(root, &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

}  // namespace

void ReportFatal(const Failure& failure) {
  const Services& os = Os();
  const std::string title = os.app ? os.app->Title() : T("Error");
  // TRANSLATORS: %1 is an error number.
  const std::string text =
      (failure.status ? Format(T("Run-time error %1:"), {std::to_string(failure.status)})
                      : T("Run-time error:")) +
      "\r\n\r\n" + failure.description;
  if (os.messageBoxes)
    os.messageBoxes->Show(text, title, kMbOk | kMbIconStop);
  else
    MessageBoxA(nullptr, ToAnsi(text).c_str(), ToAnsi(title).c_str(), MB_OK | MB_ICONSTOP);
  g_exitCode = 1;
  PostQuitMessage(1);
}

std::unique_ptr<FormWindow> WinFormHost::CreateWindowFor(Form& form) {
  return std::make_unique<FormWin32>(form, Screen());
}

ScreenMetrics WinFormHost::Screen() {
  HDC dc = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  ScreenMetrics s;
  s.twipsPerPixelX = 1440.0 / (dpiX > 0 ? dpiX : 96);
  s.twipsPerPixelY = 1440.0 / (dpiY > 0 ? dpiY : 96);
  s.width = ::GetSystemMetrics(SM_CXSCREEN) * s.twipsPerPixelX;
  s.height = ::GetSystemMetrics(SM_CYSCREEN) * s.twipsPerPixelY;
  s.scrollBarWidth = ::GetSystemMetrics(SM_CXVSCROLL) * s.twipsPerPixelX;
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  s.workLeft = work.left * s.twipsPerPixelX;
  s.workTop = work.top * s.twipsPerPixelY;
  s.workWidth = (work.right - work.left) * s.twipsPerPixelX;
  s.workHeight = (work.bottom - work.top) * s.twipsPerPixelY;
  return s;
}

bool RunWaitingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // For the loop that owns the program's end.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    Dispatch(msg);
  }
  return true;
}

void WinFormHost::DoEvents() { RunWaitingMessages(); }

void WinFormHost::Beep() { MessageBeep(MB_OK); }

TextExtent WinFormHost::MeasureText(const std::string& text, const Font& font, double wrapWidth,
                                    bool mnemonic) {
  // One memory DC of the screen's kind for the program's life: a form's
  // load measures a dozen texts, and each GetDC costs a trip to the server.
  static const HDC dc = CreateCompatibleDC(nullptr);
  static const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  const double perPixelX = 1440.0 / (dpiX > 0 ? dpiX : 96), perPixelY = 1440.0 / (dpiY > 0 ? dpiY : 96);
  const HGDIOBJ old = SelectObject(dc, SharedFont(font, dpiY > 0 ? dpiY : 96));
  // As a label draws it (form_paint_win32.cpp), from Unicode.
  const std::wstring wide = WideFromUtf8(text);
  RECT r{0, 0, wrapWidth > 0 ? TwipsToPixels(wrapWidth, perPixelX) : 0, 0};
  UINT format = DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  if (!mnemonic) format |= DT_NOPREFIX;
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, format);
  SelectObject(dc, old);
  return {r.right * perPixelX, r.bottom * perPixelY};
}

int RunMessageLoop() {
  MSG msg;
  while (!LoadedForms().empty()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) return 1;
    if (got == 0) return static_cast<int>(msg.wParam);
    Dispatch(msg);
  }
  return g_exitCode;
}

}  // namespace platform::win32
