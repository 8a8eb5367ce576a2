#include "platform/win32/form_window_win32.h"

#include <cmath>
#include <cstring>
#include <string>

namespace platform::win32 {

namespace {

// The system's usual colours, under which the design's accents hold: a
// white window with black text.
bool UsualScheme() {
  return GetSysColor(COLOR_WINDOW) == RGB(255, 255, 255) &&
         GetSysColor(COLOR_WINDOWTEXT) == RGB(0, 0, 0);
}

}  // namespace

COLORREF ToColorRef(Color color) {
  if (IsAccent(color)) color = UsualScheme() ? AccentDesign(color) : AccentScheme(color);
  return IsSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

bool IsFormWindow(HWND window) {
  char name[64] = {};
  return window && GetClassNameA(window, name, sizeof name) > 0 &&
         std::strcmp(name, kFormClass) == 0;
}

void RegisterFormClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = FormWin32::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kFormClass;
  if (!RegisterClassExA(&wc))
    ThrowLastError(T("Could not register the window class \"%1\""), kFormClass);
  registered = true;
}

HWND HiddenOwner() {
  static HWND owner = nullptr;
  if (!owner) {
    RegisterFormClass();
    // A window of the form class without a form: DefWindowProc serves it.
    owner = CreateWindowExA(0, kFormClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  return owner;
}

FormWin32::FormWin32(Form& form, const ScreenMetrics& screen) : form_(form), screen_(screen) {
  RegisterFormClass();
  HDC dc = GetDC(nullptr);
  dpiY_ = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  style_ = FormStyle(form);
  exStyle_ = FormExStyle(form);
  HWND owner = !form.ShowInTaskbar() && !(exStyle_ & WS_EX_TOOLWINDOW) ? HiddenOwner() : nullptr;
  // The menu bar comes with the window rather than being set on it after.
  menuSignature_ = MenuSignature(form);
  menu_ = BuildMenuBar(form);
  // Proc keeps `this` from WM_NCCREATE on.
  if (!CreateWindowExA(exStyle_, kFormClass, ToAnsi(form.Caption()).c_str(), style_, 0, 0, 0, 0,
                       owner, menu_, GetModuleHandleA(nullptr), this)) {
    if (menu_) DestroyMenu(menu_);
    ThrowLastError(T("Could not create the window \"%1\""), form.Name());
  }
  frame_ = FrameFor(style_, exStyle_, menu_ != nullptr);
  backBrush_ = CreateSolidBrush(ToColorRef(form.BackColor()));
}

FormWin32::~FormWin32() {
  // Messages sent while the window goes away no longer reach this object.
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  for (auto& entry : children_) ReleaseImage(entry.second);
  DestroyWindow(hwnd_);  // its children and its menu with it
  for (auto& bitmap : bitmaps_)
    if (bitmap.second) DeleteObject(bitmap.second);
  DeleteObject(backBrush_);
  // A form unloaded inside a sent message (WM_ENDSESSION, a close sent by
  // another program) leaves the message loop waiting for a posted one: this
  // wakes it, so that it sees whether any form is left.
  PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

FrameExtents FrameFor(DWORD style, DWORD exStyle, bool menu) {
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, menu, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

int ArtworkDpi(int dpi) {
  int best = 96;
  for (const int drawn : {120, 144, 192})
    if (std::abs(drawn - dpi) < std::abs(best - dpi)) best = drawn;
  return best;
}

// Asked at every step of a fit: worked out when the styles or the menu bar
// change, never in between.
FrameExtents FormWin32::Frame() const { return frame_; }

void FormWin32::SchemeChanged(UINT message, WPARAM wParam, LPARAM lParam) {
  DeleteObject(backBrush_);
  backBrush_ = CreateSolidBrush(ToColorRef(form_.BackColor()));
  // Common controls take their colours when their parent passes the news on.
  for (const auto& entry : children_) SendMessageA(entry.second.hwnd, message, wParam, lParam);
  if (tips_) SendMessageA(tips_, message, wParam, lParam);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void FormWin32::FormChanged(unsigned aspects) {
  if (aspects & kAspectText) SetWindowTextA(hwnd_, ToAnsi(form_.Caption()).c_str());
  if (aspects & kAspectColors) {
    DeleteObject(backBrush_);
    backBrush_ = CreateSolidBrush(ToColorRef(form_.BackColor()));
    InvalidatePainted();
  }
  if (aspects & kAspectGeometry) {
    // A hidden window is placed once, when it settles or is shown: a
    // layout may size it several times before anyone sees it.
    placementDue_ = true;
    if (shown_) Settle();
  }
}

void FormWin32::Settle() {
  if (!placementDue_) return;
  placementDue_ = false;
  const RECT want{Px(form_.Left()), Py(form_.Top()), Px(form_.Width()), Py(form_.Height())};
  if (std::memcmp(&want, &placed_, sizeof want) == 0) return;
  placed_ = want;
  SetWindowPos(hwnd_, nullptr, want.left, want.top, want.right, want.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // A larger client area may bring controls into view.
  if (shown_) MakeShownPending();
}

void FormWin32::Show() {
  // Placed and with its children first, so the window appears whole.
  ApplyDeferred();
  Settle();
  shown_ = true;
  MakeShownPending();
  ShowWindow(hwnd_, SW_SHOW);
  // Painted at once: the caller may hold the thread for a while.
  UpdateWindow(hwnd_);
  if (!painted_) PostMessageA(hwnd_, kMsgMakeToolTips, 0, 0);
}

void FormWin32::Hide() {
  shown_ = false;
  ShowWindow(hwnd_, SW_HIDE);
}

void FormWin32::SetFocus() { ::SetFocus(hwnd_); }

void FormWin32::Refresh(const Control*) {
  ApplyDeferred();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HFONT FormWin32::FontFor(const Font& font) { return SharedFont(font, dpiY_); }

HFONT SharedFont(const Font& font, int dpi) {
  // Shared by every form and kept for the program's life: the progress
  // dialog, made anew for every test, and the check window ask for the
  // same few fonts.
  static std::map<std::string, HFONT> fonts;
  const std::string key = font.name + "|" + std::to_string(font.size) + "|" +
                          (font.bold ? "b" : "") + (font.italic ? "i" : "") + "|" +
                          std::to_string(dpi);
  HFONT& handle = fonts[key];
  if (!handle) {
    // Points at the screen's DPI; a negative height asks for the character
    // height, as point sizes mean.
    const int height = -static_cast<int>(std::lround(font.size * dpi / 72.0));
    handle = CreateFontA(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, FALSE,
                         FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, ToAnsi(font.name).c_str());
  }
  return handle;
}

DWORD FormStyle(const Form& form) {
  // Every border style has a title bar; only Sizable can be sized.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  if (form.BorderStyle() == FormBorder::Sizable) style |= WS_THICKFRAME;
  if (form.ControlBox()) {
    style |= WS_SYSMENU;
    if (form.BorderStyle() != FormBorder::FixedToolWindow) {
      if (form.MinButton()) style |= WS_MINIMIZEBOX;
      if (form.MaxButton()) style |= WS_MAXIMIZEBOX;
    }
  }
  return style;
}

DWORD FormExStyle(const Form& form) {
  DWORD ex = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
  // A tool window never has a task-bar button.
  if (form.BorderStyle() == FormBorder::FixedToolWindow)
    ex |= WS_EX_TOOLWINDOW;
  else if (form.ShowInTaskbar())
    ex |= WS_EX_APPWINDOW;
  return ex;
}

}  // namespace platform::win32
