#include "platform/win32/services_win32.h"

namespace platform::win32 {
namespace {

bool Wanted(const WIN32_FIND_DATAA& found, EntryKinds kinds) {
  if (kinds == EntryKinds::Any) return true;
  const DWORD a = found.dwFileAttributes;
  if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
  if (a & FILE_ATTRIBUTE_DIRECTORY) {
    const std::string name = found.cFileName;
    return kinds == EntryKinds::FilesAndFolders && name != "." && name != "..";
  }
  return true;
}

// The answers that mean the search looked and nothing was there, or that
// no such name can exist; anything else kept it from looking.
Status SearchFailure(Status status) {
  switch (status) {
    case kErrorFileNotFound:
    case kErrorPathNotFound:
    case kErrorNoMoreFiles:
    case kErrorInvalidName:
    case kErrorInvalidParameter:
      return kOk;
    default:
      return status;
  }
}

ScopedHandle OpenForRead(const std::string& path, DWORD flags) {
  return ScopedHandle(CreateFileA(ToAnsi(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, flags, nullptr));
}

}  // namespace

std::optional<std::string> WinFileSystem::FindFirst(const std::string& pattern,
                                                    EntryKinds kinds, Status& failure) {
  failure = kOk;
  if (pattern.empty()) return std::nullopt;
  WIN32_FIND_DATAA found{};
  const ScopedFind search(FindFirstFileA(ToAnsi(pattern).c_str(), &found));
  if (!search.valid()) {
    failure = SearchFailure(LastStatus());
    return std::nullopt;
  }
  do {
    if (Wanted(found, kinds)) {
      found.cFileName[MAX_PATH - 1] = '\0';
      return FromAnsi(found.cFileName);
    }
  } while (FindNextFileA(search.get(), &found));
  return std::nullopt;
}

Status WinFileSystem::TryOpenForRead(const std::string& path) {
  return OpenForRead(path, 0).valid() ? kOk : LastStatus();
}

Status WinFileSystem::ReadAll(const std::string& path, std::string& bytes) {
  const ScopedHandle file = OpenForRead(path, FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file.valid()) return LastStatus();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return LastStatus();
  // A 32-bit program cannot hold more than this in one piece anyway.
  if (size.QuadPart > 0x40000000) return kErrorNotEnoughMemory;
  std::string read(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < read.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), read.data() + done, static_cast<DWORD>(read.size() - done), &got,
                    nullptr))
      return LastStatus();
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  read.resize(done);
  bytes = std::move(read);
  return kOk;
}

Status WinFileSystem::CreateFolder(const std::string& path) {
  return CreateDirectoryA(ToAnsi(path).c_str(), nullptr) ? kOk : LastStatus();
}

Status WinFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  const ScopedHandle file(CreateFileA(ToAnsi(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return LastStatus();
  if (bytes.empty()) return kOk;
  DWORD written = 0;
  if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return LastStatus();
  return written == bytes.size() ? kOk : ERROR_HANDLE_DISK_FULL;
}

Status WinFileSystem::DeleteFile(const std::string& path) {
  return ::DeleteFileA(ToAnsi(path).c_str()) ? kOk : LastStatus();
}

}  // namespace platform::win32
