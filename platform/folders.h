#pragma once
// The system's well-known folders. Each call fills a caller-sized buffer the
// way the system call does: the answer is the buffer's text up to its first
// NUL, and the rest of the buffer is as the call left it.
#include <cstdint>
#include <string>

namespace platform {

inline constexpr int kCsidlPersonal = 5;          // the user's documents
inline constexpr int kCsidlMyDocuments = 12;      // documents as the desktop shows them
inline constexpr int kCsidlCommonAppData = 35;    // machine-wide application data

class SystemFolders {
 public:
  virtual ~SystemFolders() = default;
  // Special folder path (owner window 1, access token -1). Returns the
  // HRESULT; `buffer` keeps its length.
  virtual long GetFolderPath(int csidl, std::uint32_t flags, std::string& buffer) = 0;
  // The temporary folder; returns the length the system reported (0: failure).
  virtual std::uint32_t GetTempPath(std::string& buffer) = 0;
  virtual std::uint32_t GetSystemDirectory(std::string& buffer) = 0;
  virtual std::uint32_t GetWindowsDirectory(std::string& buffer) = 0;
};

}  // namespace platform
