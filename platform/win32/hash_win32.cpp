#include "platform/win32/services_win32.h"

#include <bcrypt.h>

#include <algorithm>
#include <memory>

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

const Cng& TheCng() {
  static const Cng cng;
  return cng;
}

class CngSha256 : public Sha256State {
 public:
  explicit CngSha256(BCRYPT_HASH_HANDLE hash) : hash_(hash) {}
  ~CngSha256() override { TheCng().destroy(hash_); }
  Status Update(const char* bytes, std::size_t size) override {
    while (size > 0) {
      const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 30));
      if (TheCng().data(hash_, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes)), piece, 0) < 0)
        return kErrorInvalidParameter;
      bytes += piece;
      size -= piece;
    }
    return kOk;
  }
  Status Finish(Sha256Digest& digest) override {
    Sha256Digest result{};
    if (TheCng().finish(hash_, result.data(), static_cast<ULONG>(result.size()), 0) < 0)
      return kErrorInvalidParameter;
    digest = result;
    return kOk;
  }

 private:
  BCRYPT_HASH_HANDLE hash_;
};

}  // namespace

Status WinHasher::NewSha256(std::unique_ptr<Sha256State>& state) {
  const Cng& cng = TheCng();
  if (!cng.usable()) return kErrorProcNotFound;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (cng.create(cng.sha256, &hash, nullptr, 0, nullptr, 0, 0) < 0) return kErrorNotEnoughMemory;
  state = std::make_unique<CngSha256>(hash);
  return kOk;
}

}  // namespace platform::win32
