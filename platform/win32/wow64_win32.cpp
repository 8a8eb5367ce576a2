#include "platform/win32/services_win32.h"

namespace platform::win32 {
namespace {

// Looked up: 32-bit Windows before XP SP2 lacks them, and a 64-bit build
// never needs them.
using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

template <typename Fn>
Fn Kernel32Proc(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace

bool WinWow64::IsWow64Process() {
#ifdef _WIN64
  return false;
#else
  static const bool wow64 = [] {
    const auto is = Kernel32Proc<IsWow64Fn>("IsWow64Process");
    BOOL answer = FALSE;
    return is && is(GetCurrentProcess(), &answer) && answer;
  }();
  return wow64;
#endif
}

Status WinWow64::DisableFsRedirection(std::uintptr_t& cookie) {
  static const auto disable = Kernel32Proc<DisableFn>("Wow64DisableWow64FsRedirection");
  if (!disable || !IsWow64Process()) return kErrorProcNotFound;
  // Whatever the checks call must already be loaded, from the 32-bit
  // system folder, before the 64-bit one shows in its place.
  LoadVersionFunctions();
  PVOID old = nullptr;
  if (!disable(&old)) return LastStatus();
  cookie = reinterpret_cast<std::uintptr_t>(old);
  return kOk;
}

void WinWow64::RevertFsRedirection(std::uintptr_t cookie) {
  static const auto revert = Kernel32Proc<RevertFn>("Wow64RevertWow64FsRedirection");
  if (revert) revert(reinterpret_cast<PVOID>(cookie));
}

}  // namespace platform::win32
