#include "platform/win32/forms_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace platform::win32 {
namespace {

// Posted on WM_KILLFOCUS: whether the form gets its LostFocus event is
// decided once the focus has settled (changing the focus inside
// WM_KILLFOCUS confuses the system).
constexpr UINT kMsgFocusLost = WM_APP + 1;

int g_exitCode = 0;

COLORREF ToColorRef(Color color) {
  return IsSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

bool IsFormWindow(HWND window) {
  char name[64] = {};
  return window && GetClassNameA(window, name, sizeof name) > 0 &&
         std::strcmp(name, kFormClass) == 0;
}

// Reported like an error that ends start-up: a box, then the program ends.
void ReportFatal(long number, const std::string& description) {
  const Services& os = Os();
  const std::string title = os.app ? os.app->Title() : std::string("Error");
  const std::string text =
      "Run-time error " + std::to_string(number) + ":\r\n\r\n" + description;
  if (os.messageBoxes)
    os.messageBoxes->Show(text, title, kMbOk | kMbIconStop);
  else
    MessageBoxA(nullptr, ToAnsi(text).c_str(), ToAnsi(title).c_str(), MB_OK | MB_ICONSTOP);
  g_exitCode = 1;
  PostQuitMessage(1);
}

// The forms' keyboard interface (Tab, Enter, Esc) comes from the dialog
// manager; everything else is dispatched as usual.
void Dispatch(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && IsFormWindow(root) && IsDialogMessageA(root, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

// Owns the taskbar-less forms that are not tool windows.
HWND HiddenOwner();

class FormWin32 : public FormWindow {
 public:
  FormWin32(Form& form, const ScreenMetrics& screen);
  ~FormWin32() override;

  WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(hwnd_); }
  FrameExtents Frame() const override;
  void FormChanged(unsigned aspects) override;
  void ControlCreated(Control& control) override;
  void ControlChanged(Control& control, unsigned aspects) override;
  void ControlDestroyed(Control& control) override;
  void ZOrderChanged() override;
  void MenusChanged() override;
  void Show() override;
  void Hide() override;
  void SetFocus() override;
  void Refresh(const Control* control) override;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct Child {
    HWND hwnd = nullptr;
    RECT placed{-1, -1, -1, -1};  // x, y, width, height last given
    HBITMAP bitmap = nullptr;
    bool tip = false;  // registered with the form's tooltip window
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Creates the control's window from the model as it is now.
  void Make(Control& control);
  int Px(double twips) const { return TwipsToPixels(twips, screen_.twipsPerPixelX); }
  int Py(double twips) const { return TwipsToPixels(twips, screen_.twipsPerPixelY); }
  HFONT FontFor(const Font& font);
  HBITMAP BitmapFor(const std::string& name);
  void Place(const Control& control, Child& child, bool force);
  void ApplyPicture(const Control& control, Child& child);
  void ApplyScroll(const Control& control, const Child& child);
  void Scrolled(HWND bar, int request);
  void MoveBar(Control& bar, long long value);
  void Wheel(int delta);
  void InvalidatePainted();
  void PaintForm(HDC dc);
  void DrawLabel(const DRAWITEMSTRUCT& item);
  void ReleaseImage(Child& child);
  void ApplyToolTip(const Control& control, Child& child);

  Form& form_;
  ScreenMetrics screen_;
  int dpiY_ = 96;
  DWORD style_ = 0, exStyle_ = 0;
  HWND hwnd_ = nullptr;
  HMENU menu_ = nullptr;
  HBRUSH backBrush_ = nullptr;
  HWND tips_ = nullptr;  // made when a control first has a tooltip; owned by the form
  RECT placed_{-1, -1, -1, -1};  // outer x, y, width, height last given
  int wheel_ = 0;                // wheel movement short of a whole notch
  std::map<const Control*, Child> children_;
  std::set<const Control*> pending_;  // controls without their window yet
  std::map<std::string, HFONT> fonts_;
  std::map<std::string, HBITMAP> bitmaps_;
};

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
  if (!RegisterClassExA(&wc)) ThrowLastError("Could not register the window class", kFormClass);
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
  // Proc keeps `this` from WM_NCCREATE on.
  if (!CreateWindowExA(exStyle_, kFormClass, ToAnsi(form.Caption()).c_str(), style_, 0, 0, 0, 0,
                       owner, nullptr, GetModuleHandleA(nullptr), this))
    ThrowLastError("Could not create the window", form.Name());
  backBrush_ = CreateSolidBrush(ToColorRef(form.BackColor()));
}

FormWin32::~FormWin32() {
  // Messages sent while the window goes away no longer reach this object.
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  for (auto& entry : children_) ReleaseImage(entry.second);
  DestroyWindow(hwnd_);  // its children and its menu with it
  for (auto& font : fonts_) DeleteObject(font.second);
  for (auto& bitmap : bitmaps_)
    if (bitmap.second) DeleteObject(bitmap.second);
  DeleteObject(backBrush_);
}

FrameExtents FormWin32::Frame() const {
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style_, menu_ != nullptr, exStyle_);
  return {r.right - r.left, r.bottom - r.top};
}

void FormWin32::FormChanged(unsigned aspects) {
  if (aspects & kAspectText) SetWindowTextA(hwnd_, ToAnsi(form_.Caption()).c_str());
  if (aspects & kAspectColors) {
    DeleteObject(backBrush_);
    backBrush_ = CreateSolidBrush(ToColorRef(form_.BackColor()));
    InvalidatePainted();
  }
  if (aspects & kAspectGeometry) {
    const RECT want{Px(form_.Left()), Py(form_.Top()), Px(form_.Width()), Py(form_.Height())};
    if (std::memcmp(&want, &placed_, sizeof want) != 0) {
      placed_ = want;
      SetWindowPos(hwnd_, nullptr, want.left, want.top, want.right, want.bottom,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

void FormWin32::ControlCreated(Control& control) {
  if (control.Kind() == ControlKind::Line || control.Kind() == ControlKind::Shape) {
    InvalidatePainted();
    return;
  }
  if (control.Kind() == ControlKind::Menu) return;
  // Its window comes when it is first shown on a shown form: a form with
  // thousands of rows, most never on screen, costs only the ones shown.
  pending_.insert(&control);
  if (control.Visible() && IsWindowVisible(hwnd_)) Make(control);
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
  HWND hwnd = CreateWindowExA(0, windowClass, text.c_str(), style, 0, 0, 0, 0, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id())),
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) ThrowLastError("Could not create the control", control.Name());
  Child& child = children_[&control];
  child.hwnd = hwnd;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(p.font)), FALSE);
  if (control.Kind() == ControlKind::Image) ApplyPicture(control, child);
  if (control.Kind() == ControlKind::VScrollBar) ApplyScroll(control, child);
  // Behind the nearest control in front of it that has its window.
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
  Place(control, child, true);
  EnableWindow(hwnd, p.enabled);
  if (p.visible) ShowWindow(hwnd, SW_SHOWNA);
  ApplyToolTip(control, child);
}

void FormWin32::ControlChanged(Control& control, unsigned aspects) {
  const ControlProperties& p = control.Properties();
  if (pending_.count(&control)) {
    // Made from the model as it then is.
    if ((aspects & kAspectVisible) && p.visible && IsWindowVisible(hwnd_)) Make(control);
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
    const std::string text = ToAnsi(p.caption);
    char current[1024] = {};
    GetWindowTextA(child.hwnd, current, sizeof current);
    if (text != current) SetWindowTextA(child.hwnd, text.c_str());
    if (control.Kind() == ControlKind::Button)
      SendMessageA(child.hwnd, BM_SETSTYLE,
                   BS_MULTILINE | (p.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), TRUE);
    InvalidateRect(child.hwnd, nullptr, TRUE);
  }
  if (aspects & kAspectText) ApplyToolTip(control, child);
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
  if (pending_.erase(&control)) return;
  const auto found = children_.find(&control);
  if (found == children_.end()) {
    InvalidatePainted();
    return;
  }
  ReleaseImage(found->second);
  if (found->second.tip) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(found->second.hwnd);
    SendMessageA(tips_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
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

void FormWin32::MenusChanged() {
  HMENU bar = CreateMenu();
  const std::vector<Control*> menus = form_.Menus();
  for (const Control* title : menus) {
    const ControlProperties& t = title->Properties();
    if (!t.menuParent.empty() || !t.visible) continue;
    const UINT grey = t.enabled ? 0 : MF_GRAYED;
    HMENU popup = nullptr;
    for (const Control* item : menus) {
      const ControlProperties& i = item->Properties();
      if (i.menuParent != title->Name() || !i.visible) continue;
      if (!popup) popup = CreatePopupMenu();
      if (i.caption == "-")
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
      else
        AppendMenuA(popup, MF_STRING | (i.enabled ? 0 : MF_GRAYED), item->Id(),
                    ToAnsi(i.caption).c_str());
    }
    if (popup)
      AppendMenuA(bar, MF_POPUP | grey, reinterpret_cast<UINT_PTR>(popup),
                  ToAnsi(t.caption).c_str());
    else
      AppendMenuA(bar, MF_STRING | grey, title->Id(), ToAnsi(t.caption).c_str());
  }
  if (GetMenuItemCount(bar) == 0) {
    DestroyMenu(bar);
    bar = nullptr;
  }
  HMENU old = menu_;
  menu_ = bar;
  SetMenu(hwnd_, bar);
  if (old) DestroyMenu(old);
}

void FormWin32::Show() {
  for (Control* control : form_.Controls())
    if (pending_.count(control) && control->Visible()) Make(*control);
  ShowWindow(hwnd_, SW_SHOW);
  // Painted at once: the caller may hold the thread for a while.
  UpdateWindow(hwnd_);
}

void FormWin32::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void FormWin32::SetFocus() { ::SetFocus(hwnd_); }

void FormWin32::Refresh(const Control*) {
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HFONT FormWin32::FontFor(const Font& font) {
  const std::string key = font.name + "|" + std::to_string(font.size) + "|" +
                          (font.bold ? "b" : "") + (font.italic ? "i" : "");
  HFONT& handle = fonts_[key];
  if (!handle) {
    // Points at the screen's DPI; a negative height asks for the character
    // height, as point sizes mean.
    const int height = -static_cast<int>(std::lround(font.size * dpiY_ / 72.0));
    handle = CreateFontA(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, FALSE,
                         FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, ToAnsi(font.name).c_str());
  }
  return handle;
}

HBITMAP FormWin32::BitmapFor(const std::string& name) {
  if (name.empty()) return nullptr;
  const auto found = bitmaps_.find(name);
  if (found != bitmaps_.end()) return found->second;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
      GetModuleHandleA(nullptr), ToAnsi(name).c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  bitmaps_[name] = bitmap;
  return bitmap;
}

void FormWin32::ApplyPicture(const Control& control, Child& child) {
  ReleaseImage(child);
  child.bitmap = BitmapFor(control.Picture());
  SendMessageA(child.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(child.bitmap));
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

void FormWin32::ApplyToolTip(const Control& control, Child& child) {
  const std::string text = ToAnsi(control.Properties().toolTipText);
  if (text.empty() && !child.tip) return;
  if (!tips_) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tips_) return;  // a missing tooltip is not worth failing the form for
  }
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(child.hwnd);
  tool.lpszText = const_cast<char*>(text.c_str());
  if (text.empty()) {
    SendMessageA(tips_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    child.tip = false;
  } else if (child.tip) {
    SendMessageA(tips_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    child.tip = SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
  }
}

void FormWin32::ReleaseImage(Child& child) {
  if (!child.bitmap) return;
  // Common controls 6 may keep a copy of a bitmap with alpha: that one is ours to delete.
  const auto shown = reinterpret_cast<HBITMAP>(
      SendMessageA(child.hwnd, STM_SETIMAGE, IMAGE_BITMAP, 0));
  if (shown && shown != child.bitmap) DeleteObject(shown);
  child.bitmap = nullptr;
}

void FormWin32::Place(const Control& control, Child& child, bool force) {
  const ControlProperties& p = control.Properties();
  const RECT want{Px(p.left), Py(p.top), Px(p.width), Py(p.height)};
  // A static with a bitmap sizes itself to it: force the model's size back.
  if (!force && std::memcmp(&want, &child.placed, sizeof want) == 0) return;
  child.placed = want;
  SetWindowPos(child.hwnd, nullptr, want.left, want.top, want.right, want.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWin32::InvalidatePainted() {
  // Showing a hidden window paints all of it: layout done while hidden
  // (hundreds of rows, each moving the lines) costs nothing here.
  if (!IsWindowVisible(hwnd_)) return;
  // Transparent labels show what is painted beneath them: they go too.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void FormWin32::PaintForm(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, backBrush_);
  for (const Control* control : form_.Controls()) {
    const ControlProperties& p = control->Properties();
    if (!p.visible) continue;
    if (control->Kind() == ControlKind::Line) {
      HPEN pen = CreatePen(PS_SOLID, p.borderWidth, ToColorRef(p.borderColor));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, Px(p.x1), Py(p.y1), nullptr);
      LineTo(dc, Px(p.x2), Py(p.y2));
      SelectObject(dc, old);
      DeleteObject(pen);
    } else if (control->Kind() == ControlKind::Shape) {
      RECT r{Px(p.left), Py(p.top), Px(p.left) + Px(p.width), Py(p.top) + Py(p.height)};
      if (p.filled) {
        HBRUSH fill = CreateSolidBrush(ToColorRef(p.fillColor));
        FillRect(dc, &r, fill);
        DeleteObject(fill);
      }
      if (p.border) {
        HPEN pen = CreatePen(PS_INSIDEFRAME, p.borderWidth, ToColorRef(p.borderColor));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
      }
    }
  }
}

void FormWin32::DrawLabel(const DRAWITEMSTRUCT& item) {
  const Control* control = form_.ControlById(static_cast<int>(item.CtlID));
  if (!control) return;
  const ControlProperties& p = control->Properties();
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (p.backStyle == BackStyle::Transparent) {
    // What the form paints beneath the label, shifted to the label's origin.
    POINT origin{0, 0};
    MapWindowPoints(item.hwndItem, hwnd_, &origin, 1);
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    PaintForm(dc);
    RestoreDC(dc, saved);
  } else {
    HBRUSH back = CreateSolidBrush(ToColorRef(p.backColor));
    FillRect(dc, &r, back);
    DeleteObject(back);
  }
  const std::string text = ToAnsi(p.caption);
  if (text.empty()) return;
  HGDIOBJ old = SelectObject(dc, FontFor(p.font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, p.enabled ? ToColorRef(p.foreColor) : GetSysColor(COLOR_GRAYTEXT));
  UINT format = DT_WORDBREAK | DT_EXPANDTABS;
  if (p.alignment == Alignment::Right) format |= DT_RIGHT;
  if (p.alignment == Alignment::Center) format |= DT_CENTER;
  if (!p.useMnemonic) format |= DT_NOPREFIX;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, old);
}

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
  } catch (const OsError& e) {
    ReportFatal(e.number(), e.what());
  } catch (const std::bad_alloc&) {
    ReportFatal(7, "There is not enough memory.");
  } catch (const std::exception& e) {
    ReportFatal(0, e.what());
  }
  return 0;
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
    case WM_KILLFOCUS:
      if (IsWindowVisible(hwnd_)) PostMessageA(hwnd_, kMsgFocusLost, 0, 0);
      break;
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

}  // namespace

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

// ---- WinWindows ---------------------------------------------------------

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

// ---- WinFormHost --------------------------------------------------------

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

void WinFormHost::DoEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // For the loop that owns the program's end.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
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
