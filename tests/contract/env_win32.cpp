// The contract environment on Windows (or Wine): the real services, a
// scratch folder under the temporary folder and a scratch key under HKCU.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/services_win32.h"
#include "tests/contract/env.h"

namespace contract {
namespace {

const char* const kScratchRoot = "Software\\ZantrixContractTests";

std::string ExeFolder() {
  const std::string path = platform::win32::ExecutablePath();
  return path.substr(0, path.rfind('\\'));
}

REGSAM OtherView() { return sizeof(void*) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

HKEY Root(std::int32_t root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<std::uint32_t>(root)));
}

class WinEnv : public Env {
 public:
  WinEnv() {
    platform::win32::InstallServices();
    services_ = platform::Os();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    base_ = std::string(temp) + "zantrix-contract-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(base_.c_str(), nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchRoot);
  }
  ~WinEnv() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchRoot);
    for (const std::string& key : otherViewKeys_)
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), OtherView(), 0);
    RemoveTree(base_);
    InNativeFileSystem([&] {
      for (const std::string& path : nativeFiles_) DeleteFileA(path.c_str());
    });
  }
  const platform::Services& os() override { return services_; }
  std::string ScratchFolder() override {
    const std::string path = base_ + "\\t" + std::to_string(++folders_);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }
  void MakeFile(const std::string& path, const std::string& bytes, bool hidden,
                bool system) override {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (h != INVALID_HANDLE_VALUE) {
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(h);
    }
    DWORD attributes = 0;
    if (hidden) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (system) attributes |= FILE_ATTRIBUTE_SYSTEM;
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
  }
  void MakeFolder(const std::string& path) override { CreateDirectoryA(path.c_str(), nullptr); }
  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::string ScratchKey() override {
    const std::string key = std::string(kScratchRoot) + "\\k" + std::to_string(++keys_);
    HKEY h = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                    nullptr);
    if (h) RegCloseKey(h);
    return key;
  }
  void PutRaw(std::int32_t root, const std::string& key, const std::string& name,
              std::uint32_t type, const std::string& bytes) override {
    HKEY h = nullptr;
    RegCreateKeyExA(Root(root), key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    if (!h) return;
    RegSetValueExA(h, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(h);
  }
  void PutOtherView(const std::string& key, const std::string& name,
                    const std::string& text) override {
    HKEY h = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | OtherView(),
                    nullptr, &h, nullptr);
    if (!h) return;
    RegSetValueExA(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(h);
    otherViewKeys_.push_back(key);
  }
  bool PutNativeSystemFile(const std::string& name, Fixture fixture) override {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string path = std::string(system) + "\\" + name;
    nativeFiles_.push_back(path);
    return InNativeFileSystem([&] { CopyFileA(FixturePath(fixture).c_str(), path.c_str(), FALSE); });
  }
  bool HasOtherRegistryView() override {
    BOOL wow = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow) && wow);
  }
  bool GetRaw(std::int32_t root, const std::string& key, const std::string& name,
              std::uint32_t& type, std::string& bytes) override {
    HKEY h = nullptr;
    if (RegOpenKeyExA(Root(root), key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
      return false;
    DWORD t = 0, size = 0;
    bool ok = RegQueryValueExA(h, name.c_str(), nullptr, &t, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
      bytes.assign(size, '\0');
      ok = RegQueryValueExA(h, name.c_str(), nullptr, &t,
                            reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS;
      bytes.resize(size);
      type = t;
    }
    RegCloseKey(h);
    return ok;
  }
  std::string FixturePath(Fixture fixture) override {
    switch (fixture) {
      case Fixture::Version6123: return ExeFolder() + "\\fixture_v6123.dll";
      case Fixture::Build40000: return ExeFolder() + "\\fixture_b40000.dll";
      case Fixture::NoVersionInfo: return ExeFolder() + "\\fixture_noversion.dll";
    }
    return {};
  }
  bool RealSystem() const override { return true; }

 private:
  // Runs `work` with file-system redirection off where there is any; says
  // whether there was.
  template <typename Work>
  static bool InNativeFileSystem(Work work) {
    BOOL wow = FALSE;
    PVOID old = nullptr;
    const bool off = IsWow64Process(GetCurrentProcess(), &wow) && wow &&
                     Wow64DisableWow64FsRedirection(&old);
    work();
    if (off) Wow64RevertWow64FsRedirection(old);
    return off;
  }
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
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

  platform::Services services_;
  std::string base_;
  int folders_ = 0;
  std::vector<std::string> otherViewKeys_;
  std::vector<std::string> nativeFiles_;
  int keys_ = 0;
};

}  // namespace

Env& TheEnv() {
  static WinEnv env;
  return env;
}

}  // namespace contract
