#pragma once
// File system queries and changes at the level the checker needs them.
// Paths are UTF-8. Failures that callers may let propagate throw OsError.
#include <optional>
#include <string>

namespace platform {

enum class EntryKinds {
  NormalFiles,      // files that are neither hidden nor system
  FilesAndFolders,  // the same, and folders that are neither hidden nor system
  Any,              // whatever the search returns first, whatever its attributes
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Directory search for a pattern (wildcards allowed in the last part):
  // the name, without folder, of the first entry of the given kinds. A
  // pattern the system rejects finds nothing.
  virtual std::optional<std::string> FindFirst(const std::string& pattern,
                                               EntryKinds kinds) = 0;
  // Whether the file opens for reading (shared read, existing file only).
  virtual bool CanOpenForRead(const std::string& path) = 0;
  // The whole file's bytes.
  virtual std::string ReadAll(const std::string& path) = 0;
  virtual void CreateFolder(const std::string& path) = 0;
  // Creates or replaces the file with exactly `bytes`.
  virtual void WriteFile(const std::string& path, const std::string& bytes) = 0;
  virtual void DeleteFile(const std::string& path) = 0;
};

}  // namespace platform
