// Lint's syntax family: the file's encoding, quotes that a ">" cut short,
// attributes the reader cannot read.
#include <algorithm>

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

}  // namespace

// A file that is UTF-8 without the mark is read in the legacy code page:
// its names look wrong in the window.
void Watcher::CheckEncoding() {
  const auto at = Utf8WithoutMark(source_);
  const std::string_view bytes = source_.bytes;
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
