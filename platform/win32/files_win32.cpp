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

struct Handle {
  HANDLE h;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

}  // namespace

std::optional<std::string> WinFileSystem::FindFirst(const std::string& pattern,
                                                    EntryKinds kinds) {
  if (pattern.empty()) return std::nullopt;
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA(ToAnsi(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> name;
  do {
    if (Wanted(found, kinds)) {
      found.cFileName[MAX_PATH - 1] = '\0';
      name = FromAnsi(found.cFileName);
      break;
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return name;
}

bool WinFileSystem::CanOpenForRead(const std::string& path) {
  const HANDLE h = CreateFileA(ToAnsi(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::string WinFileSystem::ReadAll(const std::string& path) {
  const std::string what = "Could not read the file";
  Handle file{CreateFileA(ToAnsi(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
  if (file.h == INVALID_HANDLE_VALUE) ThrowLastError(what, path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.h, &size)) ThrowLastError(what, path);
  // A 32-bit program cannot hold more than this in one piece anyway.
  if (size.QuadPart > 0x40000000) {
    throw OsError(ERROR_NOT_ENOUGH_MEMORY,
                  DescribeFailure(what, path, SystemText(ERROR_NOT_ENOUGH_MEMORY)));
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                    nullptr))
      ThrowLastError(what, path);
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

void WinFileSystem::CreateFolder(const std::string& path) {
  if (!CreateDirectoryA(ToAnsi(path).c_str(), nullptr))
    ThrowLastError("Could not create the folder", path);
}

void WinFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  const std::string what = "Could not write the file";
  Handle file{CreateFileA(ToAnsi(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.h == INVALID_HANDLE_VALUE) ThrowLastError(what, path);
  DWORD written = 0;
  if (!bytes.empty() && (!::WriteFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()),
                                      &written, nullptr) ||
                         written != bytes.size()))
    ThrowLastError(what, path);
}

void WinFileSystem::DeleteFile(const std::string& path) {
  if (!::DeleteFileA(ToAnsi(path).c_str())) ThrowLastError("Could not delete the file", path);
}

}  // namespace platform::win32
