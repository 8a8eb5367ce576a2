#include "preflectcheck/offline_services.h"

#include <nettle/sha2.h>

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
  std::string Describe(platform::Status status) override {
    if (status == platform::kErrorFileNotFound) return "The file does not exist.";
    if (status == platform::kErrorAccessDenied) return "Access is denied.";
    return {};
  }
};

// SHA-256 from nettle, as Debian packages it. Paths from the requirements
// file are written with Windows' backslashes.
class NettleHasher : public platform::FileHasher {
 public:
  platform::Status Sha256(const std::string& path, platform::Sha256Digest& digest) override {
    std::string local = path;
    std::replace(local.begin(), local.end(), '\\', '/');
    std::FILE* file = std::fopen(local.c_str(), "rb");
    if (!file)
      return errno == ENOENT || errno == ENOTDIR ? platform::kErrorFileNotFound
                                                 : platform::kErrorAccessDenied;
    sha256_ctx context;
    sha256_init(&context);
    std::vector<std::uint8_t> piece(64 * 1024);
    std::size_t got = 0;
    while ((got = std::fread(piece.data(), 1, piece.size(), file)) > 0)
      sha256_update(&context, got, piece.data());
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return platform::kErrorAccessDenied;
    sha256_digest(&context, SHA256_DIGEST_SIZE, digest.data());
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
  platform::Install(s);
}

OfflineServices::~OfflineServices() { platform::Install(parts_->previous); }

}  // namespace checktool
