#include "platform/win32/form_window_win32.h"

namespace platform::win32 {

LRESULT CALLBACK FormWin32::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWin32*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  auto* self = reinterpret_cast<FormWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  // No exception may cross the system's frames.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ReportFatal(CurrentFailure());
  }
  return 0;
}

FormWin32* FormWin32::From(HWND root) {
  if (!IsFormWindow(root)) return nullptr;
  return reinterpret_cast<FormWin32*>(GetWindowLongPtrA(root, GWLP_USERDATA));
}

bool FormWin32::TakeKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const int shift = (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) |
                    (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
                    (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
  if (msg.wParam == VK_TAB && (shift & (kCtrlMask | kAltMask)) == 0) {
    // Tab follows the model's tab order, not the order of the windows.
    HWND focus = GetFocus();
    const Control* from = focus && focus != hwnd_ ? form_.ControlById(GetDlgCtrlID(focus)) : nullptr;
    if (Control* next = form_.NextTabStop(from, (shift & kShiftMask) == 0)) FocusControl(*next);
    return true;
  }
  return form_.OnKeyDown(static_cast<int>(msg.wParam), shift);
}

// Handlers of the model may unload the form, which destroys this object:
// after a call into the model nothing here touches a member again.
LRESULT FormWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  Form& form = form_;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT paints everything
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintForm(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_STATIC) DrawLabel(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      // Around a picture: the form's own background.
      SetBkColor(reinterpret_cast<HDC>(wParam), ToColorRef(form.BackColor()));
      return reinterpret_cast<LRESULT>(backBrush_);
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (lParam == 0 && id == IDCANCEL) {
        // Esc, from the dialog manager.
        for (Control* control : form.Controls())
          if (control->Kind() == ControlKind::Button && control->Properties().isCancel &&
              control->Visible() && control->Enabled()) {
            form.OnClicked(*control);
            break;
          }
        return 0;
      }
      Control* control = form.ControlById(id);
      if (!control) return 0;
      if (lParam == 0) {
        if (control->Kind() == ControlKind::Menu) form.OnClicked(*control);
      } else if (control->Kind() == ControlKind::Button) {
        if (code == BN_CLICKED) form.OnClicked(*control);
      } else if (code == STN_CLICKED) {
        form.OnClicked(*control);
      } else if (code == STN_DBLCLK) {
        form.OnDoubleClicked(*control);
      }
      return 0;
    }
    case DM_GETDEFID:
      for (const Control* control : form.Controls())
        if (control->Kind() == ControlKind::Button && control->Properties().isDefault &&
            control->Visible() && control->Enabled())
          return MAKELRESULT(control->Id(), DC_HASDEFID);
      return 0;
    case WM_VSCROLL:
      if (lParam) Scrolled(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_CLOSE:
      form.OnCloseRequested(kFormControlMenu);
      return 0;
    case WM_QUERYENDSESSION:
      // Always yes: a checker never holds up a logoff or an installer's
      // Restart Manager. A search under way stops at its next step.
      form.OnSessionEnding();
      return TRUE;
    case WM_ENDSESSION:
      // Every form goes now, this one included: Windows may end the
      // process as soon as this returns.
      if (wParam)
        Form::OnSessionEnded();
      else
        form.OnSessionResumed();
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      SchemeChanged(message, wParam, lParam);
      break;
    case WM_KILLFOCUS:
      if (IsWindowVisible(hwnd_)) PostMessageA(hwnd_, kMsgFocusLost, 0, 0);
      break;
    case kMsgMakeToolTips:
      MakeToolTips();
      return 0;
    case kMsgFocusLost: {
      // Only a move of the focus inside the program counts: a modal box
      // (which disables its owner or is itself active) or another program
      // keeps the focus it took.
      HWND focus = GetFocus();
      if (IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_) && focus != hwnd_ &&
          !IsChild(hwnd_, focus) && IsFormWindow(GetActiveWindow()))
        form.OnLostFocus();
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      const auto& pos = *reinterpret_cast<const WINDOWPOS*>(lParam);
      // Until the model has placed the window there is nothing to correct.
      if (placed_.right >= 0 && !IsIconic(hwnd_) && !IsZoomed(hwnd_) && (~pos.flags & (SWP_NOMOVE | SWP_NOSIZE))) {
        RECT r;
        GetWindowRect(hwnd_, &r);
        placed_ = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        form.OnPlaced(r.left, r.top, r.right - r.left, r.bottom - r.top);
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

}  // namespace platform::win32
