#pragma once
// A failure of an operating-system service that the caller lets propagate.
#include <stdexcept>
#include <string>

namespace platform {

class OsError : public std::runtime_error {
 public:
  // `number` is the system's error code; `description` says what failed
  // and why, in words a user can act on.
  OsError(long number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  long number() const { return number_; }

 private:
  long number_;
};

// `Could not create the folder "C:\x": Access denied.` - the one wording
// every file failure uses: what failed, on which path, and why.
std::string DescribeFailure(const std::string& what, const std::string& path,
                            const std::string& reason);

}  // namespace platform
