// preflect-check where the checker does not run: lint, explain, pin and
// verify, with the file read as the checker's usual ANSI code page and
// Windows folders shown as placeholders.
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "checktool/Cli.h"
#include "preflectcheck/offline_services.h"
#include "preflectcheck/posix_files.h"

int main(int argc, char** argv) {
  const checktool::OfflineServices services;
  checktool::Io io{std::cout, std::cerr};
  io.colour = isatty(STDOUT_FILENO) != 0;
  io.separator = '/';
  std::error_code ignored;
  io.currentFolder = std::filesystem::current_path(ignored).string();
  io.readFile = checktool::ReadPosixFile;
  io.kindOf = checktool::PosixKindOf;
  io.realFolder = checktool::PosixRealFolder;
  io.newReplacer = checktool::NewPosixReplacer;
  return checktool::Main(std::vector<std::string>(argv + 1, argv + argc), io);
}
