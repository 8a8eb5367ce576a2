#include "platform/win32/form_window_win32.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace platform::win32 {
namespace {

// A place kept as x, y, width and height, as the rectangle it covers.
RECT Edges(const RECT& placed) {
  return {placed.left, placed.top, placed.left + placed.right, placed.top + placed.bottom};
}

}  // namespace

void FormWin32::ControlCreated(Control& control) {
  if (control.Kind() == ControlKind::Line || control.Kind() == ControlKind::Shape) {
    InvalidatePainted();
    return;
  }
  if (control.Kind() == ControlKind::Menu) return;
  // Its window comes when it is first shown on a shown form, inside the
  // client area: a form with thousands of rows, most never on screen, costs
  // only the ones seen.
  pending_.insert(&control);
  if (ShouldMake(control)) Make(control);
}

bool FormWin32::ShouldMake(const Control& control) const {
  if (!control.Visible() || !shown_) return false;
  const RECT r = PixelRect(control);
  return r.left <= Px(form_.ClientWidth()) && r.top <= Py(form_.ClientHeight()) &&
         r.left + r.right >= 0 && r.top + r.bottom >= 0;
}

RECT FormWin32::PixelRect(const Control& control) const {
  const ControlProperties& p = control.Properties();
  return {Px(p.left), Py(p.top), Px(p.width), Py(p.height)};
}

void FormWin32::MakeShownPending() {
  for (Control* control : form_.Controls())
    if (pending_.count(control) && ShouldMake(*control)) Make(*control);
}

bool FormWin32::OverlapsAWindow(const Control& control, const RECT& placed) const {
  const RECT mine = Edges(placed);
  for (const auto& [other, child] : children_) {
    if (other == &control) continue;
    const RECT theirs = Edges(child.placed);
    RECT both;
    if (IntersectRect(&both, &mine, &theirs)) return true;
  }
  return false;
}

void FormWin32::Make(Control& control) {
  pending_.erase(&control);
  const ControlProperties& p = control.Properties();
  const char* windowClass = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  switch (control.Kind()) {
    case ControlKind::Label:
      // Drawn by the form (colours, transparency, alignment), but a real
      // static holding its text.
      windowClass = "Static";
      style |= SS_OWNERDRAW | SS_NOTIFY | (p.border ? WS_BORDER : 0);
      break;
    case ControlKind::Image:
      windowClass = "Static";
      style |= SS_BITMAP | SS_NOTIFY;
      break;
    case ControlKind::Button:
      windowClass = "Button";
      // Captions wider than the button wrap onto a second line.
      style |= WS_TABSTOP | BS_MULTILINE | (p.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
    case ControlKind::VScrollBar:
      windowClass = "ScrollBar";
      style |= SBS_VERT | WS_TABSTOP;
      break;
    case ControlKind::Line:
    case ControlKind::Shape:
    case ControlKind::Menu:
      return;
  }
  const bool hasText = control.Kind() == ControlKind::Label || control.Kind() == ControlKind::Button;
  const std::string text = hasText ? ToAnsi(p.caption) : "";
  // Made in one call where it will stay: placed, shown, enabled or not.
  const RECT want = PixelRect(control);
  style |= (p.visible ? WS_VISIBLE : 0) | (p.enabled ? 0 : WS_DISABLED);
  HWND hwnd = CreateWindowExA(0, windowClass, text.c_str(), style, want.left, want.top, want.right,
                              want.bottom, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id())),
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) ThrowLastError(T("Could not create the control \"%1\""), control.Name());
  Child& child = children_[&control];
  child.hwnd = hwnd;
  child.placed = want;
  child.text = text;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(p.font)), FALSE);
  if (control.Kind() == ControlKind::Image) {
    ApplyPicture(control, child);
    // A static with a bitmap sizes itself to it: the model's size holds.
    RECT now;
    GetClientRect(hwnd, &now);
    if (now.right != want.right || now.bottom != want.bottom) Place(control, child, true);
  }
  if (control.Kind() == ControlKind::VScrollBar) ApplyScroll(control, child);
  // Where windows overlap, the one in front in the model is in front on
  // screen: behind the nearest control in front of it that has its window.
  if (OverlapsAWindow(control, want)) {
    HWND after = HWND_TOP;
    const std::vector<Control*>& order = form_.Controls();
    auto at = std::find(order.begin(), order.end(), &control);
    for (at = at == order.end() ? at : at + 1; at != order.end(); ++at) {
      const auto front = children_.find(*at);
      if (front != children_.end()) {
        after = front->second.hwnd;
        break;
      }
    }
    SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ApplyToolTip(control, child);
  ApplyAccessible(control, child);
}

