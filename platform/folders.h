#pragma once
// The system's well-known folders. Each call fills a caller-sized buffer the
// way the system call does: the answer is the buffer's text up to its first
// NUL, and the rest of the buffer is as the call left it.
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace platform {

inline constexpr int kCsidlPersonal = 5;          // the user's documents
inline constexpr int kCsidlMyDocuments = 12;      // documents as the desktop shows them
inline constexpr int kCsidlCommonAppData = 35;    // machine-wide application data

// The folders start-up needs by name.
enum class NamedFolder { Program, CommonAppData, Temp };

class SystemFolders {
 public:
  virtual ~SystemFolders() = default;
  // Special folder path (owner window 1, access token -1); `buffer` keeps
  // its length. A call that answers without a path fails too.
  virtual Status GetFolderPath(int csidl, std::uint32_t flags, std::string& buffer) = 0;
  // These answer as the system calls do, with the length of the text they
  // wrote, or the buffer size they need, and 0 when they failed: the
  // callers' buffer logic is built on those answers.
  // The temporary folder.
  virtual std::uint32_t GetTempPath(std::string& buffer) = 0;
  virtual std::uint32_t GetSystemDirectory(std::string& buffer) = 0;
  virtual std::uint32_t GetWindowsDirectory(std::string& buffer) = 0;
  // The folder's name as the system holds it, every character kept, for
  // messages: where the ANSI code page is not UTF-8, the calls above turn a
  // character outside it into "?". Empty when the system cannot say.
  virtual std::string ExactName(NamedFolder folder) = 0;
};

}  // namespace platform
