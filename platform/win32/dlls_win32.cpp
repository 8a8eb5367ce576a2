#include "platform/win32/win32.h"

#include <objbase.h>

namespace platform::win32 {

namespace {

std::string SystemFolder() {
  char system[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(system, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : std::string(system, n) + "\\";
}

}  // namespace

void HardenProcess() {
  // Programs started from here inherit the mode.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // Looked up, since systems without the update that brought it lack it.
  using SetDirs = BOOL(WINAPI*)(DWORD);
  const auto set = reinterpret_cast<SetDirs>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Functions that system DLLs forward to another DLL are found by that
  // DLL's name, and some loaders (Wine's among them) look for it along the
  // old search path, the program's folder first. Loaded here by full path,
  // they are found among the loaded modules instead.
  const std::string system = SystemFolder();
  if (system.empty()) return;
  for (const char* dll : {"shcore.dll", "combase.dll"})
    LoadLibraryExA((system + dll).c_str(), nullptr, 0);
}

FARPROC SystemProc(const char* dll, const char* name) {
  // Loaded once and kept: the functions are used for the program's life.
  HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) {
    // Systems without the search flags: load by full system path instead.
    const std::string system = SystemFolder();
    if (system.empty()) return nullptr;
    module = LoadLibraryA((system + dll).c_str());
  }
  return module ? GetProcAddress(module, name) : nullptr;
}

bool InitializeCom() {
  // Once: the programs have one user-interface thread, and COM stays for
  // the program's life.
  static const bool initialized = [] {
    using InitFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    const auto init = SystemFunction<InitFn>("ole32.dll", "CoInitializeEx");
    return init && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }();
  return initialized;
}

}  // namespace platform::win32
