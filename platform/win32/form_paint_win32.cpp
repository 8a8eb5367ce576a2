#include "platform/win32/form_window_win32.h"

namespace platform::win32 {

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
  // Drawn from Unicode: an ANSI string would be read in the code page of the
  // font's character set, not the program's, and font linking fills in the
  // scripts the face lacks.
  const std::wstring text = WideFromUtf8(p.caption);
  if (text.empty()) return;
  HGDIOBJ old = SelectObject(dc, FontFor(p.font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, p.enabled ? ToColorRef(p.foreColor) : GetSysColor(COLOR_GRAYTEXT));
  UINT format = DT_WORDBREAK | DT_EXPANDTABS;
  if (p.alignment == Alignment::Right) format |= DT_RIGHT;
  if (p.alignment == Alignment::Center) format |= DT_CENTER;
  if (!p.useMnemonic) format |= DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, old);
}

}  // namespace platform::win32
