#pragma once
// The services lint and explain need where the checker does not run (Linux,
// macOS): the file's bytes read as Windows-1252, the checker's usual ANSI
// code page; folder tokens of Windows folders replaced by placeholders
// that say which folder; SHA-256 from nettle for pin and verify; no
// registry, files or windows at all.
#include <memory>

namespace checktool {

class OfflineServices {
 public:
  OfflineServices();  // installs them
  ~OfflineServices();
  OfflineServices(const OfflineServices&) = delete;
  OfflineServices& operator=(const OfflineServices&) = delete;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace checktool
