#pragma once
// Every start of another program or address the check window makes.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/windows.h"
#include "requirements/modCheck.h"

namespace shell_launch {

// Opens `file` through the shell with `directory` as its working folder;
// `owner` is the window the user acted in, which the shell's own prompts
// come up in front of. `parameters` is accepted for the callers' sake and
// not passed on. Returns the shell's result unchanged (above 32 is
// success).
std::intptr_t ShellOpen(const std::string& file, const std::string& directory,
                        const std::string& parameters, platform::WindowHandle owner = 0);

// The simulator's full path: the first file in the program folder whose
// name ends in "Zantrix_Quillon.exe", or that name itself when none does.
// A program folder where a search may block is searched away from the
// window; `wanted` false meanwhile gives up (the default name is used).
std::string FindSimulator(const std::function<bool()>& wanted = {});

// The program's folder as the system reports it (no trailing backslash
// except at a drive root).
std::string ProgramFolder();

// What became of a remedy the user said yes to.
struct RemedyOpened {
  bool started = false;  // handed to the shell
  bool stopped = false;  // given up: `wanted` said no (the checker is ending)
  std::string refusal;   // why it was not started, for the user
};

// Opens a remedy: a web address as it is. A packaged installer is resolved
// once to a full path against the program folder, held open so that no one
// can change or replace it, checked against its pin when it has one (away
// from the window, which keeps answering), and that very path is started
// while it is still held. A folder or a device is never started, nor a
// pinned installer that differs from its pin or cannot be read.
RemedyOpened OpenRemedy(const modCheck::Requirement& entry, platform::WindowHandle owner,
                        const std::function<bool()>& wanted);

}  // namespace shell_launch
