#pragma once
// A double of the window calls that records every call in order, with
// owners, metrics and icon resources as a test sets them up.
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/windows.h"

namespace fakes {

class FakeWindows : public platform::Windows {
 public:
  // The calls in order, e.g. "GetWindow(0x10, 4)", "GetSystemMetrics(11)",
  // "LoadImage(0x400000, AAA, 1, 32, 32, 0x8000)", "SendMessage(0x10, 0x80, 1, 0x5001)".
  std::vector<std::string> calls;
  std::map<platform::WindowHandle, platform::WindowHandle> owners;
  std::map<int, int> metrics{{platform::kSmCxIcon, 32},
                             {platform::kSmCyIcon, 32},
                             {platform::kSmCxSmIcon, 16},
                             {platform::kSmCySmIcon, 16}};
  // Icon groups the program's module holds.
  std::set<std::string> iconResources{"AAA", "1"};
  platform::InstanceHandle instance = 0x400000;

  // The icon a window was last given by WM_SETICON; 0 when none.
  platform::ImageHandle IconOf(platform::WindowHandle window, std::uintptr_t which) const;
  // The handle LoadImage answers for an icon of that name and size.
  platform::ImageHandle SharedIcon(const std::string& name, int width, int height);

  platform::WindowHandle GetWindow(platform::WindowHandle window, unsigned command) override;
  int GetSystemMetrics(int index) override;
  platform::InstanceHandle ModuleInstance() override { return instance; }
  platform::ImageHandle LoadImageFrom(platform::InstanceHandle instance, const std::string& name,
                                      unsigned type, int width, int height,
                                      unsigned flags) override;
  std::intptr_t SendMessageTo(platform::WindowHandle window, unsigned message,
                              std::uintptr_t wParam, std::intptr_t lParam) override;

 private:
  std::map<std::tuple<std::string, int, int>, platform::ImageHandle> shared_;
  std::map<std::pair<platform::WindowHandle, std::uintptr_t>, platform::ImageHandle> icons_;
};

}  // namespace fakes
