#pragma once
// The real window of a loaded form and its children, shared by the files
// of this folder that each do one job of it: the window and its frame
// (form_window_win32.cpp), child controls (form_children_win32.cpp),
// messages (form_messages_win32.cpp), painting (form_paint_win32.cpp),
// menus (form_menus_win32.cpp), tooltips (form_tooltips_win32.cpp).
#include <map>
#include <set>
#include <string>

#include "platform/win32/forms_win32.h"

namespace platform::win32 {

// Posted on WM_KILLFOCUS: whether the form gets its LostFocus event is
// decided once the focus has settled (changing the focus inside
// WM_KILLFOCUS confuses the system).
inline constexpr UINT kMsgFocusLost = WM_APP + 1;
// Posted once the form is first painted: its tooltips are made then, not
// before the window shows. A posted message comes before any mouse or key
// input, so nobody can hover before they are there.
inline constexpr UINT kMsgMakeToolTips = WM_APP + 2;

COLORREF ToColorRef(Color color);
// The font for `font` at `dpi`, made once and kept for the program's life.
HFONT SharedFont(const Font& font, int dpi);
bool IsFormWindow(HWND window);
void RegisterFormClass();
// Owns the taskbar-less forms that are not tool windows.
HWND HiddenOwner();
FrameExtents FrameFor(DWORD style, DWORD exStyle, bool menu);
// Of the DPIs pictures are drawn for (96, 120, 144, 192), the one nearest
// to `dpi`.
int ArtworkDpi(int dpi);
// The menu bar of a form's menu controls; null when it has none shown. The
// signature changes exactly when the bar would (form_menus_win32.cpp).
HMENU BuildMenuBar(const Form& form);
std::string MenuSignature(const Form& form);
// An error in an event handler: reported like an error that ends start-up,
// in a box, and then the program ends (message_loop_win32.cpp).
void ReportFatal(const Failure& failure);

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
  void Settle() override;
  void FocusControl(Control& control) override;
  // The form's window, from any of its messages' windows; null for others.
  static FormWin32* From(HWND root);
  // Tab and the form's own keys, before the dialog manager; true when
  // taken. May unload the form: nothing after the call touches it.
  bool TakeKey(const MSG& msg);
  void DeferChanges(bool defer) override;
  void Hide() override;
  void SetFocus() override;
  void Refresh(const Control* control) override;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct Child {
    HWND hwnd = nullptr;
    RECT placed{-1, -1, -1, -1};  // x, y, width, height last given
    std::string text;             // ANSI, as last given
    HBITMAP bitmap = nullptr;
    bool tip = false;  // registered with the form's tooltip window
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Creates the control's window from the model as it is now.
  void Make(Control& control);
  // Whether a control without its window should get it now: shown, on a
  // shown form, not wholly outside the client area.
  bool ShouldMake(const Control& control) const;
  void MakeShownPending();
  RECT PixelRect(const Control& control) const;  // x, y, width, height
  bool OverlapsAWindow(const Control& control, const RECT& placed) const;
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
  // The user's colours or theme changed: new brushes, all painted anew.
  void SchemeChanged(UINT message, WPARAM wParam, LPARAM lParam);
  void PaintForm(HDC dc);
  void DrawLabel(const DRAWITEMSTRUCT& item);
  void ReleaseImage(Child& child);
  void ApplyToolTip(const Control& control, Child& child);
  // The model's accessible name and description (form_accessible_win32.cpp).
  void ApplyAccessible(const Control& control, const Child& child);
  void RemoveToolTip(Child& child);
  // Every child's tooltip as its control has it now (kMsgMakeToolTips).
  void MakeToolTips();

  Form& form_;
  ScreenMetrics screen_;
  int dpiY_ = 96;
  DWORD style_ = 0, exStyle_ = 0;
  HWND hwnd_ = nullptr;
  bool shown_ = false;  // Show() more recent than Hide()
  bool placementDue_ = false;
  bool deferring_ = false;
  std::map<Control*, unsigned> deferred_;  // aspects waiting for a flush
  void ApplyDeferred();
  HMENU menu_ = nullptr;
  std::string menuSignature_;
  FrameExtents frame_;
  HBRUSH backBrush_ = nullptr;
  HWND tips_ = nullptr;  // made when a control first has a tooltip; owned by the form
  bool tipsDue_ = false;  // tooltips wait for the first paint (kMsgMakeToolTips)
  bool painted_ = false;  // painted once: tooltips are made as they come
  RECT placed_{-1, -1, -1, -1};  // outer x, y, width, height last given
  int wheel_ = 0;                // wheel movement short of a whole notch
  std::map<const Control*, Child> children_;
  std::set<const Control*> pending_;  // controls without their window yet
  std::map<std::string, HBITMAP> bitmaps_;
};

}  // namespace platform::win32
