#pragma once
// The requirements reader's own steps, for tools that read a requirements
// file exactly as the checker does and say what it made of each tag.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "requirements/modCheck.h"

namespace modCheck {

// The names a requirements file may give registry roots and types, written
// exactly so, and the numbers they stand for.
struct NamedNumber {
  std::string_view name;
  std::int64_t number;
};
extern const std::array<NamedNumber, 5> kRootNames;
extern const std::array<NamedNumber, 5> kTypeNames;

// Which keyword decides for a tag, in the reader's order of precedence.
enum class TagKind { Other, SystemSearch, Product, RegistryEntry, FileEntry, Remedy, EndProduct };
TagKind ClassifyTag(std::string_view tag);

// What follows an attribute's "=" (blanks skipped), which decides whether
// the value the reader took is the attribute's own.
enum class Quoting {
  Double,    // a double quote: the value read is the text up to the next one
  Single,    // a single quote, which delimits nothing
  Unquoted,  // anything else; the value read, if any, lies further on
  Unclosed,  // a double quote that none closes: read as empty
};

// Where the reader found an attribute and the value it read, in the file's
// bytes (whatever its encoding), for tools that must edit exactly what the
// checker reads and nothing else.
struct AttributeRead {
  std::int32_t which = 0;       // as GetAttributeValue numbers them
  std::size_t nameOffset = 0;   // the first byte of "name="
  std::size_t valueOffset = 0;  // the first byte of the value read (after its quote)
  std::size_t valueLength = 0;  // in bytes; 0 when nothing was read
  Quoting quoting = Quoting::Double;
  bool repeated = false;  // "name=" stands again later in the tag; the first counts
};

class ReadObserver {
 public:
  virtual ~ReadObserver() = default;
  // An attribute the reader looked for and found in the tag it is about to
  // report to OnTag; not called for attributes the tag lacks.
  virtual void OnAttribute(const AttributeRead& attribute) { (void)attribute; }
  // A tag as the reader cut it: the offset of its first byte in the file,
  // its bytes, what it was taken for, and the working record after it.
  virtual void OnTag(std::size_t offset, std::string_view tag, TagKind kind,
                     const Requirement& work) = 0;
  // The working record went into entry `index` of the list; `dropped`
  // when the list was full and it was not stored at all.
  virtual void OnStored(std::size_t index, const Requirement& work, bool dropped) = 0;
};

// A tag's bytes as text: as they stand in a file that starts with the
// UTF-8 byte order mark, else from the system's legacy ANSI code page.
std::string DecodeTag(std::string_view bytes, platform::StoredEncoding encoding);

// Reads the bytes of a requirements file into `list`, which the caller has
// reset, as ReadRequirements does, progress steps included; in `encoding`
// where the caller has decided it (platform::EncodingOf).
void ReadRequirementsText(std::string_view bytes, platform::StoredEncoding encoding,
                          std::vector<Requirement>& list, ReadObserver* observer = nullptr);
void ReadRequirementsText(std::string_view bytes, std::vector<Requirement>& list,
                          ReadObserver* observer = nullptr);

}  // namespace modCheck
