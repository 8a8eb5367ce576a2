#pragma once
// Every start of another program or address the check window makes.
#include <cstdint>
#include <string>

#include "requirements/modCheck.h"

namespace shell_launch {

// Opens `file` through the shell with `directory` as its working folder.
// `parameters` is accepted for the callers' sake and not passed on.
// Returns the shell's result unchanged (above 32 is success).
std::intptr_t ShellOpen(const std::string& file, const std::string& directory,
                        const std::string& parameters);

// The simulator's full path: the first file in the program folder whose
// name ends in "Zantrix_Quillon.exe", or that name itself when none does.
std::string FindSimulator();

// The program's folder as the system reports it (no trailing backslash
// except at a drive root).
std::string ProgramFolder();

// Why a packaged remedy with a pin must not be started, for the user: its
// file differs from the pin, cannot be read, or the pin is no SHA-256.
// Empty when the file matches. The file is hashed now, in pieces.
std::string PinRefusal(const modCheck::Requirement& entry);

}  // namespace shell_launch
