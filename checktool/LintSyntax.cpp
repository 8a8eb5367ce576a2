// Lint's syntax family: the file's encoding, text that is no text,
// conflict markers, tags in comments, quotes that a ">" cut short,
// attributes the reader cannot read or reads elsewhere than meant.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "checktool/LintWatcher.h"
#include "platform/services.h"
#include "platform/text.h"

namespace checktool::lint {
namespace {

using modCheck::TagKind;

// The attributes each kind of tag is read for.
std::vector<std::string_view> AttributesOf(TagKind kind) {
  switch (kind) {
    case TagKind::Product: return {"name"};
    case TagKind::RegistryEntry: return {"root", "key", "value", "type", "data", "view"};
    case TagKind::FileEntry: return {"name", "dir", "version", "view"};
    case TagKind::Remedy: return {"source", "location", "sha256"};
    default: return {};
  }
}

// A file that is UTF-8 but lacks the byte order mark is read in the legacy
// code page: its names look wrong in the window. The offset of its first
// character beyond ASCII, none when the file is not such a file.
std::optional<std::size_t> Utf8WithoutMark(const SourceFile& source) {
  if (source.encoding == platform::StoredEncoding::Utf8) return std::nullopt;
  const std::string_view bytes = source.bytes;
  std::optional<std::size_t> first;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = platform::Utf8SequenceAt(bytes, at);
    if (length == 0) return std::nullopt;
    if (length > 1 && !first) first = at;
    at += length;
  }
  return first;
}

std::string Hex(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

const char* const kAttributeNames[] = {"name", "root",    "key",    "value",    "type", "data",
                                       "dir",  "version", "source", "location", "view", "sha256"};

// What an entity written in a value stands for, and how to write that.
struct Entity {
  std::string_view text, fix;
};
constexpr Entity kEntities[] = {
    {"&amp;", "write & itself"},
    {"&apos;", "write ' itself"},
    {"&lt;", "write < itself"},
    {"&gt;", "a value cannot hold \">\", which ends the tag: leave it out"},
    {"&quot;", "a value cannot hold a double quote: leave it out"},
};

// The entity that starts at `at` ("&amp;", "&#233;", "&#xE9;"); empty
// when none does.
std::string_view EntityAt(std::string_view text, std::size_t at) {
  for (const Entity& e : kEntities)
    if (text.compare(at, e.text.size(), e.text) == 0) return text.substr(at, e.text.size());
  if (text.compare(at, 2, "&#") != 0) return {};
  std::size_t i = at + 2;
  const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
  if (hex) ++i;
  const std::size_t digits = i;
  while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) ||
                             (hex && std::isxdigit(static_cast<unsigned char>(text[i])))))
    ++i;
  if (i == digits || i >= text.size() || text[i] != ';') return {};
  return text.substr(at, i + 1 - at);
}

}  // namespace

// A UTF-16 file, or one with NUL or control bytes, is no text: the checker
// reads its bytes as they are and finds nothing it means. Once, at its
// first sign; false when the file is such a file.
bool Watcher::CheckText() {
  const std::string_view bytes = source_.bytes;
  const std::string legacy = platform::CodePageName(platform::Os().codePage->LegacyCodePage());
  const std::string fix = "save it as text: UTF-8 with a byte order mark, or " + legacy;
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    Add(0, Severity::Error, "not-text",
        "the file is UTF-16 (it starts with a UTF-16 byte order mark), which the checker does not "
        "read: it finds no products in it",
        fix);
    return false;
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    // Tab, line ends, form feed and the end-of-file mark old editors add
    // are text; every other control byte is not.
    if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x1A) continue;
    Add(i, Severity::Error, "not-text",
        "byte " + Hex(c) +
            " is no text: the file is binary, or UTF-16 without its byte order "
            "mark, and the checker reads it byte by byte and finds nothing it means",
        fix);
    return false;
  }
  return true;
}

// Left over from a merge: the checker reads both sides.
void Watcher::CheckConflictMarkers() {
  const std::string_view bytes = source_.bytes;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    const char mark = line.empty() ? '\0' : line[0];
    if ((mark == '<' || mark == '=' || mark == '>' || mark == '|') && line.size() >= 7 &&
        line.find_first_not_of(mark) >= 7 &&
        (line.size() == 7 || line[7] == ' ' || line[7] == '\r'))
      Add(start, Severity::Error, "conflict-marker",
          "a version-control conflict marker: the file was saved in the middle of a merge, and "
          "the checker reads the tags of both sides",
          "resolve the conflict: keep the lines meant, and delete the other side and the markers");
    start = end + 1;
  }
}

