#include "platform/win32/form_window_win32.h"

#include <commctrl.h>

namespace platform::win32 {
namespace {

// The tool of `child` in the form's tooltip window.
TOOLINFOA ToolOf(HWND form, HWND child) {
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(child);
  return tool;
}

// comctl32 holds the tooltip class. It is loaded from the system folder
// when the first tooltip is needed; the manifest's activation context
// makes that the version 6 of the common controls.
bool InitToolTipClass() {
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  static const auto init = SystemFunction<InitFn>("comctl32.dll", "InitCommonControlsEx");
  if (!init) return false;
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
  return init(&classes) != FALSE;
}

}  // namespace

void FormWin32::ApplyToolTip(const Control& control, Child& child) {
  const std::string text = ToAnsi(control.Properties().toolTipText);
  if (text.empty() && !child.tip) return;
  // Not before the form is first painted: the first paint needs none of it
  // (the tooltip window, comctl32's class), and MakeToolTips comes at once.
  if (!painted_) {
    tipsDue_ = true;
    return;
  }
  if (!tips_) {
    // A missing tooltip is not worth failing the form for.
    if (!InitToolTipClass()) return;
    tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tips_) return;
    // Long explanations wrap, and their line breaks hold.
    SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, MulDiv(480, dpiY_, 96));
  }
  if (text.empty()) {
    RemoveToolTip(child);
    return;
  }
  TOOLINFOA tool = ToolOf(hwnd_, child.hwnd);
  tool.lpszText = const_cast<char*>(text.c_str());
  if (child.tip)
    SendMessageA(tips_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  else
    child.tip = SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

void FormWin32::MakeToolTips() {
  painted_ = true;
  if (!tipsDue_) return;
  tipsDue_ = false;
  for (auto& [control, child] : children_)
    if (child.hwnd) ApplyToolTip(*control, child);
}

void FormWin32::RemoveToolTip(Child& child) {
  if (!child.tip) return;
  TOOLINFOA tool = ToolOf(hwnd_, child.hwnd);
  SendMessageA(tips_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  child.tip = false;
}

}  // namespace platform::win32
