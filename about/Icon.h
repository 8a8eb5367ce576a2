#pragma once
// Module Icon: the big and small icons of every checker window.
#include <string>

#include "platform/windows.h"

namespace Icon {

// Gives `hWnd` the big and then the small icon of the group icon resource
// `ResourceName` of the program's own module, as shared images. With
// `IncludeOwner` the last window of hWnd's owner chain (hWnd itself when it
// has no owner) gets each icon first. A resource that cannot be loaded is
// sent as a null icon; nothing is reported.
void SetWindowIcons(platform::WindowHandle hWnd, const std::string& ResourceName,
                    bool IncludeOwner);

}  // namespace Icon
