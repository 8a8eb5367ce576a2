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

std::string PinRefusal(const modCheck::Requirement& entry) {
  const modCheck::PinCheck pin = modCheck::CheckPin(entry.RemedyLocation, entry.RemedySha256);
  if (pin.matches) return {};
  const std::string file = "The installer \"" + entry.RemedyLocation + "\" ";
  std::string why;
  if (!pin.valid)
    why = "cannot be checked: the installation's list of requirements gives no valid SHA-256 "
          "for it";
  else if (pin.status != platform::kOk)
    why = "could not be read (" + platform::StatusText(pin.status) + ")";
  else
    why = "is damaged or is not the one packaged with your installation";
  return file + why + ", so it was not started.\r\nGet the installer again from where you got "
                      "the simulator, or reinstall the simulator.";
}

std::string FindSimulator() {
  const std::string folder = platform::WithTrailingBackslash(ProgramFolder());
  // The search runs in the program folder, whatever the current folder
  // is, so the name found is the one the path is built from.
  const auto found =
      platform::Os().files->FindFirst(folder + "*" + kSimulator, platform::EntryKinds::Any);
  return folder + (found ? *found : std::string(kSimulator));
}

}  // namespace shell_launch
