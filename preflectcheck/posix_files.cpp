#include "preflectcheck/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace checktool {
namespace {

std::string Reason(int error) { return std::strerror(error); }

PathKind KindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return PathKind::File;
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  return PathKind::Other;
}

class PosixReplacer : public FileReplacer {
 public:
  ~PosixReplacer() override { Discard(); }

  std::string Create(const std::string& path) override {
    // The file a link names is the one replaced; the link stays.
    char real[PATH_MAX];
    if (!::realpath(path.c_str(), real)) return Reason(errno);
    target_ = real;
    struct stat st {};
    if (::stat(target_.c_str(), &st) != 0) return Reason(errno);
    if (!S_ISREG(st.st_mode)) return "it is not a regular file";
    // Read-only for everyone: not to be changed, even by root.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return "the file is read-only";
    if (::access(target_.c_str(), W_OK) != 0) return Reason(errno);
    const std::size_t slash = target_.rfind('/');
    temp_ = target_.substr(0, slash + 1) + "." + target_.substr(slash + 1) + ".XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
      const int error = errno;
      temp_.clear();
      return Reason(error);
    }
    // The old file's mode and, where allowed, its owner.
    if (::fchmod(fd_, st.st_mode & 07777) != 0) return Reason(errno);
    if (::fchown(fd_, st.st_uid, st.st_gid) != 0 && errno != EPERM) return Reason(errno);
    return {};
  }

  std::string Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return n < 0 ? Reason(errno) : "nothing could be written";
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
  }

  std::string Flush() override { return ::fsync(fd_) == 0 ? std::string() : Reason(errno); }

  std::string Close() override {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? std::string() : Reason(errno);
  }

  std::string Replace() override {
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return Reason(errno);
    temp_.clear();
    // The rename itself on the disk too; the data already is.
    const std::string folder = target_.substr(0, target_.rfind('/') + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
    return {};
  }

  void Discard() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
  }

 private:
  std::string target_, temp_;
  int fd_ = -1;
};

}  // namespace

FileRead ReadPosixFile(const std::string& path) {
  FileRead read;
  // Not blocking on a FIFO without a writer: looked at, not waited for.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    read.kind = error == ENOENT ? PathKind::None : PathKind::File;
    read.reason = Reason(error);
    return read;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    read.reason = Reason(errno);
    ::close(fd);
    return read;
  }
  read.kind = KindOf(st);
  if (read.kind != PathKind::File) {
    ::close(fd);
    return read;
  }
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      read.reason = Reason(errno);
      ::close(fd);
      return read;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  read.bytes = std::move(bytes);
  return read;
}

PathKind PosixKindOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? KindOf(st) : PathKind::None;
}

std::string PosixRealFolder(const std::string& folder) {
  char real[PATH_MAX];
  return ::realpath(folder.c_str(), real) ? std::string(real) : std::string();
}

std::unique_ptr<FileReplacer> NewPosixReplacer() { return std::make_unique<PosixReplacer>(); }

}  // namespace checktool
