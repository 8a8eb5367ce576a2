#pragma once
// The user32 calls that act on any window by its handle: owners, system
// metrics, images from the program's own resources, and sent messages. Kept
// at the level of the system calls so that code built on them (window icons)
// can be checked call by call against a recording double.
#include <cstdint>
#include <string>

namespace platform {

using WindowHandle = std::uintptr_t;    // 0: no window
using ImageHandle = std::uintptr_t;     // 0: none (a failed load)
using InstanceHandle = std::uintptr_t;  // a loaded module

inline constexpr unsigned kGwOwner = 4;

inline constexpr int kSmCxIcon = 11;
inline constexpr int kSmCyIcon = 12;
inline constexpr int kSmCxSmIcon = 49;
inline constexpr int kSmCySmIcon = 50;

inline constexpr unsigned kImageIcon = 1;
inline constexpr unsigned kLrShared = 0x8000;

inline constexpr unsigned kWmSetIcon = 0x80;
inline constexpr std::uintptr_t kIconSmall = 0;
inline constexpr std::uintptr_t kIconBig = 1;

class Windows {
 public:
  virtual ~Windows() = default;
  // GetWindow: the window related to `window` by `command` (kGwOwner), or 0.
  virtual WindowHandle GetWindow(WindowHandle window, unsigned command) = 0;
  virtual int GetSystemMetrics(int index) = 0;
  // The module instance of the program's executable.
  virtual InstanceHandle ModuleInstance() = 0;
  // LoadImageA from `instance` by resource name (UTF-8, converted to ANSI);
  // 0 when the image cannot be loaded.
  virtual ImageHandle LoadImageFrom(InstanceHandle instance, const std::string& name,
                                    unsigned type, int width, int height, unsigned flags) = 0;
  // SendMessageA; returns the window's answer.
  virtual std::intptr_t SendMessageTo(WindowHandle window, unsigned message,
                                      std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace platform
