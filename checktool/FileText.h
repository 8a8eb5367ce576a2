#pragma once
// Places in a requirements file's bytes, as line and column, and values
// as the tool's messages quote them.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace checktool {

class Lines {
 public:
  explicit Lines(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
      if (bytes[i] == '\n') starts_.push_back(i + 1);
  }
  // 1-based.
  int LineOf(std::size_t offset) const {
    return static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                            starts_.begin()) +
           1;
  }
  // The offset of the first byte of a line (1-based).
  std::size_t StartOf(int line) const {
    if (line <= 1 || starts_.empty()) return 0;
    return starts_[std::min(static_cast<std::size_t>(line - 2), starts_.size() - 1)];
  }
  // 1-based, counting bytes (see CharacterColumns for characters).
  int ColumnOf(std::size_t offset) const {
    const int line = LineOf(offset);
    const std::size_t start = line == 1 ? 0 : starts_[static_cast<std::size_t>(line - 2)];
    return static_cast<int>(offset - start) + 1;
  }

 private:
  std::vector<std::size_t> starts_;  // of the lines after the first
};

// A requirements file's bytes with what every reading of them needs,
// decided once: the encoding the checker reads them in, and the lines.
struct SourceFile {
  explicit SourceFile(std::string_view fileBytes)
      : bytes(fileBytes), encoding(platform::EncodingOf(fileBytes)), lines(fileBytes) {}
  std::string_view bytes;
  platform::StoredEncoding encoding;
  Lines lines;
};

// 1-based columns in characters, the unit text, JSON and SARIF share: a
// character of the file's encoding counts once (in UTF-8 a byte that
// starts no character counts as one, as the system shows it), and the
// UTF-8 byte order mark not at all. Offsets asked for in increasing order
// are counted in one pass over the file.
class CharacterColumns {
 public:
  explicit CharacterColumns(const SourceFile& source) : source_(source) {}
  int At(std::size_t offset);

 private:
  const SourceFile& source_;
  std::size_t lineStart_ = std::string_view::npos, at_ = 0;
  int column_ = 1;
};

inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace checktool
