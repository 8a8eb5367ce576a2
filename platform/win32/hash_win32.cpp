#include <vector>

#include "platform/win32/services_win32.h"

#include <bcrypt.h>

namespace platform::win32 {
namespace {

using OpenFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CreateFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR,
                                   ULONG, ULONG);
using DataFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

// CNG's hash object, bound once; bcrypt is loaded only when a pin is
// checked, from the system folder.
struct Cng {
  BCRYPT_ALG_HANDLE sha256 = nullptr;
  CreateFn create = SystemFunction<CreateFn>("bcrypt.dll", "BCryptCreateHash");
  DataFn data = SystemFunction<DataFn>("bcrypt.dll", "BCryptHashData");
  FinishFn finish = SystemFunction<FinishFn>("bcrypt.dll", "BCryptFinishHash");
  DestroyFn destroy = SystemFunction<DestroyFn>("bcrypt.dll", "BCryptDestroyHash");
  Cng() {
    const auto open = SystemFunction<OpenFn>("bcrypt.dll", "BCryptOpenAlgorithmProvider");
    if (!open || open(&sha256, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) sha256 = nullptr;
  }
  bool usable() const { return sha256 && create && data && finish && destroy; }
};

}  // namespace

Status WinHasher::Sha256(const std::string& path, Sha256Digest& digest) {
  static const Cng cng;
  if (!cng.usable()) return kErrorProcNotFound;
  const ScopedHandle file(CreateFileA(ToAnsi(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return LastStatus();
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (cng.create(cng.sha256, &hash, nullptr, 0, nullptr, 0, 0) < 0) return kErrorNotEnoughMemory;
  std::vector<UCHAR> piece(64 * 1024);
  Status status = kOk;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) {
      status = LastStatus();
      break;
    }
    if (got == 0) break;
    if (cng.data(hash, piece.data(), got, 0) < 0) {
      status = kErrorInvalidParameter;
      break;
    }
  }
  Sha256Digest result{};
  if (status == kOk && cng.finish(hash, result.data(), static_cast<ULONG>(result.size()), 0) < 0)
    status = kErrorInvalidParameter;
  cng.destroy(hash);
  if (status == kOk) digest = result;
  return status;
}

}  // namespace platform::win32
