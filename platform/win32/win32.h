#pragma once
// Shared pieces of the Win32 implementations. Only files in this folder
// include <windows.h>.
#include <windows.h>

// The portable interfaces have members of these names; the wide/ANSI
// switching macros would rename them in this layer only.
#undef DeleteFile
#undef GetTempPath
#undef GetSystemDirectory
#undef GetWindowsDirectory

#include <string>

#include "platform/services.h"

namespace platform::win32 {

std::string ToAnsi(const std::string& utf8);
std::string FromAnsi(const std::string& ansi);

// The system's text for an error code, without the trailing line break.
std::string SystemText(DWORD code);
// An OsError for GetLastError() in the common wording.
[[noreturn]] void ThrowLastError(const std::string& what, const std::string& path);

// Only the system folder is searched for DLLs from now on, so a DLL planted
// beside the program is never loaded. Call first thing in WinMain.
void RestrictDllSearch();
// A function of a system DLL that is not imported statically (version.dll,
// shfolder.dll are not known DLLs); null when it cannot be had.
FARPROC SystemProc(const char* dll, const char* name);

// Builds the real services once and installs them.
void InstallServices();

}  // namespace platform::win32
