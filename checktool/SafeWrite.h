#pragma once
// Replacing a file whole without ever leaving it empty or cut short: a new
// file is written beside it, each step checked, and only then takes its
// place. Each system's steps are behind a small interface, so that a test
// can fail any one of them.
#include <functional>
#include <string>
#include <string_view>

namespace checktool {

// The steps, in the order they are called. Each answers an empty text when
// it worked, else the system's reason, in words a user can act on.
class FileReplacer {
 public:
  virtual ~FileReplacer() = default;
  // A new empty file beside `path` (on the same volume), that only this
  // writer uses; `path` must be an existing file that may be written.
  virtual std::string Create(const std::string& path) = 0;
  virtual std::string Write(std::string_view bytes) = 0;  // all of them, or a failure
  virtual std::string Flush() = 0;                        // to the disk
  virtual std::string Close() = 0;
  // The new file takes the old one's place, with its permissions and
  // attributes; the old one is never seen half-written.
  virtual std::string Replace() = 0;
  // After a failure: the new file goes, if it is still there.
  virtual void Discard() = 0;
};

// Makes `bytes` the content of `path`. Empty when done; else what failed
// and why, and `path` is exactly as it was. `unchanged`, when given, is
// asked just before the replacement whether `path` still holds what the
// caller read (someone may have changed it meanwhile).
std::string ReplaceWhole(FileReplacer& replacer, const std::string& path, std::string_view bytes,
                         const std::function<bool()>& unchanged = {});

}  // namespace checktool
