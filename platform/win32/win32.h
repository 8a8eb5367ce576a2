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
#include <utility>

#include "platform/services.h"

namespace platform::win32 {

// The one place that converts between UTF-8 and the ANSI code page.
std::string ToAnsi(const std::string& utf8);
std::string FromAnsi(const std::string& ansi);
std::string Utf8FromWide(const std::wstring& wide);
// Whether the ANSI code page holds every character of the text exactly,
// no best-fit look-alike counted.
bool AnsiHolds(const std::string& utf8);
// UTF-8 as UTF-16, for the few calls that take only Unicode text.
std::wstring WideFromUtf8(const std::string& utf8);

// The one place that turns what a Win32 call answered into a Status.
Status LastStatus();  // GetLastError(), read first thing after the call
Status StatusFromHresult(HRESULT result);
Status StatusFromShellResult(INT_PTR result);  // ShellExecute: above 32 is success
// The system's text for a status, as FormatMessageA gives it.
std::string SystemText(Status status);
// An OsError for GetLastError() in the common wording.
[[noreturn]] void ThrowLastError(const std::string& what, const std::string& path);

// A handle closed when it goes. Move-only, so no path can leak it or close
// it twice.
template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;
  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type get() const { return handle_; }
  bool valid() const { return handle_ != Traits::Invalid(); }
  Type Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset(Type handle = Traits::Invalid()) {
    if (valid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Type handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { FindClose(handle); }
};
using ScopedHandle = UniqueHandle<KernelHandleTraits>;
using ScopedFind = UniqueHandle<FindHandleTraits>;

// Call first thing in every program. No system box ("There is no disk in
// the drive") ever stops it for a path on an empty card reader or DVD
// drive: the call that touched it fails and the check says why. And only
// the system folder is searched for DLLs from now on, so a DLL planted
// beside the program is never loaded.
void HardenProcess();
// A function of a system DLL that is not imported statically; null when it
// cannot be had. The program imports only kernel32, user32, gdi32, advapi32
// and msvcrt, which Windows always takes from the system folder; every
// other DLL comes through here, after HardenProcess, from the system
// folder alone.
FARPROC SystemProc(const char* dll, const char* name);
template <typename Fn>
Fn SystemFunction(const char* dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemProc(dll, name)));
}

// COM on this thread, apartment-threaded and without OLE1 DDE, as the shell
// asks of its callers (some shell handlers are COM objects) and as handing
// out accessible objects needs; ole32 is loaded only now. True when it is.
bool InitializeCom();

// Builds the real services once and installs them.
void InstallServices();
// The texts in the user's language from the program's string tables; a
// program that speaks English only (preflect-check) does without.
void InstallCatalogue();
// What WinMain returns: `exitCode`, or the process ends at once with it when
// background work it gave up may still be running.
int EndProgram(int exitCode);

}  // namespace platform::win32