// The checker knows no comments: a tag inside one is read as any other.
void Watcher::CheckComment(std::size_t offset, std::string_view tag, TagKind kind) {
  const std::size_t open = inComment_ ? 0 : tag.find("<!--");
  if (open == std::string_view::npos) return;
  const std::size_t body = inComment_ ? 0 : open + 4;
  inComment_ = !(tag.size() >= body + 3 && tag.substr(tag.size() - 3) == "-->");
  if (kind == TagKind::Other || kind == TagKind::SystemSearch) return;
  std::size_t at = tag.size();
  for (const char* word : {"<product", "<registryentry", "<fileentry", "<remedy", "/product"})
    at = std::min(at, platform::FindNoCase(tag, word, body));
  if (at == tag.size()) at = body;
  const char* what = kind == TagKind::Product      ? "so it starts a product"
                     : kind == TagKind::EndProduct ? "so it ends and stores the product"
                     : kind == TagKind::Remedy     ? "so it replaces the remedy before it"
                                                   : "so it replaces the entry before it";
  Add(offset + at, Severity::Error, "tag-in-comment",
      std::string("this tag is inside a comment, but the checker does not skip comments: it reads "
                  "the tag as if the comment were not there, ") +
          what,
      "delete the tag from the comment, or the whole comment");
}

// Attributes the reader found where they were not meant: a value it read
// from further on, a name it found twice, an entity it takes literally.
void Watcher::CheckAttributesRead(TagKind kind) {
  for (const modCheck::AttributeRead& a : attributes_) {
    const std::string name = kAttributeNames[a.which];
    const std::string read =
        modCheck::DecodeTag(source_.bytes.substr(a.valueOffset, a.valueLength), source_.encoding);
    const std::string asRead = read.empty() ? "as empty" : "as " + Quoted(read);
    if (a.repeated) {
      Add(a.nameOffset, Severity::Error, "duplicate-attribute",
          name + "= stands more than once in this tag, and the checker reads only the first, " +
              asRead,
          "keep one " + name + "=\"...\" in the tag (and no other attribute whose name ends in " +
              name + ")");
      continue;
    }
    if (a.quoting == modCheck::Quoting::Unquoted) {
      // The value as written: up to a blank or the tag's end.
      std::size_t from = a.nameOffset + name.size() + 1;
      while (from < source_.bytes.size() && (source_.bytes[from] == ' ' || source_.bytes[from] == '\t'))
        ++from;
      std::size_t to = from;
      while (to < source_.bytes.size() &&
             std::string_view(" \t\r\n>").find(source_.bytes[to]) == std::string_view::npos)
        ++to;
      if (to > from && source_.bytes[to - 1] == '/') --to;
      const std::string written =
          modCheck::DecodeTag(source_.bytes.substr(from, to - from), source_.encoding);
      Add(a.nameOffset, Severity::Error, "unquoted-value",
          name + "'s value is not in double quotes, so the checker reads it " + asRead +
              (read.empty() ? "" : " (the next quoted text in the tag)"),
          "write " + name + "=\"" + written + "\" with double quotes");
      continue;
    }
    if (a.quoting != modCheck::Quoting::Double) continue;
    const std::string_view value = source_.bytes.substr(a.valueOffset, a.valueLength);
    for (std::size_t at = value.find('&'); at != std::string_view::npos;
         at = value.find('&', at + 1)) {
      const std::string_view entity = EntityAt(value, at);
      if (entity.empty()) continue;
      std::string fix = "write the character itself";
      for (const Entity& e : kEntities)
        if (e.text == entity) fix = std::string(e.fix);
      const bool display = kind == TagKind::Product;
      Add(a.valueOffset + at, display ? Severity::Warning : Severity::Error, "entity",
          std::string(entity) + " in " + name + " is no entity to the checker: it reads the " +
              std::to_string(entity.size()) + " characters as they stand" +
              (display ? ", and the window shows them" : ""),
          fix);
    }
  }
}

