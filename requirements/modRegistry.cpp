#include "requirements/modRegistry.h"

#include <algorithm>
#include <optional>

#include "platform/services.h"
#include "platform/text.h"
#include "requirements/numbers.h"

namespace modRegistry {
namespace {

using platform::Os;

void RewriteNames(std::string& sKey, std::string& sValueName) {
  if (!sKey.empty() && sKey[0] == '\\') sKey.erase(0, 1);
  if (platform::LowerCase(sValueName) == "default") sValueName.clear();
}

// Only the predefined roots are keys; any other number read from a file
// could name some unrelated handle of this process.
bool IsPredefinedRoot(std::int32_t lRoot) {
  return lRoot == platform::kHkeyClassesRoot || lRoot == platform::kHkeyCurrentUser ||
         lRoot == platform::kHkeyLocalMachine || lRoot == platform::kHkeyUsers ||
         lRoot == platform::kHkeyCurrentConfig;
}

bool IsStringType(std::uint32_t type) {
  return type == platform::kRegSz || type == platform::kRegExpandSz ||
         type == platform::kRegMultiSz;
}

// The access bits that pick a view; none where Windows has one view, so
// that a request can never fail there because of them.
std::uint32_t ViewAccess(int viewBits) {
  if (!HasTwoViews()) return 0;
  if (viewBits == 64) return platform::kKeyWow64_64Key;
  if (viewBits == 32) return platform::kKeyWow64_32Key;
  return 0;
}

// Opens, reads and closes; none when anything fails, and `detail` says
// where.
std::optional<std::string> ReadValueText(std::int32_t lRoot, const std::string& sKey,
                                         const std::string& sValueName, std::uint32_t view,
                                         ReadDetail& detail) {
  platform::Registry& registry = *Os().registry;
  platform::ScopedKey key(registry);
  detail.openStatus =
      registry.OpenKey(lRoot, sKey, platform::kKeyQueryValue | view, key.Receive());
  if (detail.openStatus != platform::kOk || key.get() == 0) return std::nullopt;
  std::optional<std::string> text;
  platform::RegValueInfo info;
  detail.queryStatus = registry.QueryValueInfo(key.get(), sValueName, info);
  if (detail.queryStatus == platform::kOk) {
    detail.type = info.type;
    std::string data(info.size, '\0');
    std::uint32_t type = info.type;
    if (info.size != 0)
      detail.queryStatus = registry.QueryValueData(key.get(), sValueName, type, data);
    // A text in UTF-8 may take more bytes than the size first answered, and
    // a value may grow between the two queries: asked once more, with room.
    if (detail.queryStatus == platform::kErrorMoreData &&
        registry.QueryValueInfo(key.get(), sValueName, info) == platform::kOk) {
      data.assign(std::max<std::size_t>(info.size, data.size() * 2), '\0');
      detail.queryStatus = registry.QueryValueData(key.get(), sValueName, type, data);
    }
    if (detail.queryStatus == platform::kOk) {
      if (IsStringType(type)) {
        if (!data.empty() && data.back() == '\0') data.pop_back();
        text = Os().codePage->FromAnsi(data);
      } else {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < data.size() && i < 4; ++i)
          number |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
        text = std::to_string(static_cast<std::int32_t>(number));
      }
    }
  }
  return text;
}

// The bytes to store for sData as lType; none when sData does not fit it.
std::optional<std::string> EncodeData(const std::string& sData, std::int32_t lType) {
  if (lType == static_cast<std::int32_t>(platform::kRegDword)) {
    const auto number = requirements::ParseInt32(sData, true);
    if (!number) return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(*number);
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return bytes;
  }
  if (lType == static_cast<std::int32_t>(platform::kRegBinary)) {
    const auto number = requirements::ParseInt32(sData, true);
    if (!number || *number < 0 || *number > 255) return std::nullopt;
    return std::string(1, static_cast<char>(*number));
  }
  // Stored with its NUL, so a reader that drops the last character of
  // string data gets the whole text back.
  return Os().codePage->ToAnsi(sData) + '\0';
}

}  // namespace

std::int32_t GetRegistryValue(std::int32_t lRoot, std::string& sKey, std::string& sValueName,
                              std::string& sResult) {
  ReadDetail ignored;
  return GetRegistryValue(lRoot, sKey, sValueName, sResult, ignored);
}

std::int32_t GetRegistryValue(std::int32_t lRoot, std::string& sKey, std::string& sValueName,
                              std::string& sResult, ReadDetail& detail, int viewBits) {
  RewriteNames(sKey, sValueName);
  sResult.clear();
  detail = {};
  detail.validRoot = IsPredefinedRoot(lRoot);
  if (!detail.validRoot) return 1;
  const auto text = ReadValueText(lRoot, sKey, sValueName, ViewAccess(viewBits), detail);
  if (!text) return 1;
  sResult = platform::TrimSpaces(*text);
  return 0;
}

int OwnViewBits() {
  return Os().wow64 ? Os().wow64->ProgramBits() : (sizeof(void*) == 4 ? 32 : 64);
}

bool HasTwoViews() {
  return OwnViewBits() == 64 || (Os().wow64 && Os().wow64->IsWow64Process());
}

int ViewRead(int viewBits) {
  return (viewBits == 32 || viewBits == 64) && HasTwoViews() ? viewBits : OwnViewBits();
}

std::optional<std::string> ReadOtherView(std::int32_t lRoot, const std::string& sKey,
                                         const std::string& sValueName, int readBits,
                                         std::uint32_t& type) {
  if (!IsPredefinedRoot(lRoot) || !HasTwoViews()) return std::nullopt;
  ReadDetail detail;
  auto text = ReadValueText(lRoot, sKey, sValueName, ViewAccess(readBits == 64 ? 32 : 64), detail);
  if (!text) return std::nullopt;
  type = detail.type;
  return platform::TrimSpaces(*text);
}

void SetRegistryValue(std::int32_t lRoot, std::string& sKey, std::string& sValueName,
                      const std::string& sData, std::int32_t lType) {
  RewriteNames(sKey, sValueName);
  if (!IsPredefinedRoot(lRoot)) return;
  const auto bytes = EncodeData(sData, lType);
  if (!bytes) return;
  platform::Registry& registry = *Os().registry;
  platform::ScopedKey key(registry);
  if (registry.OpenKey(lRoot, sKey, platform::kKeyAllAccess, key.Receive()) != platform::kOk ||
      key.get() == 0) {
    if (registry.CreateKey(lRoot, sKey, platform::kKeyAllAccess, key.Receive()) != platform::kOk ||
        key.get() == 0)
      return;
  }
  registry.SetValue(key.get(), sValueName, static_cast<std::uint32_t>(lType), *bytes);
}

}  // namespace modRegistry
