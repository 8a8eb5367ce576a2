#include "tests/doubles/fake_windows.h"

#include <cstdio>

namespace fakes {
namespace {

std::string Hex(std::uintmax_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%jx", value);
  return text;
}

}  // namespace

platform::ImageHandle FakeWindows::IconOf(platform::WindowHandle window,
                                          std::uintptr_t which) const {
  const auto found = icons_.find({window, which});
  return found == icons_.end() ? 0 : found->second;
}

platform::ImageHandle FakeWindows::SharedIcon(const std::string& name, int width, int height) {
  platform::ImageHandle& handle = shared_[{name, width, height}];
  if (!handle) handle = 0x5000 + shared_.size();
  return handle;
}

platform::WindowHandle FakeWindows::GetWindow(platform::WindowHandle window, unsigned command) {
  calls.push_back("GetWindow(" + Hex(window) + ", " + std::to_string(command) + ")");
  if (command != platform::kGwOwner) return 0;
  const auto found = owners.find(window);
  return found == owners.end() ? 0 : found->second;
}

int FakeWindows::GetSystemMetrics(int index) {
  calls.push_back("GetSystemMetrics(" + std::to_string(index) + ")");
  const auto found = metrics.find(index);
  return found == metrics.end() ? 0 : found->second;
}

platform::ImageHandle FakeWindows::LoadImageFrom(platform::InstanceHandle module,
                                                 const std::string& name, unsigned type,
                                                 int width, int height, unsigned flags) {
  calls.push_back("LoadImage(" + Hex(module) + ", " + name + ", " + std::to_string(type) + ", " +
                  std::to_string(width) + ", " + std::to_string(height) + ", " + Hex(flags) +
                  ")");
  // Shared images come back the same; others are new on every load.
  if (module != instance || type != platform::kImageIcon || !iconResources.count(name))
    return 0;
  if (flags & platform::kLrShared) return SharedIcon(name, width, height);
  return 0x9000 + calls.size();
}

std::intptr_t FakeWindows::SendMessageTo(platform::WindowHandle window, unsigned message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
  calls.push_back("SendMessage(" + Hex(window) + ", " + Hex(message) + ", " +
                  std::to_string(wParam) + ", " + Hex(static_cast<std::uintptr_t>(lParam)) + ")");
  if (message != platform::kWmSetIcon) return 0;
  platform::ImageHandle& icon = icons_[{window, wParam}];
  const platform::ImageHandle previous = icon;
  icon = static_cast<platform::ImageHandle>(lParam);
  return static_cast<std::intptr_t>(previous);
}

}  // namespace fakes
