#include "preflectcheck/offline_services.h"

#include <fcntl.h>
#include <nettle/sha2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/services.h"
#include "platform/text.h"

namespace checktool {
namespace {

class Cp1252 : public platform::CodePage {
 public:
  std::string ToAnsi(const std::string& utf8) override {
    return platform::Utf8ToWindows1252(utf8);
  }
  std::string FromAnsi(const std::string& ansi) override {
    return platform::Windows1252ToUtf8(ansi);
  }
  bool CarriesEveryCharacter() override { return false; }
  bool Holds(const std::string& utf8) override { return FromAnsi(ToAnsi(utf8)) == utf8; }
  // Requirements files are written on Windows: Windows-1252 unless they
  // start with the UTF-8 byte order mark.
  std::string FromLegacyAnsi(const std::string& bytes) override {
    return platform::Windows1252ToUtf8(bytes);
  }
  int LegacyCodePage() override { return 1252; }
};

// What a buffer-filling call answers: the text's length, or the size it
// needs when the buffer is too small.
std::uint32_t Fill(std::string& buffer, const char* text) {
  const std::size_t n = std::strlen(text);
  if (n + 1 > buffer.size()) return static_cast<std::uint32_t>(n + 1);
  std::memcpy(buffer.data(), text, n + 1);
  return static_cast<std::uint32_t>(n);
}

class Placeholders : public platform::SystemFolders {
 public:
  platform::Status GetFolderPath(int, std::uint32_t, std::string&) override {
    return platform::kErrorPathNotFound;
  }
  std::uint32_t GetTempPath(std::string&) override { return 0; }
  std::uint32_t GetSystemDirectory(std::string& buffer) override {
    return Fill(buffer, "<the Windows system folder>");
  }
  std::uint32_t GetWindowsDirectory(std::string& buffer) override {
    return Fill(buffer, "<the Windows folder>");
  }
  std::string ExactName(platform::NamedFolder) override { return {}; }
};

class Tool : public platform::AppInfo {
 public:
  std::string Title() override { return "preflect-check"; }
  platform::AppVersion Version() override { return {}; }
  std::string FileDescription() override { return {}; }
  std::string ExecutableFolder() override { return "<the program folder>"; }
};

class LocalClock : public platform::Clock {
 public:
  platform::Date Today() override { return Now().date; }
  platform::DateTime Now() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour, local.tm_min,
            local.tm_sec};
  }
  std::string DateSeparator() override { return "/"; }
  std::uint64_t Milliseconds() override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
};

class NoMessages : public platform::SystemMessages {
 public:
  // The words for what StatusOf below makes of the system's errors.
  std::string Describe(platform::Status status) override {
    switch (status) {
      case platform::kErrorFileNotFound: return "The file does not exist.";
      case platform::kErrorPathNotFound: return "A folder in the path does not exist.";
      case platform::kErrorAccessDenied: return "Access is denied.";
      case platform::kErrorNotAFile: return "It is not a file.";
      case platform::kErrorInvalidName: return "The name is too long or loops through links.";
      case platform::kErrorNotEnoughMemory: return "Not enough memory.";
      case platform::kErrorOpenFailed: return "The file could not be opened or read.";
      default: return {};
    }
  }
};

// Paths from the requirements file are written with Windows' backslashes.
std::string LocalPath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

platform::Status StatusOf(int error) {
  switch (error) {
    case ENOENT: return platform::kErrorFileNotFound;
    case ENOTDIR: return platform::kErrorPathNotFound;
    case EACCES:
    case EPERM: return platform::kErrorAccessDenied;
    case EISDIR: return platform::kErrorNotAFile;
    case ENAMETOOLONG:
    case ELOOP: return platform::kErrorInvalidName;
    case ENOMEM: return platform::kErrorNotEnoughMemory;
    default: return platform::kErrorOpenFailed;
  }
}

