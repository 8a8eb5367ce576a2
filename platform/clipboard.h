#pragma once
// The clipboard, for text the user pastes elsewhere (a mail to support).
#include <string>

#include "platform/error.h"

namespace platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces what the clipboard holds with `text` (UTF-8; line breaks as
  // CR LF).
  virtual Status SetText(const std::string& text) = 0;
};

}  // namespace platform
