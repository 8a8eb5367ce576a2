#include "tests/gui/driver.h"

#include <commctrl.h>
#include <oleacc.h>
#include <unknwn.h>

#include <algorithm>
#include <cstdio>

namespace gui {

std::string BinFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.rfind('\\'));
}

std::string MakeStage(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "zantrix-gui-" + name;
  RemoveTree(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string n = found.cFileName;
      if (n == "." || n == "..") continue;
      const std::string path = folder + "\\" + n;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

void CopyInto(const std::string& file, const std::string& folder) {
  const std::string name = file.substr(file.rfind('\\') + 1);
  CopyFileA(file.c_str(), (folder + "\\" + name).c_str(), FALSE);
}

void WriteText(const std::string& path, const std::string& text) {
  const HANDLE h =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

std::string ReadText(const std::string& path) {
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(h);
  return text;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> List(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string n = found.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

Program::Program(const std::string& exe, const std::string& workingFolder,
                 const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command = "\"" + exe + "\"";
  if (!arguments.empty()) command += ' ' + arguments;
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.c_str(), &startup, &info_))
    info_ = {};
}

Program::~Program() {
  if (info_.hProcess) {
    if (running()) TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool Program::running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(DWORD milliseconds) {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

::testing::AssertionResult Program::Ends(DWORD milliseconds, DWORD expected) {
  const DWORD start = GetTickCount();
  // A box already up is one the caller has just answered: it may take a
  // moment to go, but not long.
  const HWND answered = FindMessageBox(pid());
  while (running()) {
    if (HWND box = FindMessageBox(pid()); box && (box != answered || GetTickCount() - start > 5000))
      return ::testing::AssertionFailure()
             << "it shows a box nobody expected, \"" << Text(box) << "\": " << MessageBoxText(box);
    if (GetTickCount() - start > milliseconds)
      return ::testing::AssertionFailure() << "still running after " << milliseconds << " ms";
    WaitForSingleObject(info_.hProcess, 50);
  }
  DWORD code = STILL_ACTIVE;
  if (!info_.hProcess || !GetExitCodeProcess(info_.hProcess, &code))
    return ::testing::AssertionFailure() << "it never started";
  if (code != expected) {
    char text[64];
    std::snprintf(text, sizeof text, "it ended with exit code 0x%lX, not %lu",
                  static_cast<unsigned long>(code), static_cast<unsigned long>(expected));
    return ::testing::AssertionFailure() << text;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program::Close(DWORD milliseconds, DWORD expected) {
  // A box up now would go with the window that owns it.
  if (HWND box = FindMessageBox(pid()))
    return ::testing::AssertionFailure()
           << "asked to close, it shows a box nobody answered, \"" << Text(box) << "\": " << MessageBoxText(box);
  for (HWND w : TopWindows(pid(), false))
    if (ClassName(w) != "#32770") PostMessageA(w, WM_CLOSE, 0, 0);
  return Ends(milliseconds, expected);
}

namespace {
struct WindowQuery {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM l) {
  auto* q = reinterpret_cast<WindowQuery*>(l);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == q->pid && (!q->visibleOnly || IsWindowVisible(w))) q->found.push_back(w);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly) {
  WindowQuery query{pid, visibleOnly, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitFor(const std::function<HWND()>& find, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND w = find()) return w;
    if (GetTickCount() - start > milliseconds) return nullptr;
    Sleep(50);
  }
}

std::string Text(HWND window) {
  char text[4096] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

HWND FindMessageBox(DWORD pid) {
  for (HWND w : TopWindows(pid))
    if (ClassName(w) == "#32770") return w;
  return nullptr;
}

std::string MessageBoxText(HWND box) {
  // The text is the Static child with an id of 0xFFFF.
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? Text(text) : std::string();
}

HWND ToolTipWindowOf(HWND owner) {
  DWORD pid = 0;
  GetWindowThreadProcessId(owner, &pid);
  // Made right after the form's first paint, which may still be under way.
  return WaitFor(
      [&]() -> HWND {
        for (HWND w : TopWindows(pid, false))
          if (ClassName(w) == "tooltips_class32" && GetWindow(w, GW_OWNER) == owner) return w;
        return nullptr;
      },
      5000);
}

std::string RemoteToolTipText(HWND tips, HWND owner, HWND child) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tips, &pid);
  const HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return {};
  // The wide form: the ANSI one stops at 80 characters under Wine.
  constexpr SIZE_T kChars = 4096;
  char* remote = static_cast<char*>(VirtualAllocEx(
      process, nullptr, sizeof(TOOLINFOW) + kChars * sizeof(WCHAR), MEM_COMMIT, PAGE_READWRITE));
  std::string text;
  if (remote) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(child);
    tool.lpszText = reinterpret_cast<LPWSTR>(remote + sizeof tool);
    const WCHAR nothing = 0;
    WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
    WriteProcessMemory(process, remote + sizeof tool, &nothing, sizeof nothing, nullptr);
    if (SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(remote))) {
      std::wstring wide(kChars, L'\0');
      SIZE_T read = 0;
      ReadProcessMemory(process, remote + sizeof tool, wide.data(), kChars * sizeof(WCHAR), &read);
      wide.resize(wcsnlen(wide.c_str(), kChars));
      const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
      text.assign(static_cast<size_t>(n), '\0');
      WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(), n,
                          nullptr, nullptr);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

std::string RunCapture(const std::string& exe, const std::string& arguments,
                       const std::string& workingFolder, DWORD& exitCode) {
  exitCode = STILL_ACTIVE;
  char temp[MAX_PATH] = {}, file[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  GetTempFileNameA(temp, "zcap", 0, file);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string command = "\"" + exe + "\"";
  if (!arguments.empty()) command += ' ' + arguments;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     workingFolder.c_str(), &startup, &info)) {
    if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 99);
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  CloseHandle(out);
  const std::string text = ReadText(file);
  DeleteFileA(file);
  return text;
}

void Press(WORD key, bool shift, bool ctrl, bool alt) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (shift) add(VK_SHIFT, false);
  if (ctrl) add(VK_CONTROL, false);
  if (alt) add(VK_MENU, false);
  add(key, false);
  add(key, true);
  if (alt) add(VK_MENU, true);
  if (ctrl) add(VK_CONTROL, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::string ClipboardText() {
  if (!OpenClipboard(nullptr)) return {};
  std::string text;
  // As another program pastes it: Unicode text, here as UTF-8.
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
      text.assign(n > 0 ? n - 1 : 0, '\0');
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

std::string CopyReport(HWND window) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  std::string report;
  WaitFor(
      [&]() -> HWND {
        SetForegroundWindow(window);
        Press('C', false, true);
        Sleep(200);
        report = ClipboardText();
        return report.empty() ? nullptr : window;
      },
      10000);
  return report;
}

std::string NoAccessibleObjects() {
  static const std::string why = []() -> std::string {
    const HWND window = CreateWindowA("STATIC", "probe", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr,
                                      nullptr, nullptr);
    IAccessible* object = nullptr;
    HRESULT hr = CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                                           reinterpret_cast<void**>(&object));
    VARIANT self{}, role{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    if (SUCCEEDED(hr)) hr = object->get_accRole(self, &role);
    if (object) object->Release();
    DestroyWindow(window);
    char text[128] = {};
    if (FAILED(hr))
      std::snprintf(text, sizeof text, "no accessible objects for screen readers here: "
                    "CreateStdAccessibleObject or get_accRole answered 0x%08lX", static_cast<unsigned long>(hr));
    return text;
  }();
  return why;
}

}  // namespace gui
