#pragma once
// Modal message boxes and the system's message texts.
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace platform {

inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbOkCancel = 0x1;
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbIconStop = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconInformation = 0x40;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and returns the button chosen.
  virtual int Show(const std::string& text, const std::string& title, std::uint32_t style) = 0;
};

class SystemMessages {
 public:
  virtual ~SystemMessages() = default;
  // The system's message text for a status (from the system's message
  // table, default language), as the system writes it with its line
  // break; empty when it has none.
  virtual std::string Describe(Status status) = 0;
};

}  // namespace platform
