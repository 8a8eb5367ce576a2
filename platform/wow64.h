#pragma once
// The 64-bit side of Windows as a 32-bit program sees it: whether the
// program runs on 64-bit Windows at all, and the file-system redirection
// that shows it the 32-bit system folder in place of the 64-bit one.
#include <cstdint>
#include <utility>

#include "platform/error.h"

namespace platform {

class Wow64 {
 public:
  virtual ~Wow64() = default;
  // This program's own bitness, 32 or 64: the registry view and system
  // folder it sees by itself.
  virtual int ProgramBits() { return sizeof(void*) == 4 ? 32 : 64; }
  // True for a 32-bit program on 64-bit Windows: it sees the 32-bit
  // registry view and file system unless it asks for the other side.
  virtual bool IsWow64Process() = 0;
  // Turns redirection off for this thread, after loading every DLL a file
  // check needs (a DLL loaded while it is off would come from the 64-bit
  // folder). `cookie` is for Revert. Fails where there is no redirection.
  virtual Status DisableFsRedirection(std::uintptr_t& cookie) = 0;
  virtual void RevertFsRedirection(std::uintptr_t cookie) = 0;
};

// Redirection off while it lives, for the fewest calls possible; nothing
// at all where there is no redirection (32-bit Windows, a 64-bit program).
class ScopedNativeFileSystem {
 public:
  ScopedNativeFileSystem(Wow64* wow64, bool wanted) {
    if (wanted && wow64 && wow64->IsWow64Process() && wow64->DisableFsRedirection(cookie_) == kOk)
      wow64_ = wow64;
  }
  ~ScopedNativeFileSystem() {
    if (wow64_) wow64_->RevertFsRedirection(cookie_);
  }
  ScopedNativeFileSystem(const ScopedNativeFileSystem&) = delete;
  ScopedNativeFileSystem& operator=(const ScopedNativeFileSystem&) = delete;
  // Whether this scope reads the 64-bit file system.
  bool active() const { return wow64_ != nullptr; }

 private:
  Wow64* wow64_ = nullptr;
  std::uintptr_t cookie_ = 0;
};

}  // namespace platform
