#pragma once
// Wine hands web addresses to the programs listed in the value "Browsers"
// of HKCU\Software\Wine\WineBrowser, the address as the last argument. A hook
// points that list at a small shell script of the test's own, which
// appends each address to a log, and puts the list back when it goes.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/gui/driver.h"

namespace gui {

class BrowserHook {
 public:
  explicit BrowserHook(const std::string& name) : folder_(MakeStage("hook-" + name)) {
    log_ = folder_ + "\\browsed.log";
    const std::string script = folder_ + "\\hook.sh";
    WriteText(script, "for a; do last=$a; done\nprintf '%s\\n' \"$last\" >> '" +
                          UnixPath(folder_) + "/browsed.log'\n");
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    char old[2048] = {};
    DWORD size = sizeof old - 1, type = 0;
    if (RegQueryValueExA(key_, "Browsers", nullptr, &type, reinterpret_cast<BYTE*>(old),
                         &size) == ERROR_SUCCESS)
      previous_ = std::string(old);
    // Run by the shell: a file written from Windows is not executable.
    const std::string browsers = "/bin/sh \"" + UnixPath(script) + "\"";
    RegSetValueExA(key_, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browsers.c_str()),
                   static_cast<DWORD>(browsers.size() + 1));
  }
  ~BrowserHook() {
    if (previous_)
      RegSetValueExA(key_, "Browsers", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(previous_->c_str()),
                     static_cast<DWORD>(previous_->size() + 1));
    else
      RegDeleteValueA(key_, "Browsers");
    RegCloseKey(key_);
    RemoveTree(folder_);
  }
  BrowserHook(const BrowserHook&) = delete;
  BrowserHook& operator=(const BrowserHook&) = delete;

  // The addresses handed over so far, oldest first.
  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    FILE* f = std::fopen(log_.c_str(), "r");
    if (!f) return urls;
    char line[2048];
    while (std::fgets(line, sizeof line, f)) {
      std::string url = line;
      while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
      urls.push_back(url);
    }
    std::fclose(f);
    return urls;
  }
  // Polls until at least `count` addresses are in; false on time-out.
  bool WaitForUrls(std::size_t count, DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    while (Urls().size() < count) {
      if (GetTickCount() - start > milliseconds) return false;
      Sleep(50);
    }
    return true;
  }

  // The Unix path of a Windows path, as Wine maps it.
  static std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (char* unix = toUnix ? toUnix(wide) : nullptr) {
      std::string result = unix;
      HeapFree(GetProcessHeap(), 0, unix);
      return result;
    }
    // Z: is the Unix root.
    std::string result = path.size() > 2 && path[1] == ':' ? path.substr(2) : path;
    for (char& c : result)
      if (c == '\\') c = '/';
    return result;
  }

 private:
  static constexpr const char* kKey = "Software\\Wine\\WineBrowser";
  std::string folder_;
  std::string log_;
  HKEY key_ = nullptr;
  std::optional<std::string> previous_;
};

}  // namespace gui
