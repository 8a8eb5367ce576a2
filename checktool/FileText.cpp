#include "checktool/FileText.h"

#include "platform/services.h"
#include "platform/text.h"

namespace checktool {
namespace {

int CountCharacters(std::string_view bytes, platform::StoredEncoding encoding) {
  int count = 0;
  if (encoding == platform::StoredEncoding::Utf8) {
    for (std::size_t i = 0; i < bytes.size(); ++count)
      i += std::max<std::size_t>(1, platform::Utf8SequenceAt(bytes, i));
    return count;
  }
  bool ascii = true;
  for (const char c : bytes) ascii = ascii && (c & 0x80) == 0;
  if (ascii) return static_cast<int>(bytes.size());
  // The legacy code page may use two bytes for a character: as decoded.
  const std::string text = platform::Os().codePage->FromLegacyAnsi(std::string(bytes));
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace

int CharacterColumns::At(std::size_t offset) {
  offset = std::min(offset, source_.bytes.size());
  const int line = source_.lines.LineOf(offset);
  std::size_t start = source_.lines.StartOf(line);
  if (line == 1 && source_.encoding == platform::StoredEncoding::Utf8)
    start = std::min(offset, platform::kUtf8Bom.size());
  if (start != lineStart_ || offset < at_) {
    lineStart_ = start;
    at_ = start;
    column_ = 1;
  }
  column_ += CountCharacters(source_.bytes.substr(at_, offset - at_), source_.encoding);
  at_ = offset;
  return column_;
}

}  // namespace checktool
