#pragma once
// The checker's thin layer over the registry: read one value as text,
// write one value (creating its key). Every call opens and closes its own
// key. Roots are the predefined key handle values as signed 32-bit numbers.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"

namespace modRegistry {

// Reads a value as text, blanks around it removed. Strings come back
// unexpanded, multi-strings keep their inner NULs, a trailing NUL is
// dropped; other types give the first 4 bytes as a signed decimal number.
// Returns 0 when read, 1 otherwise (sResult is then empty).
// Rewrites the caller's texts: one leading backslash is removed from sKey,
// and a value name "default" (any case) becomes empty (the unnamed value).
std::int32_t GetRegistryValue(std::int32_t lRoot, std::string& sKey, std::string& sValueName,
                              std::string& sResult);

// What a read met on its way, beside its 0/1 result: whether the root is
// one of the five, the system's answers to opening the key and to asking
// for the value, and the type stored.
struct ReadDetail {
  bool validRoot = true;
  platform::Status openStatus = platform::kOk;
  platform::Status queryStatus = platform::kOk;
  std::uint32_t type = 0;
};
// The same read in the registry view `viewBits` asks for: 32 or 64 reads
// that view on 64-bit Windows; 0 reads the program's own, as above. On
// 32-bit Windows every request reads its one view.
std::int32_t GetRegistryValue(std::int32_t lRoot, std::string& sKey, std::string& sValueName,
                              std::string& sResult, ReadDetail& detail, int viewBits = 0);

// The view this program sees by itself (32 or 64), whether Windows has a
// second one, and the view a request for `viewBits` really reads.
int OwnViewBits();
bool HasTwoViews();
int ViewRead(int viewBits);

// The value in the view other than `readBits`, read only and without
// rewriting the names (the caller passes them as GetRegistryValue left
// them); none when it is not there, and always none where there is no
// other view.
std::optional<std::string> ReadOtherView(std::int32_t lRoot, const std::string& sKey,
                                         const std::string& sValueName, int readBits,
                                         std::uint32_t& type);

// Writes a value, creating the key when needed; silent on failure. Strings
// are stored in the ANSI code page with their terminating NUL; REG_DWORD
// takes sData as a signed 32-bit number, REG_BINARY as one byte 0 to 255
// (a text that is no such number writes nothing). Same rewriting as above.
void SetRegistryValue(std::int32_t lRoot, std::string& sKey, std::string& sValueName,
                      const std::string& sData, std::int32_t lType);

}  // namespace modRegistry