void FormWin32::FocusControl(Control& control) {
  if (pending_.count(&control) && ShouldMake(control)) Make(control);
  const auto found = children_.find(&control);
  if (found != children_.end()) ::SetFocus(found->second.hwnd);
}

void FormWin32::DeferChanges(bool defer) {
  deferring_ = defer;
  if (!defer) ApplyDeferred();
}

void FormWin32::ApplyDeferred() {
  std::map<Control*, unsigned> waiting;
  waiting.swap(deferred_);
  const bool deferring = std::exchange(deferring_, false);
  for (const auto& [control, aspects] : waiting) ControlChanged(*control, aspects);
  deferring_ = deferring;
}

void FormWin32::ControlChanged(Control& control, unsigned aspects) {
  if (deferring_ && children_.count(&control)) {
    deferred_[&control] |= aspects;
    return;
  }
  const ControlProperties& p = control.Properties();
  if (pending_.count(&control)) {
    // Made from the model as it then is, once shown or moved into view.
    if ((aspects & (kAspectVisible | kAspectGeometry)) && ShouldMake(control)) Make(control);
    return;
  }
  const auto found = children_.find(&control);
  if (found == children_.end()) {
    // Painted kinds: repaint what is beneath and above them.
    if (control.Kind() == ControlKind::Line || control.Kind() == ControlKind::Shape)
      InvalidatePainted();
    return;
  }
  Child& child = found->second;
  if (aspects & kAspectFont)
    SendMessageA(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(p.font)), TRUE);
  if ((aspects & kAspectText) &&
      (control.Kind() == ControlKind::Label || control.Kind() == ControlKind::Button)) {
    std::string text = ToAnsi(p.caption);
    if (text != child.text) {
      SetWindowTextA(child.hwnd, text.c_str());
      child.text = std::move(text);
    }
    if (control.Kind() == ControlKind::Button)
      SendMessageA(child.hwnd, BM_SETSTYLE,
                   BS_MULTILINE | (p.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), TRUE);
    InvalidateRect(child.hwnd, nullptr, TRUE);
  }
  if (aspects & kAspectText) {
    // Tooltips and accessible texts change with the text aspect too.
    ApplyToolTip(control, child);
    ApplyAccessible(control, child);
  }
  if (aspects & kAspectPicture) ApplyPicture(control, child);
  if ((aspects & kAspectScroll) && control.Kind() == ControlKind::VScrollBar)
    ApplyScroll(control, child);
  if (aspects & kAspectColors) {
    const LONG_PTR style = GetWindowLongPtrA(child.hwnd, GWL_STYLE);
    const LONG_PTR wanted = control.Kind() == ControlKind::Label
                                ? (p.border ? style | WS_BORDER : style & ~WS_BORDER)
                                : style;
    if (wanted != style) {
      SetWindowLongPtrA(child.hwnd, GWL_STYLE, wanted);
      SetWindowPos(child.hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    InvalidateRect(child.hwnd, nullptr, TRUE);
  }
  if (aspects & (kAspectGeometry | kAspectPicture)) Place(control, child, aspects & kAspectPicture);
  if (aspects & kAspectEnabled) {
    EnableWindow(child.hwnd, p.enabled);
    InvalidateRect(child.hwnd, nullptr, TRUE);
  }
  if (aspects & kAspectVisible) {
    // A hidden control keeps the focus it had, and the keyboard with it.
    if (!p.visible && GetFocus() == child.hwnd) {
      HWND next = GetNextDlgTabItem(hwnd_, child.hwnd, FALSE);
      ::SetFocus(next && next != child.hwnd ? next : hwnd_);
    }
    ShowWindow(child.hwnd, p.visible ? SW_SHOWNA : SW_HIDE);
  }
}

void FormWin32::ControlDestroyed(Control& control) {
  deferred_.erase(&control);
  if (pending_.erase(&control)) return;
  const auto found = children_.find(&control);
  if (found == children_.end()) {
    InvalidatePainted();
    return;
  }
  ReleaseImage(found->second);
  RemoveToolTip(found->second);
  DestroyWindow(found->second.hwnd);
  children_.erase(found);
}

void FormWin32::ZOrderChanged() {
  // Each one placed on top of the ones before: the last is in front.
  for (const Control* control : form_.Controls()) {
    const auto found = children_.find(control);
    if (found == children_.end()) continue;
    SetWindowPos(found->second.hwnd, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  InvalidatePainted();
}

void FormWin32::Place(const Control& control, Child& child, bool force) {
  const RECT want = PixelRect(control);
  // A static with a bitmap sizes itself to it: force the model's size back.
  if (!force && std::memcmp(&want, &child.placed, sizeof want) == 0) return;
  const RECT before = Edges(child.placed);
  child.placed = want;
  // Moved without the system's own repainting, which costs a trip through
  // the window manager each time (a progress bar moves a lot): what the
  // move uncovers and covers is simply marked for the next paint.
  SetWindowPos(child.hwnd, nullptr, want.left, want.top, want.right, want.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOCOPYBITS |
                   SWP_NOSENDCHANGING | SWP_DEFERERASE);
  const RECT after = Edges(want);
  InvalidateRect(hwnd_, &before, FALSE);
  InvalidateRect(hwnd_, &after, FALSE);
  InvalidateRect(child.hwnd, nullptr, FALSE);
}

HBITMAP FormWin32::BitmapFor(const std::string& name) {
  if (name.empty()) return nullptr;
  const auto found = bitmaps_.find(name);
  if (found != bitmaps_.end()) return found->second;
  const auto load = [](const std::string& resource) {
    return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), ToAnsi(resource).c_str(),
                                           IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  };
  // The picture drawn for this DPI where there is one ("FOUND_144"); the
  // design's own otherwise, and at 96 DPI.
  HBITMAP bitmap = nullptr;
  if (dpiY_ != 96) bitmap = load(name + "_" + std::to_string(ArtworkDpi(dpiY_)));
  if (!bitmap) bitmap = load(name);
  bitmaps_[name] = bitmap;
  return bitmap;
}

void FormWin32::ApplyPicture(const Control& control, Child& child) {
  ReleaseImage(child);
  child.bitmap = BitmapFor(control.Picture());
  SendMessageA(child.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(child.bitmap));
}

void FormWin32::ReleaseImage(Child& child) {
  if (!child.bitmap) return;
  // Common controls 6 may keep a copy of a bitmap with alpha: that one is ours to delete.
  const auto shown = reinterpret_cast<HBITMAP>(
      SendMessageA(child.hwnd, STM_SETIMAGE, IMAGE_BITMAP, 0));
  if (shown && shown != child.bitmap) DeleteObject(shown);
  child.bitmap = nullptr;
}

void FormWin32::ApplyScroll(const Control& control, const Child& child) {
  const ControlProperties& p = control.Properties();
  // The thumb stands for one large change of the range.
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = p.min;
  info.nMax = p.max + p.largeChange - 1;
  info.nPage = static_cast<UINT>(p.largeChange);
  info.nPos = p.value;
  SetScrollInfo(child.hwnd, SB_CTL, &info, TRUE);
}

// These may unload the form: nothing after the call into the model.
void FormWin32::Scrolled(HWND bar, int request) {
  Control* control = form_.ControlById(GetDlgCtrlID(bar));
  if (!control || control->Kind() != ControlKind::VScrollBar) return;
  const ControlProperties& p = control->Properties();
  long long value = p.value;
  switch (request) {
    case SB_LINEUP: value -= p.smallChange; break;
    case SB_LINEDOWN: value += p.smallChange; break;
    case SB_PAGEUP: value -= p.largeChange; break;
    case SB_PAGEDOWN: value += p.largeChange; break;
    case SB_TOP: value = p.min; break;
    case SB_BOTTOM: value = p.max; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The 32-bit position; the message's own is 16 bits.
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (!GetScrollInfo(bar, SB_CTL, &info)) return;
      value = info.nTrackPos;
      break;
    }
    default:
      return;  // SB_ENDSCROLL
  }
  MoveBar(*control, value);
}

void FormWin32::MoveBar(Control& bar, long long value) {
  // Wide arithmetic, so no step wraps around before the bar's own limits.
  form_.OnScrolled(bar, static_cast<int>(std::clamp<long long>(value, bar.Min(), bar.Max())));
}

void FormWin32::Wheel(int delta) {
  wheel_ += delta;
  const int notches = wheel_ / WHEEL_DELTA;
  wheel_ -= notches * WHEEL_DELTA;
  if (notches == 0) return;
  // The form's scroll bar, wherever the pointer or the focus is.
  for (Control* control : form_.Controls()) {
    if (control->Kind() != ControlKind::VScrollBar || !control->Visible() || !control->Enabled())
      continue;
    MoveBar(*control, control->Value() - static_cast<long long>(notches) * control->SmallChange());
    return;
  }
}

}  // namespace platform::win32
