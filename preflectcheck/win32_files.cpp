#include "preflectcheck/win32_files.h"

#include "platform/services.h"
#include "platform/win32/win32.h"

namespace checktool {
namespace {

using platform::win32::ScopedHandle;
using platform::win32::WideFromUtf8;

std::string Reason(platform::Status status) { return platform::StatusText(status); }
std::string LastReason() { return Reason(platform::win32::LastStatus()); }

class Win32Replacer : public FileReplacer {
 public:
  ~Win32Replacer() override { Discard(); }

  std::string Create(const std::string& path) override {
    target_ = WideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastReason();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
    if (attributes & FILE_ATTRIBUTE_READONLY) return "the file is read-only";
    // Beside it, so that the replacement stays on its volume; a name no
    // one else uses, made by this call alone (CREATE_NEW).
    for (unsigned n = 0; n < 100; ++n) {
      temp_ = target_ + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n) +
              L".tmp";
      file_ = ScopedHandle(CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file_.valid()) return {};
      if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    const std::string why = LastReason();
    temp_.clear();
    return why;
  }

  std::string Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
      DWORD written = 0;
      if (!WriteFile(file_.get(), bytes.data(), piece, &written, nullptr)) return LastReason();
      if (written == 0) return "nothing could be written";
      bytes.remove_prefix(written);
    }
    return {};
  }

  std::string Flush() override {
    return FlushFileBuffers(file_.get()) ? std::string() : LastReason();
  }

  std::string Close() override {
    return CloseHandle(file_.Release()) ? std::string() : LastReason();
  }

  std::string Replace() override {
    if (ReplaceFileW(target_.c_str(), temp_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
      temp_.clear();
      return {};
    }
    const DWORD error = GetLastError();
    // A volume that cannot replace files (some shares, FAT): a move over
    // it, written through, is what remains.
    if (error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
        error != ERROR_INVALID_PARAMETER)
      return Reason(static_cast<platform::Status>(error));
    if (!MoveFileExW(temp_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return LastReason();
    temp_.clear();
    return {};
  }

  void Discard() override {
    file_.Reset();
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
    temp_.clear();
  }

 private:
  std::wstring target_, temp_;
  ScopedHandle file_;
};

}  // namespace

FileRead ReadWin32File(const std::string& path) {
  FileRead read;
  std::unique_ptr<platform::HeldFile> file;
  platform::FileKind kind = platform::FileKind::Regular;
  const platform::Status status = platform::Os().files->OpenHeld(path, file, kind);
  if (kind != platform::FileKind::Regular) {
    read.kind = kind == platform::FileKind::Folder ? PathKind::Folder : PathKind::Other;
    return read;
  }
  if (status != platform::kOk) {
    read.kind = status == platform::kErrorFileNotFound || status == platform::kErrorPathNotFound
                    ? PathKind::None
                    : PathKind::File;
    read.reason = Reason(status);
    return read;
  }
  std::string bytes;
  std::string piece(64 * 1024, '\0');
  for (;;) {
    std::size_t got = 0;
    const platform::Status failed = file->Read(piece.data(), piece.size(), got);
    if (failed != platform::kOk) {
      read.reason = Reason(failed);
      return read;
    }
    if (got == 0) break;
    bytes.append(piece, 0, got);
  }
  read.bytes = std::move(bytes);
  return read;
}

PathKind Win32KindOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder : PathKind::File;
}

std::unique_ptr<FileReplacer> NewWin32Replacer() { return std::make_unique<Win32Replacer>(); }

}  // namespace checktool
