#pragma once
// preflect-check's command line: lint, explain, run, pin and verify,
// --help, --version.
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "checktool/SafeWrite.h"

namespace checktool {

// What a path names.
enum class PathKind { None, File, Folder, Other };  // Other: a device, pipe or socket

// A file's bytes, or what the path named and why it could not be read.
struct FileRead {
  std::optional<std::string> bytes;
  PathKind kind = PathKind::File;
  std::string reason;  // the system's words, when there are no bytes
};

// What the program's entry point gives the command line to work with.
struct Io {
  Io(std::ostream& output, std::ostream& errors) : out(output), err(errors) {}
  std::ostream& out;  // flushed after each result, which is then shown
  std::ostream& err;
  bool colour = false;      // standard output is a terminal
  bool canRun = false;      // `run` needs Windows
  std::string machine;      // the computer's name, for run --json
  std::string currentFolder;
  char separator = '\\';  // the system's own, in every path printed
  // A regular file's bytes; a folder, device or pipe is not read (and a
  // pipe never waited for).
  std::function<FileRead(const std::string& path)> readFile;
  // What a path names; None when nothing (or it cannot be told).
  std::function<PathKind(const std::string& path)> kindOf;
  // The steps that replace a file whole (SafeWrite.h).
  std::function<std::unique_ptr<FileReplacer>()> newReplacer;
  // A folder's whole path with every link resolved; empty when unknown.
  std::function<std::string(const std::string& folder)> realFolder;
};

// Runs the command `args` names (without the program's own name) and
// returns the exit status: 0 clean, all found or all as pinned; 1 findings
// (lint errors, with --werror also warnings; products missing; installers
// missing, not as pinned or, for verify, not pinned); 2 the requirements
// file cannot be read or written; 3 a usage error.
int Main(const std::vector<std::string>& args, Io& io);

}  // namespace checktool
