#include "checkwindow/ShellLaunch.h"

#include <atomic>
#include <memory>
#include <optional>

#include "platform/services.h"
#include "platform/text.h"

namespace shell_launch {
namespace {

const char* const kSimulator = "Zantrix_Quillon.exe";

// Why an installer is not started, for the user.
std::string Refusal(const std::string& location, const modCheck::PinCheck& pin, bool pinned) {
  using platform::T;
  std::string why;
  if (pin.kind == platform::FileKind::Folder)
    // TRANSLATORS: %1 is the installer's path, in these refusals too.
    why = T("The installer \"%1\" is a folder, not a file, so it was not started.");
  else if (pin.kind == platform::FileKind::Device)
    why = T("The installer \"%1\" is a device or a pipe, not a file, so it was not started.");
  else if (pinned && !pin.valid)
    why = T("The installer \"%1\" cannot be checked: the installation's list of requirements "
            "gives no valid SHA-256 for it, so it was not started.");
  else if (pin.status != platform::kOk)
    // TRANSLATORS: %2 is the system's reason.
    why = T("The installer \"%1\" could not be read (%2), so it was not started.");
  else
    why = T("The installer \"%1\" is damaged or is not the one packaged with your "
            "installation, so it was not started.");
  return platform::Format(why, {location, platform::StatusText(pin.status)}) + "\r\n" +
         T("Get the installer again from where you got the simulator, or reinstall the "
           "simulator.");
}

}  // namespace

std::intptr_t ShellOpen(const std::string& file, const std::string& directory,
                        const std::string& /*parameters*/, platform::WindowHandle owner) {
  std::intptr_t result = 0;
  platform::Os().shell->Execute("Open", file, std::string(), directory, platform::kSwShowDefault,
                                owner, result);
  return result;
}

std::string ProgramFolder() { return platform::Os().app->ExecutableFolder(); }

RemedyOpened OpenRemedy(const modCheck::Requirement& entry, platform::WindowHandle owner,
                        const std::function<bool()>& wanted) {
  RemedyOpened opened;
  const std::string folder = ProgramFolder();
  if (entry.RemedySource == "web") {
    ShellOpen(entry.RemedyLocation, folder, "", owner);
    opened.started = true;
    return opened;
  }
  // Everything the check needs is the job's own: given up, it finishes
  // unseen while the checker ends.
  struct Job {
    std::string path, sha256;
    bool pinned = false;
    std::unique_ptr<platform::HeldFile> file;
    modCheck::PinCheck pin;
    std::atomic<bool> stop{false};
  };
  auto job = std::make_shared<Job>();
  job->path = modCheck::InstallerPath(entry.RemedyLocation, folder);
  job->sha256 = entry.RemedySha256;
  job->pinned = modCheck::HasPinnedInstaller(entry);
  const bool done = platform::RunAwayFromTheWindow(
      job->pinned || platform::Os().files->MayBlock(job->path),
      [job] {
        job->pin.valid = modCheck::ParseSha256(job->sha256).has_value();
        job->pin.status = platform::Os().files->OpenHeld(job->path, job->file, job->pin.kind);
        if (job->pin.status == platform::kOk && job->pinned)
          job->pin = modCheck::CheckPin(*job->file, job->sha256,
                                        [stop = &job->stop] { return !*stop; });
      },
      wanted);
  if (!done || job->pin.stopped || (wanted && !wanted())) {
    job->stop = true;
    opened.stopped = true;
    return opened;
  }
  const bool notAFile = job->pin.kind != platform::FileKind::Regular;
  if (notAFile || (job->pinned && !job->pin.matches)) {
    opened.refusal = Refusal(entry.RemedyLocation, job->pin, job->pinned);
    return opened;
  }
  // An unpinned installer that cannot be opened is the shell's to report,
  // as it always was; one that opened stays held until the shell returns,
  // which is given the path the system resolved for it: a junction on the
  // way cannot be re-pointed to another file meanwhile.
  const std::string held = job->file ? job->file->FinalPath() : std::string();
  ShellOpen(held.empty() ? job->path : held, folder, "", owner);
  opened.started = true;
  return opened;
}

std::string FindSimulator(const std::function<bool()>& wanted) {
  const std::string folder = platform::WithTrailingBackslash(ProgramFolder());
  // The search runs in the program folder, whatever the current folder
  // is, so the name found is the one the path is built from.
  const std::string pattern = folder + "*" + kSimulator;
  auto found = std::make_shared<std::optional<std::string>>();
  const bool done = platform::RunAwayFromTheWindow(
      platform::Os().files->MayBlock(pattern),
      [pattern, found] {
        *found = platform::Os().files->FindFirst(pattern, platform::EntryKinds::Any);
      },
      wanted);
  return folder + (done && *found ? **found : std::string(kSimulator));
}

}  // namespace shell_launch
