#pragma once
// What the running program knows of itself, and the date.
#include <cstdint>
#include <string>

namespace platform {

struct AppVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class AppInfo {
 public:
  virtual ~AppInfo() = default;
  // From the program's version information.
  virtual std::string Title() = 0;
  virtual AppVersion Version() = 0;
  virtual std::string FileDescription() = 0;
  // The executable's folder: no trailing backslash except at a drive root.
  virtual std::string ExecutableFolder() = 0;
};

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct DateTime {
  Date date;
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Date Today() = 0;
  // The local date and time of day.
  virtual DateTime Now() = 0;
  // The user's date separator as the system formats short dates.
  virtual std::string DateSeparator() = 0;
  // Milliseconds from some fixed moment, never going back: for pacing.
  virtual std::uint64_t Milliseconds() = 0;
};

}  // namespace platform
