// PreflectCheck.exe: the real services, read only for the tool's purpose,
// then the command line.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "checktool/Cli.h"
#include "platform/win32/win32.h"

namespace {

// To a console as Unicode, which shows every name whatever the console's
// code page; to a file or a pipe as UTF-8, text and JSON alike, so that
// nothing is lost there either.
void Write(DWORD which, const std::string& utf8) {
  if (utf8.empty()) return;
  const HANDLE handle = GetStdHandle(which);
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = platform::win32::WideFromUtf8(utf8);
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  platform::win32::HardenProcess();
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
  io.writeFile = [](const std::string& path, const std::string& bytes) {
    std::ofstream file(platform::win32::ToAnsi(path), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
  };
  // The command line arrives in the ANSI code page; the tool works in UTF-8.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(platform::win32::FromAnsi(argv[i]));
  const int status = checktool::Main(args, io);
  Write(STD_OUTPUT_HANDLE, out.str());
  Write(STD_ERROR_HANDLE, err.str());
  return status;
}
