#pragma once
// Registry access at the level of the advapi32 calls: open or create a key,
// ask a value's type and size, read its data, write it, close the key.
// Key and value names are UTF-8; value data are the raw stored bytes.
#include <cstdint>
#include <string>
#include <utility>

#include "platform/error.h"

namespace platform {

using RegKeyHandle = std::uintptr_t;  // 0: no key

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
// Added to an access: the 64-bit or the 32-bit view of the registry, which
// a program of the other bitness on 64-bit Windows does not see by itself.
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

inline constexpr std::int32_t kHkeyClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t kHkeyUsers = static_cast<std::int32_t>(0x80000003u);
inline constexpr std::int32_t kHkeyCurrentConfig = static_cast<std::int32_t>(0x80000005u);

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

struct RegValueInfo {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // `key` is left 0 on failure.
  virtual Status OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                       RegKeyHandle& key) = 0;
  // Opens the key, creating missing parts, non-volatile, default security.
  virtual Status CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                         RegKeyHandle& key) = 0;
  // The value's stored type and data size, without reading the data.
  virtual Status QueryValueInfo(RegKeyHandle key, const std::string& valueName,
                              RegValueInfo& info) = 0;
  // Reads at most data.size() bytes; `data` is cut to the bytes the system
  // reported, never longer than it was. `type` receives the stored type.
  virtual Status QueryValueData(RegKeyHandle key, const std::string& valueName,
                              std::uint32_t& type, std::string& data) = 0;
  virtual Status SetValue(RegKeyHandle key, const std::string& valueName, std::uint32_t type,
                        const std::string& data) = 0;
  virtual void CloseKey(RegKeyHandle key) = 0;
};

// An open key that closes itself when it goes. It can be moved, not
// copied, so no path can leak the key or close it twice.
class ScopedKey {
 public:
  explicit ScopedKey(Registry& registry) : registry_(&registry) {}
  ~ScopedKey() { Close(); }
  ScopedKey(ScopedKey&& other) noexcept
      : registry_(other.registry_), key_(std::exchange(other.key_, 0)) {}
  ScopedKey& operator=(ScopedKey&& other) noexcept {
    if (this != &other) {
      Close();
      registry_ = other.registry_;
      key_ = std::exchange(other.key_, 0);
    }
    return *this;
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegKeyHandle get() const { return key_; }
  // For the call that opens it: closes what is held and hands out the slot.
  RegKeyHandle& Receive() {
    Close();
    return key_;
  }
  void Close() {
    if (key_) registry_->CloseKey(std::exchange(key_, 0));
  }

 private:
  Registry* registry_;
  RegKeyHandle key_ = 0;
};

}  // namespace platform
