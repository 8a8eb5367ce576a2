#pragma once
// File system queries and changes at the level the checker needs them.
// Paths are UTF-8. Failures are reported as a Status (platform/error.h).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/error.h"

namespace platform {

enum class EntryKinds {
  NormalFiles,      // files that are neither hidden nor system
  FilesAndFolders,  // the same, and folders that are neither hidden nor system
  Any,              // whatever the search returns first, whatever its attributes
};

// What a path names when it is opened as a file.
enum class FileKind {
  Regular,  // a file on a disk
  Folder,
  Device,   // a device, pipe or console: reading it may block or never end
};

// A file opened for reading that nobody can change, rename, replace or
// delete until it is closed (when it goes): what was checked is what is
// used.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  // Up to `size` next bytes; `got` is 0 at the end of the file.
  virtual Status Read(char* buffer, std::size_t size, std::size_t& got) = 0;
  // The path of the file held, as the system resolved it: every junction
  // and link on the way followed, so that no one can re-point them to
  // another file meanwhile. Empty when the system cannot say.
  virtual std::string FinalPath() const { return {}; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Directory search for a pattern (wildcards allowed in the last part):
  // the name, without folder, of the first entry of the given kinds; none
  // when nothing matches, also for a pattern the system rejects. `failure`
  // says why the search could not look at all (access denied, a drive not
  // ready, a network path out of reach); kOk when it looked, found or not.
  virtual std::optional<std::string> FindFirst(const std::string& pattern, EntryKinds kinds,
                                               Status& failure) = 0;
  std::optional<std::string> FindFirst(const std::string& pattern, EntryKinds kinds) {
    Status ignored = kOk;
    return FindFirst(pattern, kinds, ignored);
  }
  // Opens the file for reading (shared read, existing file only) and
  // closes it at once.
  virtual Status TryOpenForRead(const std::string& path) = 0;
  // The whole file's bytes; `bytes` is untouched on failure.
  virtual Status ReadAll(const std::string& path, std::string& bytes) = 0;
  virtual Status CreateFolder(const std::string& path) = 0;
  // Creates or replaces the file with exactly `bytes`.
  virtual Status WriteFile(const std::string& path, const std::string& bytes) = 0;
  virtual Status DeleteFile(const std::string& path) = 0;
  // Opens an existing regular file for reading and holds it (HeldFile).
  // A folder, device or pipe is not opened: `kind` says which it is and
  // the answer is kErrorNotAFile. `file` is untouched on failure.
  virtual Status OpenHeld(const std::string& path, std::unique_ptr<HeldFile>& file,
                          FileKind& kind) = 0;
  // Whether a call on `path` may hold its caller for long: anything but a
  // local fixed disk (a network share that dropped waits for the network's
  // time-out; a removable or optical drive spins up).
  virtual bool MayBlock(const std::string& path) {
    (void)path;
    return false;
  }
};

}  // namespace platform
