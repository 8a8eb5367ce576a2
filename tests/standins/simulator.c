/* Stands in for the simulator: says it would start now, and leaves a marker
   beside itself so tests can see that it ran. */
#include <windows.h>

static void WriteMarker(const char* name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\') --n;
  path[n] = '\0';
  lstrcatA(path, name);
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  (void)instance; (void)previous; (void)command; (void)show;
  WriteMarker(MARKER_NAME);
  MessageBoxA(NULL, MESSAGE_TEXT, MESSAGE_TITLE, MB_OK | MB_ICONINFORMATION);
  return 0;
}
