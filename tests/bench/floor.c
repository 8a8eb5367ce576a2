/* The floor of the start-up benchmark: the least any program must do to
   show what the checker shows. It does the start-up work every checker
   must: it reads the edition file, asks the shell for the common
   application-data folder (SHGetFolderPathA through shfolder), makes the
   vendor and product folders there and writes and deletes a probe file.
   It shows a small progress window with a percentage in the face the
   checker's bar uses, makes the registry and version-resource calls that
   the products of a list need, then shows a window with the program's
   icon, a menu, a text and a button: what the check window shows when
   every product is found, as in every list of the benchmark. Nothing
   else: no requirements file, no layout, no icons where none is seen.

   floor.exe LIST, where each line of LIST is one product:
     R <key below HKEY_CURRENT_USER>|<value name>
     F <full path of a file that is searched for and whose version is read>
     S <full path of a file that is only searched for> */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DESTROY && GetWindowLongPtrA(w, GWLP_USERDATA)) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

static void ReadValue(char* line) {
  char* bar = strchr(line, '|');
  HKEY key;
  DWORD type = 0, size = 0;
  if (!bar) return;
  *bar = '\0';
  if (RegOpenKeyExA(HKEY_CURRENT_USER, line, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  if (RegQueryValueExA(key, bar + 1, NULL, &type, NULL, &size) == ERROR_SUCCESS) {
    BYTE data[1024];
    DWORD got = size < sizeof data ? size : sizeof data;
    RegQueryValueExA(key, bar + 1, NULL, &type, data, &got);
  }
  RegCloseKey(key);
}

static int Search(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return 1;
}

static void ReadVersion(const char* path) {
  DWORD handle = 0, size;
  if (!Search(path)) return;
  size = GetFileVersionInfoSizeA(path, &handle);
  if (size > 0) {
    void* data = HeapAlloc(GetProcessHeap(), 0, size);
    void* fixed = NULL;
    UINT length = 0;
    if (data && GetFileVersionInfoA(path, 0, size, data))
      VerQueryValueA(data, "\\", &fixed, &length);
    HeapFree(GetProcessHeap(), 0, data);
  }
}

typedef HRESULT(WINAPI* GetFolderPathFn)(HWND, int, HANDLE, DWORD, LPSTR);

/* The edition file beside the program, read whole; what it says does not
   matter here. */
static void ReadEdition(void) {
  char path[MAX_PATH];
  char bytes[4096];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH), got = 0;
  HANDLE file;
  while (n > 0 && path[n - 1] != '\\') --n;
  path[n] = '\0';
  lstrcatA(path, "version.xml.enc");
  file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  ReadFile(file, bytes, sizeof bytes, &got, NULL);
  CloseHandle(file);
}

/* The data folder: the common application-data folder from the shell, a
   probe file written and deleted there, the two folders made. */
static void MakeDataFolder(void) {
  char folder[MAX_PATH + 64] = {0};
  char probe[MAX_PATH + 64];
  HMODULE shfolder = LoadLibraryExA("shfolder.dll", NULL, 0x800 /* SEARCH_SYSTEM32 */);
  GetFolderPathFn get =
      shfolder ? (GetFolderPathFn)(void*)GetProcAddress(shfolder, "SHGetFolderPathA") : NULL;
  HANDLE file;
  DWORD written = 0;
  if (!get || get((HWND)1, 35, (HANDLE)(INT_PTR)-1, 0, folder) != S_OK) return;
  lstrcpyA(probe, folder);
  lstrcatA(probe, "\\permit.per");
  file = CreateFileA(probe, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    WriteFile(file, "A\r\n", 3, &written, NULL);
    CloseHandle(file);
  }
  Search(probe);
  DeleteFileA(probe);
  lstrcatA(folder, "\\Zantrix Software");
  if (!Search(folder)) CreateDirectoryA(folder, NULL);
  lstrcatA(folder, "\\Floor");
  if (!Search(folder)) CreateDirectoryA(folder, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  WNDCLASSA wc = {0};
  HWND progress, percent, window;
  HMENU bar, help;
  MSG msg;
  FILE* list;
  char line[1024];
  (void)previous;
  (void)show;
  ReadEdition();
  ReadEdition();
  MakeDataFolder();
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "Floor";
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  RegisterClassA(&wc);

  progress = CreateWindowExA(WS_EX_TOOLWINDOW, "Floor", "Progress", WS_POPUP | WS_CAPTION,
                             300, 300, 408, 85, NULL, NULL, instance, NULL);
  /* The percentage, in the face the checker's bar shows it in. */
  percent = CreateWindowExA(0, "Static", "1 %", WS_CHILD | WS_VISIBLE, 8, 8, 300, 17, progress, NULL,
                        instance, NULL);
  SendMessageA(percent, WM_SETFONT,
               (WPARAM)CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, "Times New Roman"),
               FALSE);
  ShowWindow(progress, SW_SHOW);
  UpdateWindow(progress);

  list = fopen(command, "r");
  while (list && fgets(line, sizeof line, list)) {
    line[strcspn(line, "\r\n")] = '\0';
    if (line[0] == 'R') ReadValue(line + 2);
    if (line[0] == 'F') ReadVersion(line + 2);
    if (line[0] == 'S') Search(line + 2);
  }
  if (list) fclose(list);
  DestroyWindow(progress);

  bar = CreateMenu();
  help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, 1, "&About");
  AppendMenuA(bar, MF_POPUP, (UINT_PTR)help, "&Help");
  window = CreateWindowExA(0, "Floor", "Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                           300, 200, 411, 300, NULL, bar, instance, NULL);
  SetWindowLongPtrA(window, GWLP_USERDATA, 1);
  /* The program's picture in the title bar and the task bar. */
  SendMessageA(window, WM_SETICON, ICON_BIG,
               (LPARAM)LoadImageA(instance, "AAA", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                  GetSystemMetrics(SM_CYICON), LR_SHARED));
  SendMessageA(window, WM_SETICON, ICON_SMALL,
               (LPARAM)LoadImageA(instance, "AAA", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                  GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  CreateWindowExA(0, "Static", "All found.", WS_CHILD | WS_VISIBLE, 8, 5, 389, 49, window, NULL,
                  instance, NULL);
  CreateWindowExA(0, "Button", "Continue", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 176, 62, 65,
                  41, window, NULL, instance, NULL);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
