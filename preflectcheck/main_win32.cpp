// PreflectCheck.exe: the real services, read only for the tool's purpose,
// then the command line.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "checktool/Cli.h"
#include "platform/win32/win32.h"

int main(int argc, char** argv) {
  platform::win32::RestrictDllSearch();
  platform::win32::InstallServices();
  std::ostringstream out, err;
  checktool::Io io{out, err};
  io.canRun = true;
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size)) io.machine = platform::win32::FromAnsi(name);
  char current[MAX_PATH] = {};
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
  if (n > 0 && n < MAX_PATH) io.currentFolder = platform::win32::FromAnsi(current);
  io.readFile = [](const std::string& path) -> std::optional<std::string> {
    std::ifstream file(platform::win32::ToAnsi(path), std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
  };
  // The command line arrives in the ANSI code page; the tool works in UTF-8.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(platform::win32::FromAnsi(argv[i]));
  const int status = checktool::Main(args, io);
  // Text for people in the ANSI code page, as every text the programs hand
  // the system; JSON in UTF-8, as JSON is exchanged.
  const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
  std::cout << (json ? out.str() : platform::win32::ToAnsi(out.str()));
  std::cerr << platform::win32::ToAnsi(err.str());
  return status;
}
