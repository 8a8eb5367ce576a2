#include "platform/win32/form_window_win32.h"

#include <vector>

namespace platform::win32 {

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

}  // namespace platform::win32