class PosixHeldFile : public platform::HeldFile {
 public:
  explicit PosixHeldFile(int fd) : fd_(fd) {}
  ~PosixHeldFile() override { ::close(fd_); }
  platform::Status Read(char* buffer, std::size_t size, std::size_t& got) override {
    got = 0;
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, size);
      if (n >= 0) {
        got = static_cast<std::size_t>(n);
        return platform::kOk;
      }
      if (errno != EINTR) return StatusOf(errno);
    }
  }

 private:
  int fd_;
};

// The installers pin and verify hash. Nothing else is read or written
// through here: the tool checks no machine where the checker does not run.
class InstallerFiles : public platform::FileSystem {
 public:
  using platform::FileSystem::FindFirst;
  std::optional<std::string> FindFirst(const std::string&, platform::EntryKinds,
                                       platform::Status& failure) override {
    failure = platform::kOk;
    return std::nullopt;
  }
  platform::Status TryOpenForRead(const std::string&) override { return platform::kErrorAccessDenied; }
  platform::Status ReadAll(const std::string&, std::string&) override {
    return platform::kErrorAccessDenied;
  }
  platform::Status CreateFolder(const std::string&) override { return platform::kErrorAccessDenied; }
  platform::Status WriteFile(const std::string&, const std::string&) override {
    return platform::kErrorAccessDenied;
  }
  platform::Status DeleteFile(const std::string&) override { return platform::kErrorAccessDenied; }
  platform::Status OpenHeld(const std::string& path, std::unique_ptr<platform::HeldFile>& file,
                            platform::FileKind& kind) override {
    kind = platform::FileKind::Regular;
    // Not blocking on a FIFO without a writer: it is refused, not waited for.
    const std::string local = LocalPath(path);
    const int fd = ::open(local.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      const int error = errno;
      // A socket cannot even be opened: it is no file either.
      struct stat st {};
      if (::stat(local.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        kind = S_ISDIR(st.st_mode) ? platform::FileKind::Folder : platform::FileKind::Device;
        return platform::kErrorNotAFile;
      }
      return StatusOf(error);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      const int error = errno;
      ::close(fd);
      if (S_ISDIR(st.st_mode)) kind = platform::FileKind::Folder;
      else if (st.st_mode != 0) kind = platform::FileKind::Device;
      else return StatusOf(error);
      return platform::kErrorNotAFile;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file = std::make_unique<PosixHeldFile>(fd);
    return platform::kOk;
  }
};

// SHA-256 from nettle, as Debian packages it.
class NettleSha256 : public platform::Sha256State {
 public:
  NettleSha256() { sha256_init(&context_); }
  platform::Status Update(const char* bytes, std::size_t size) override {
    sha256_update(&context_, size, reinterpret_cast<const std::uint8_t*>(bytes));
    return platform::kOk;
  }
  platform::Status Finish(platform::Sha256Digest& digest) override {
    sha256_digest(&context_, SHA256_DIGEST_SIZE, digest.data());
    return platform::kOk;
  }

 private:
  sha256_ctx context_;
};

class NettleHasher : public platform::FileHasher {
 public:
  platform::Status NewSha256(std::unique_ptr<platform::Sha256State>& state) override {
    state = std::make_unique<NettleSha256>();
    return platform::kOk;
  }
};

}  // namespace

struct OfflineServices::Parts {
  Cp1252 codePage;
  Placeholders folders;
  Tool app;
  LocalClock clock;
  NoMessages messages;
  NettleHasher hasher;
  InstallerFiles files;
  platform::Services previous = platform::Os();
};

OfflineServices::OfflineServices() : parts_(std::make_unique<Parts>()) {
  platform::Services s;
  s.codePage = &parts_->codePage;
  s.folders = &parts_->folders;
  s.app = &parts_->app;
  s.clock = &parts_->clock;
  s.messages = &parts_->messages;
  s.hasher = &parts_->hasher;
  s.files = &parts_->files;
  platform::Install(s);
}

OfflineServices::~OfflineServices() { platform::Install(parts_->previous); }

}  // namespace checktool
