// Preflect's entry: the real services, then the start-up sequence.
#include "platform/win32/win32.h"
#include "startup/modMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::RestrictDllSearch();
  platform::win32::InstallServices();
  return modMain::Run();
}
