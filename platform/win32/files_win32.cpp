#include <algorithm>
#include <map>
#include <memory>

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

// A file held for reading: shared with readers only, so no one can write,
// rename, replace or delete it while the handle lives.
class WinHeldFile : public HeldFile {
 public:
  explicit WinHeldFile(ScopedHandle file) : file_(std::move(file)) {}
  Status Read(char* buffer, std::size_t size, std::size_t& got) override {
    DWORD read = 0;
    got = 0;
    if (!::ReadFile(file_.get(), buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)),
                    &read, nullptr))
      return LastStatus();
    got = read;
    return kOk;
  }
  std::string FinalPath() const override {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file_.get(), path.data(), static_cast<DWORD>(path.size()), 0);
    if (length >= path.size()) {
      path.resize(length + 1);
      length = GetFinalPathNameByHandleW(file_.get(), path.data(), static_cast<DWORD>(path.size()), 0);
    }
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    // The shell takes a path as users write it.
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) path = L"\\" + path.substr(7);
    else if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
    return Utf8FromWide(path);
  }

 private:
  ScopedHandle file_;
};

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// "CON", "nul.txt", "COM1": names Windows takes for devices in any folder.
bool IsDeviceName(const std::string& path) {
  std::size_t start = path.find_last_of("\\/:");
  std::string name = path.substr(start == std::string::npos ? 0 : start + 1);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" ||
      name == "CONOUT$")
    return true;
  return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) &&
         name[3] >= '1' && name[3] <= '9';
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

Status WinFileSystem::OpenHeld(const std::string& path, std::unique_ptr<HeldFile>& file,
                               FileKind& kind) {
  kind = FileKind::Regular;
  // Devices and pipes are not even opened: opening a pipe connects to its
  // server, and reading a device may never end.
  const bool devicePath = path.size() >= 4 && IsSlash(path[0]) && IsSlash(path[1]) &&
                          (path[2] == '.' || path[2] == '?') && IsSlash(path[3]);
  const bool longPath = path.size() >= 6 && (path[5] == ':' || (path.compare(4, 4, "UNC\\") == 0 &&
                                                                path[2] == '?'));
  if ((devicePath && !longPath) || IsDeviceName(path)) {
    kind = FileKind::Device;
    return kErrorNotAFile;
  }
  const std::string ansi = ToAnsi(path);
  // A folder would only answer "access denied"; it gets its own answer.
  const DWORD attributes = GetFileAttributesA(ansi.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    kind = FileKind::Folder;
    return kErrorNotAFile;
  }
  ScopedHandle handle(CreateFileA(ansi.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!handle.valid()) return LastStatus();
  if (GetFileType(handle.get()) != FILE_TYPE_DISK) {
    kind = FileKind::Device;
    return kErrorNotAFile;
  }
  file = std::make_unique<WinHeldFile>(std::move(handle));
  return kOk;
}

bool WinFileSystem::MayBlock(const std::string& path) {
  // A share (\\server\share), or a device path: never taken for a local disk.
  if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])) return true;
  char root[] = "?:\\";
  const bool drive = path.size() >= 2 && path[1] == ':';
  if (drive) root[0] = static_cast<char>(path[0] >= 'a' && path[0] <= 'z' ? path[0] - 32 : path[0]);
  // Asking costs a trip to the mount manager (half a millisecond under
  // Wine), once a product: each drive's answer is kept a few seconds, about
  // as long as a drive takes to come or go.
  struct Known {
    UINT type;
    ULONGLONG at;
  };
  static std::map<char, Known> known;  // the window's thread alone asks
  const ULONGLONG now = GetTickCount64();
  auto it = drive ? known.find(root[0]) : known.end();
  if (it == known.end() || now - it->second.at > 5000) {
    const Known answer{GetDriveTypeA(drive ? root : nullptr), now};
    if (!drive) return answer.type != DRIVE_FIXED && answer.type != DRIVE_RAMDISK;
    it = known.insert_or_assign(root[0], answer).first;
  }
  return it->second.type != DRIVE_FIXED && it->second.type != DRIVE_RAMDISK;
}

}  // namespace platform::win32
