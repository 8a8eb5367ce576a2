#pragma once
// The native tool's own files: the requirements file read (a regular file
// only, a FIFO never waited for), what a path names, links resolved, and a
// file replaced whole.
#include <memory>
#include <string>

#include "checktool/Cli.h"

namespace checktool {

FileRead ReadPosixFile(const std::string& path);
PathKind PosixKindOf(const std::string& path);
std::string PosixRealFolder(const std::string& folder);  // empty when it cannot be resolved
// Writes the new file beside the old one, fsyncs and closes it, and renames
// it over the old one, which keeps the old one's mode and owner; a symbolic
// link stays a link to the replaced file.
std::unique_ptr<FileReplacer> NewPosixReplacer();

}  // namespace checktool
