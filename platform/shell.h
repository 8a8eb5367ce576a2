#pragma once
// Opening a file, program or web address through the shell.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/windows.h"

namespace platform {

inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowDefault = 10;

class Shell {
 public:
  virtual ~Shell() = default;
  // `owner` is the window the user acted in (0: this thread's active
  // window): the shell's own prompts come up in front of it. No
  // `parameters` passes a null pointer.
  // `shellResult` receives the shell's own answer (above 32 is success),
  // which some callers hand on unchanged.
  virtual Status Execute(const std::string& verb, const std::string& file,
                         const std::optional<std::string>& parameters,
                         const std::string& directory, int show, WindowHandle owner,
                         std::intptr_t& shellResult) = 0;
  // Starts a program by its command line in a normal window that takes the
  // focus, without waiting for it.
  virtual Status StartProgram(const std::string& commandLine) = 0;
};

}  // namespace platform
