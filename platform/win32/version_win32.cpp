#include <cstring>

#include "platform/win32/services_win32.h"

namespace platform::win32 {
namespace {

using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using DataFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

// Bound together, once: a file check that reads the 64-bit file system
// must find them loaded before it turns redirection off.
struct VersionFunctions {
  SizeFn size = SystemFunction<SizeFn>("version.dll", "GetFileVersionInfoSizeA");
  DataFn get = SystemFunction<DataFn>("version.dll", "GetFileVersionInfoA");
  QueryFn query = SystemFunction<QueryFn>("version.dll", "VerQueryValueA");
};

const VersionFunctions& Functions() {
  static const VersionFunctions functions;
  return functions;
}

constexpr UINT kFixedSize = 52;
constexpr DWORD kFixedSignature = 0xFEEF04BD;

// VerQueryValueA answers with a pointer and a length that a malformed file
// controls: accept only a block that lies wholly inside our buffer.
bool InsideBuffer(const std::vector<std::uint8_t>& data, const void* block, UINT length) {
  const auto* p = static_cast<const std::uint8_t*>(block);
  return p >= data.data() && length <= data.size() &&
         static_cast<size_t>(p - data.data()) <= data.size() - length;
}

}  // namespace

void LoadVersionFunctions() { Functions(); }

std::int32_t WinVersions::GetSize(const std::string& path) {
  const auto size = Functions().size;
  if (!size) return 0;
  DWORD handle = 0;
  return static_cast<std::int32_t>(size(ToAnsi(path).c_str(), &handle));
}

Status WinVersions::GetData(const std::string& path, std::vector<std::uint8_t>& data) {
  const auto get = Functions().get;
  if (!get) return kErrorProcNotFound;
  if (data.empty()) return kErrorInvalidParameter;
  if (!get(ToAnsi(path).c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
    return LastStatus();
  return kOk;
}

std::optional<FixedFileInfo> WinVersions::QueryFixed(const std::vector<std::uint8_t>& data) {
  const auto query = Functions().query;
  if (!query || data.empty()) return std::nullopt;
  void* block = nullptr;
  UINT length = 0;
  if (!query(data.data(), "\\", &block, &length) || length < kFixedSize ||
      !InsideBuffer(data, block, kFixedSize))
    return std::nullopt;
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, block, kFixedSize);
  if (fixed.dwSignature != kFixedSignature) return std::nullopt;
  return FixedFileInfo{fixed.dwFileVersionMS, fixed.dwFileVersionLS};
}

std::string WinVersions::QueryString(const std::vector<std::uint8_t>& data, const char* name) {
  const auto query = Functions().query;
  if (!query || data.empty()) return {};
  struct Translation {
    WORD language, codePage;
  };
  void* block = nullptr;
  UINT length = 0;
  char subBlock[96];
  std::string code = "040904B0";
  if (query(data.data(), "\\VarFileInfo\\Translation", &block, &length) &&
      length >= sizeof(Translation) && InsideBuffer(data, block, sizeof(Translation))) {
    Translation t;
    std::memcpy(&t, block, sizeof t);
    char hex[16];
    wsprintfA(hex, "%04x%04x", t.language, t.codePage);
    code = hex;
  }
  wsprintfA(subBlock, "\\StringFileInfo\\%s\\%s", code.c_str(), name);
  if (!query(data.data(), subBlock, &block, &length) || length == 0 ||
      !InsideBuffer(data, block, length))
    return {};
  const char* text = static_cast<const char*>(block);
  return FromAnsi(std::string(text, strnlen(text, length)));
}

}  // namespace platform::win32
