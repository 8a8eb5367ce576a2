#include "platform/win32/form_window_win32.h"

#include <vector>

namespace platform::win32 {

HMENU BuildMenuBar(const Form& form) {
  HMENU bar = CreateMenu();
  const std::vector<Control*> menus = form.Menus();
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
    return nullptr;
  }
  return bar;
}

std::string MenuSignature(const Form& form) {
  std::string signature;
  for (const Control* menu : form.Menus()) {
    const ControlProperties& p = menu->Properties();
    signature += std::to_string(menu->Id()) + (p.visible ? "v" : "-") + (p.enabled ? "e" : "-") +
                 p.menuParent + '\x1F' + p.caption + '\x1E';
  }
  return signature;
}

void FormWin32::MenusChanged() {
  // Setting a menu bar costs a frame change: only when it really differs.
  std::string signature = MenuSignature(form_);
  if (signature == menuSignature_) return;
  menuSignature_ = std::move(signature);
  HMENU old = menu_;
  menu_ = BuildMenuBar(form_);
  SetMenu(hwnd_, menu_);
  if (old) DestroyMenu(old);
  frame_ = FrameFor(style_, exStyle_, menu_ != nullptr);
}

}  // namespace platform::win32
