#pragma once
// preflect-check's command line: lint, explain and run, --help, --version.
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace checktool {

// What the program's entry point gives the command line to work with.
struct Io {
  Io(std::ostream& output, std::ostream& errors) : out(output), err(errors) {}
  std::ostream& out;
  std::ostream& err;
  bool colour = false;      // standard output is a terminal
  bool canRun = false;      // `run` needs Windows
  std::string machine;      // the computer's name, for run --json
  std::string currentFolder;
  // The bytes of a file; none when it cannot be read.
  std::function<std::optional<std::string>(const std::string& path)> readFile;
  // Replaces a file's bytes; false when it cannot be written.
  std::function<bool(const std::string& path, const std::string& bytes)> writeFile;
};

// Runs the command `args` names (without the program's own name) and
// returns the exit status: 0 clean or all found, 1 errors (lint; with
// --werror also warnings) or products missing (run), 2 the file cannot be
// read, 3 a usage error.
int Main(const std::vector<std::string>& args, Io& io);

}  // namespace checktool
