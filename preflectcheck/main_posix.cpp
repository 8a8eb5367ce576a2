// preflect-check where the checker does not run: lint and explain, with the
// file read as the checker's usual ANSI code page and Windows folders shown
// as placeholders.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "checktool/Cli.h"
#include "preflectcheck/offline_services.h"

int main(int argc, char** argv) {
  const checktool::OfflineServices services;
  checktool::Io io{std::cout, std::cerr};
  io.colour = isatty(STDOUT_FILENO) != 0;
  std::error_code ignored;
  io.currentFolder = std::filesystem::current_path(ignored).string();
  io.readFile = [](const std::string& path) -> std::optional<std::string> {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
  };
  io.writeFile = [](const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
  };
  return checktool::Main(std::vector<std::string>(argv + 1, argv + argc), io);
}
