#include "checkwindow/ShellLaunch.h"

#include "platform/services.h"
#include "platform/text.h"

namespace shell_launch {
namespace {
const char* const kSimulator = "Zantrix_Quillon.exe";
}

std::intptr_t ShellOpen(const std::string& file, const std::string& directory,
                        const std::string& /*parameters*/) {
  std::intptr_t result = 0;
  platform::Os().shell->Execute("Open", file, std::string(), directory, platform::kSwShowDefault,
                                result);
  return result;
}

std::string ProgramFolder() { return platform::Os().app->ExecutableFolder(); }

std::string FindSimulator() {
  const std::string folder = platform::WithTrailingBackslash(ProgramFolder());
  // The search runs in the program folder, whatever the current folder
  // is, so the name found is the one the path is built from.
  const auto found =
      platform::Os().files->FindFirst(folder + "*" + kSimulator, platform::EntryKinds::Any);
  return folder + (found ? *found : std::string(kSimulator));
}

}  // namespace shell_launch
