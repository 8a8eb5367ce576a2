#pragma once
// PreflectCheck.exe's own files: the requirements file read through the
// checker's own rule (a regular file on a disk, held while it is read),
// what a path names, and a file replaced whole with ReplaceFileW.
#include <memory>
#include <string>

#include "checktool/Cli.h"

namespace checktool {

FileRead ReadWin32File(const std::string& path);
PathKind Win32KindOf(const std::string& path);
// A new file beside the old one, written, flushed and closed, then put in
// its place with ReplaceFileW, which keeps the old file's attributes and
// security; MoveFileExW only where the volume cannot replace files.
std::unique_ptr<FileReplacer> NewWin32Replacer();

}  // namespace checktool
