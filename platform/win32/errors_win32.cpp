#include "platform/win32/services_win32.h"

#include <shellapi.h>

namespace platform::win32 {
namespace {

// What FormatMessageA writes into a buffer of `size` characters; 0 when
// the text does not fit or there is none.
std::string FormatInto(DWORD code, DWORD size) {
  std::string buffer(size, '\0');
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 buffer.data(), size, nullptr);
  buffer.resize(n);
  return buffer;
}

}  // namespace

Status LastStatus() { return static_cast<Status>(GetLastError()); }

Status StatusFromHresult(HRESULT result) {
  if (result == S_OK) return kOk;
  // Success without an answer: for a folder query, the folder is not there.
  if (result == S_FALSE) return kErrorFileNotFound;
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) return HRESULT_CODE(result);
  return static_cast<Status>(result);
}

Status StatusFromShellResult(INT_PTR result) {
  if (result > 32) return kOk;
  switch (result) {
    case 0: return kErrorNotEnoughMemory;  // out of memory or resources
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    default: return static_cast<Status>(result);  // 2, 3, 5, 8, 11: the system's own codes
  }
}

std::string SystemText(Status status) {
  // The buffer the checker's messages were always formatted into, and a
  // larger one for the rare text that does not fit it.
  std::string text = FormatInto(static_cast<DWORD>(status), 200);
  if (text.empty()) text = FormatInto(static_cast<DWORD>(status), 4096);
  return FromAnsi(text);
}

void ThrowLastError(const std::string& what, const std::string& path) {
  Status status = LastStatus();
  // A call that failed without saying why has still failed.
  if (status == kOk) status = ERROR_GEN_FAILURE;
  throw OsError(status, DescribeFailure(what, path, SystemText(status)));
}

std::string WinSystemMessages::Describe(Status status) { return SystemText(status); }

}  // namespace platform::win32
