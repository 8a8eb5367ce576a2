#pragma once
// How every platform interface reports a failure: a Status, the system's
// error code (0 for success) in the Win32 numbering, on every platform.
// Each platform turns what its calls answer into a Status in one place
// (platform/win32/errors_win32.cpp); portable code compares with the names
// below. Absence is not failure: a search that matches nothing or a file
// without a version block answers an empty std::optional. A failure that
// the caller lets propagate travels as an OsError carrying the Status.
#include <stdexcept>
#include <string>

namespace platform {

using Status = long;

inline constexpr Status kOk = 0;
inline constexpr Status kErrorFileNotFound = 2;
inline constexpr Status kErrorPathNotFound = 3;
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorNotEnoughMemory = 8;
inline constexpr Status kErrorNoMoreFiles = 18;
inline constexpr Status kErrorSharingViolation = 32;
inline constexpr Status kErrorNotReady = 21;
inline constexpr Status kErrorBadNetPath = 53;
inline constexpr Status kErrorBadNetName = 67;
inline constexpr Status kErrorInvalidParameter = 87;
inline constexpr Status kErrorOpenFailed = 110;
inline constexpr Status kErrorInvalidName = 123;
inline constexpr Status kErrorProcNotFound = 127;
inline constexpr Status kErrorAlreadyExists = 183;
inline constexpr Status kErrorBadFileType = 222;
inline constexpr Status kErrorMoreData = 234;
// A folder or device where a file was wanted (platform/files.h FileKind).
inline constexpr Status kErrorNotAFile = kErrorBadFileType;

class OsError : public std::runtime_error {
 public:
  // `description` says what failed and why, in words a user can act on.
  OsError(Status status, const std::string& description)
      : std::runtime_error(description), status_(status) {}
  Status status() const { return status_; }

 private:
  Status status_;
};

// `Could not create the folder "C:\x": Access denied.` - the one wording
// every file failure uses: what failed, on which path (%1 in `what`), and
// why.
std::string DescribeFailure(const std::string& what, const std::string& path,
                            const std::string& reason);

// The system's words for a status, its line break gone; "error N" where
// the system has none.
std::string StatusText(Status status);

// Throws an OsError in that wording, with the system's text for `status`,
// unless it is kOk.
void ThrowIfFailed(Status status, const std::string& what, const std::string& path);

// What an error that ends a program says, for the box that reports it: the
// status (0 when it is no system error) and the description. Call it only
// inside a catch block; it looks at the exception being handled.
struct Failure {
  Status status = 0;
  std::string description;
};
Failure CurrentFailure();

}  // namespace platform