// A file that is UTF-8 without the mark is read in the legacy code page:
// its names look wrong in the window.
void Watcher::CheckEncoding() {
  const std::string_view bytes = source_.bytes;
  if (source_.encoding == platform::StoredEncoding::Utf8) {
    // Marked UTF-8, with bytes that are not: a stray byte of another code
    // page, shown by the checker as the replacement character.
    std::optional<std::size_t> first;
    int more = 0;
    for (std::size_t at = platform::kUtf8Bom.size(); at < bytes.size();) {
      const std::size_t length = platform::Utf8SequenceAt(bytes, at);
      if (length == 0 && !first)
        first = at;
      else if (length == 0)
        ++more;
      at += std::max<std::size_t>(length, 1);
    }
    if (!first) return;
    const std::string byte(1, bytes[*first]);
    const std::string legacy = platform::CodePageName(platform::Os().codePage->LegacyCodePage());
    Add(*first, Severity::Error, "invalid-bytes",
        "byte " + Hex(static_cast<unsigned char>(byte[0])) +
            " is not UTF-8, though the file starts "
            "with the UTF-8 byte order mark, so the checker shows \"\xEF\xBF\xBD\" for it" +
            (more ? " (and " + std::to_string(more) +
                        (more == 1 ? " more such byte)" : " more such bytes)")
                  : ""),
        "save the file as UTF-8 throughout (in " + legacy + " the byte is " +
            Quoted(platform::Os().codePage->FromLegacyAnsi(byte)) + ")");
    return;
  }
  const auto at = Utf8WithoutMark(source_);
  if (!at) return;
  const std::string character(bytes.substr(*at, platform::Utf8SequenceAt(bytes, *at)));
  const std::string legacy = platform::CodePageName(platform::Os().codePage->LegacyCodePage());
  Add(*at, Severity::Warning, "utf8-without-bom",
      "the file is UTF-8 but has no byte order mark, so the checker reads it as " + legacy +
          " and its names look wrong in the window (" +
          Quoted(platform::Os().codePage->FromLegacyAnsi(character)) + " for " +
          Quoted(character) + ")",
      "save it as UTF-8 with a byte order mark (\"UTF-8 with BOM\" in most editors), or in " +
          legacy);
}

// A quote the tag opens but does not close: the value held a ">".
void Watcher::CheckQuotes(std::size_t offset, std::string_view tag) {
  // Only where a tag starts: what follows the cut is its own tag.
  if (tag.empty() || tag[0] != '<' || std::count(tag.begin(), tag.end(), '"') % 2 == 0) return;
  const std::size_t last = tag.rfind('"');
  Add(offset + last, Severity::Error, "gt-in-value",
      "a \">\" inside this quoted value ends the tag, and the rest of the value is read as "
      "another tag",
      "remove the \">\" from the value: values have no escapes");
}

void Watcher::CheckAttributeSyntax(std::size_t offset, const Tag& tag, TagKind kind) {
  for (const std::string_view name : AttributesOf(kind)) {
    std::size_t at = 0;
    if (RawAttribute(tag, name, &at)) {
      const std::size_t open = tag.text.find_first_not_of(" \t\r\n", at + name.size() + 1);
      if (open != std::string::npos && tag.text[open] == '\'')
        Add(offset + at, Severity::Error, "single-quotes",
            std::string(name) + "'s value is in single quotes, which do not delimit values, so "
            "it is read as empty",
            "write " + std::string(name) + "=\"...\" with double quotes");
      continue;
    }
    // The name, then blanks, then "=": the reader looks for the name and
    // the "=" together.
    for (std::size_t from = 0;;) {
      const std::size_t found = tag.lower.find(name, from);
      if (found == std::string::npos) break;
      const std::size_t next = tag.text.find_first_not_of(" \t\r\n", found + name.size());
      if (next != std::string::npos && tag.text[next] == '=' && next > found + name.size()) {
        Add(offset + found, Severity::Error, "blank-before-equals",
            std::string(name) + " has a blank before \"=\", so it is not read and stays empty",
            "write " + std::string(name) + "=\"...\" with no blank before \"=\"");
        break;
      }
      from = found + 1;
    }
  }
}

}  // namespace checktool::lint
