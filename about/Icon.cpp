#include "about/Icon.h"

#include "platform/services.h"

namespace Icon {
namespace {

using platform::WindowHandle;

// The window at the top of the owner chain: the last one that is not 0.
WindowHandle TopmostOwner(platform::Windows& windows, WindowHandle hWnd) {
  WindowHandle top = hWnd;
  WindowHandle current = hWnd;
  while (current != 0) {
    top = current;
    current = windows.GetWindow(current, platform::kGwOwner);
  }
  return top;
}

}  // namespace

void SetWindowIcons(WindowHandle hWnd, const std::string& ResourceName, bool IncludeOwner) {
  platform::Windows& windows = *platform::Os().windows;
  const WindowHandle owner = IncludeOwner ? TopmostOwner(windows, hWnd) : 0;

  // Large before small, and for each the owner before the window itself.
  // The icons that were set before are the system's shared images: the
  // answers are not destroyed.
  const auto give = [&](std::uintptr_t which, int widthIndex, int heightIndex) {
    const int width = windows.GetSystemMetrics(widthIndex);
    const int height = windows.GetSystemMetrics(heightIndex);
    const platform::ImageHandle icon =
        windows.LoadImageFrom(windows.ModuleInstance(), ResourceName, platform::kImageIcon, width,
                              height, platform::kLrShared);
    const auto lParam = static_cast<std::intptr_t>(icon);
    if (IncludeOwner) windows.SendMessageTo(owner, platform::kWmSetIcon, which, lParam);
    windows.SendMessageTo(hWnd, platform::kWmSetIcon, which, lParam);
  };
  give(platform::kIconBig, platform::kSmCxIcon, platform::kSmCyIcon);
  give(platform::kIconSmall, platform::kSmCxSmIcon, platform::kSmCySmIcon);
}

}  // namespace Icon
