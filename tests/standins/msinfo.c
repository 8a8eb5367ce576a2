/* Stands in for the system information tool: leaves a marker beside
   itself, holding the command line it was started with, and ends at once
   so that tests need not close it. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH - 32);
  HANDLE h;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  (void)instance; (void)previous; (void)command; (void)show;
  while (n > 0 && path[n - 1] != '\\') --n;
  path[n] = '\0';
  lstrcatA(path, "msinfo-started.txt");
  h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (h != INVALID_HANDLE_VALUE) {
    WriteFile(h, line, (DWORD)lstrlenA(line), &written, NULL);
    CloseHandle(h);
  }
  return 0;
}
