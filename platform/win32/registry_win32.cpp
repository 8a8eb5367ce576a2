#include "platform/win32/services_win32.h"

namespace platform::win32 {
namespace {

HKEY AsKey(std::uintptr_t handle) { return reinterpret_cast<HKEY>(handle); }
HKEY RootKey(std::int32_t root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<std::uint32_t>(root)));
}

}  // namespace

Status WinRegistry::OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                          RegKeyHandle& key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(RootKey(root), ToAnsi(subKey).c_str(), 0, access, &opened);
  key = status == ERROR_SUCCESS ? reinterpret_cast<RegKeyHandle>(opened) : 0;
  return status;
}

Status WinRegistry::CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                            RegKeyHandle& key) {
  HKEY created = nullptr;
  const LONG status =
      RegCreateKeyExA(RootKey(root), ToAnsi(subKey).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr);
  key = status == ERROR_SUCCESS ? reinterpret_cast<RegKeyHandle>(created) : 0;
  return status;
}

Status WinRegistry::QueryValueInfo(RegKeyHandle key, const std::string& valueName,
                                 RegValueInfo& info) {
  DWORD type = 0, size = 0;
  const LONG status =
      RegQueryValueExA(AsKey(key), ToAnsi(valueName).c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_SUCCESS) info = {type, size};
  return status;
}

Status WinRegistry::QueryValueData(RegKeyHandle key, const std::string& valueName,
                                 std::uint32_t& type, std::string& data) {
  // The value may have changed size since it was asked: never take more
  // than the buffer holds, nor more than the system says it wrote.
  const DWORD capacity = static_cast<DWORD>(data.size());
  DWORD size = capacity;
  DWORD storedType = 0;
  BYTE empty = 0;
  BYTE* buffer = capacity ? reinterpret_cast<BYTE*>(data.data()) : &empty;
  const LONG status =
      RegQueryValueExA(AsKey(key), ToAnsi(valueName).c_str(), nullptr, &storedType, buffer, &size);
  type = storedType;
  if (status == ERROR_SUCCESS) data.resize(size < capacity ? size : capacity);
  return status;
}

Status WinRegistry::SetValue(RegKeyHandle key, const std::string& valueName, std::uint32_t type,
                           const std::string& data) {
  return RegSetValueExA(AsKey(key), ToAnsi(valueName).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

void WinRegistry::CloseKey(RegKeyHandle key) {
  if (key) RegCloseKey(AsKey(key));
}

}  // namespace platform::win32
