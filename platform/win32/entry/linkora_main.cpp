// Linkora's entry.
#include "platform/win32/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::RestrictDllSearch();
  platform::win32::InstallServices();
  return 0;
}
