// PreflectCheck.exe: the real services, read only for the tool's purpose,
// then the command line.
#include <iostream>
#include <sstream>

#include "checktool/Cli.h"
#include "platform/win32/win32.h"
#include "preflectcheck/win32_files.h"

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

// Text collected up to each flush, then written whole: the tool flushes
// after every line it can stand by, so nothing splits a character.
class Stream : public std::stringbuf {
 public:
  explicit Stream(DWORD which) : which_(which) {}
  ~Stream() override { sync(); }

 protected:
  int sync() override {
    Write(which_, str());
    str(std::string());
    return 0;
  }

 private:
  DWORD which_;
};

}  // namespace

int main(int argc, char** argv) {
  platform::win32::HardenProcess();
  platform::win32::InstallServices();
  Stream outBuffer(STD_OUTPUT_HANDLE), errBuffer(STD_ERROR_HANDLE);
  std::ostream out(&outBuffer), err(&errBuffer);
  checktool::Io io{out, err};
  io.canRun = true;
  io.separator = '\\';
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size)) io.machine = platform::win32::FromAnsi(name);
  std::wstring current(32768, L'\0');
  const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
  if (n > 0 && n < current.size())
    io.currentFolder = platform::win32::Utf8FromWide(current.substr(0, n));
  io.readFile = checktool::ReadWin32File;
  io.kindOf = checktool::Win32KindOf;
  io.newReplacer = checktool::NewWin32Replacer;
  // The command line arrives in the ANSI code page; the tool works in UTF-8.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(platform::win32::FromAnsi(argv[i]));
    // A folder quoted with its trailing backslash, "C:\Folder\", reaches
    // argv as C:\Folder" (the backslash escapes the quote); no Windows name
    // holds a double quote.
    if (args.back().size() > 1 && args.back().back() == '"') args.back().pop_back();
  }
  const int status = checktool::Main(args, io);
  out.flush();
  err.flush();
  return status;
}
