#pragma once
// The one place that converts between the program's UTF-8 texts and the
// system's ANSI code page. Embedded NULs are kept.
#include <string>

namespace platform {

class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual std::string ToAnsi(const std::string& utf8) = 0;
  virtual std::string FromAnsi(const std::string& ansi) = 0;
};

}  // namespace platform
