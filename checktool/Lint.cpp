#include "checktool/Lint.h"

#include <algorithm>
#include <map>
#include <optional>

#include "checktool/FileText.h"
#include "platform/services.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "requirements/numbers.h"
#include "requirements/reader.h"

namespace checktool {
namespace {

using modCheck::Requirement;
using modCheck::TagKind;

const char* const kTokens[] = {"%ZANTRIXDIR%", "%SYSTEMDIR%", "%WINDIR%"};

// An attribute's value as the reader cuts it, before any token is
// replaced; none when the tag does not have it. `at` receives where the
// name stands in the tag.
// A tag's text, and the same lower-cased once for every search in it
// (lower-casing keeps byte positions).
struct Tag {
  std::string text, lower;
};

std::optional<std::string> RawAttribute(const Tag& tag, std::string_view name,
                                        std::size_t* at = nullptr) {
  const std::size_t found = tag.lower.find(std::string(name) + "=");
  if (found == std::string::npos) return std::nullopt;
  if (at) *at = found;
  const std::size_t open = tag.text.find('"', found);
  if (open == std::string::npos) return std::string();
  const std::size_t close = tag.text.find('"', open + 1);
  if (close == std::string::npos) return std::string();
  return tag.text.substr(open + 1, close - open - 1);
}

// The attributes each kind of tag is read for.
std::vector<std::string_view> AttributesOf(TagKind kind) {
  switch (kind) {
    case TagKind::Product: return {"name"};
    case TagKind::RegistryEntry: return {"root", "key", "value", "type", "data", "view"};
    case TagKind::FileEntry: return {"name", "dir", "version", "view"};
    case TagKind::Remedy: return {"source", "location"};
    default: return {};
  }
}

bool IsDottedNumbers(const std::string& text) {
  if (text.empty() || text.front() == '.' || text.back() == '.') return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] >= '0' && text[i] <= '9') && !(text[i] == '.' && text[i - 1] != '.')) return false;
  return true;
}

// A file that is UTF-8 but lacks the byte order mark is read in the legacy
// code page: its names look wrong in the window. The offset of its first
// character beyond ASCII, none when the file is not such a file.
std::optional<std::size_t> Utf8WithoutMark(std::string_view bytes) {
  if (platform::EncodingOf(bytes) == platform::StoredEncoding::Utf8) return std::nullopt;
  std::optional<std::size_t> first;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = platform::Utf8SequenceAt(bytes, at);
    if (length == 0) return std::nullopt;
    if (length > 1 && !first) first = at;
    at += length;
  }
  return first;
}

class Watcher : public modCheck::ReadObserver {
 public:
  explicit Watcher(std::string_view bytes)
      : lines_(bytes), encoding_(platform::EncodingOf(bytes)) {
    CheckEncoding(bytes);
  }

  void OnTag(std::size_t offset, std::string_view ansiTag, TagKind kind,
             const Requirement& work) override {
    CheckQuotes(offset, ansiTag);
    if (kind == TagKind::SystemSearch || kind == TagKind::Other) return;
    Tag tag{modCheck::DecodeTag(ansiTag, encoding_), {}};
    tag.lower = platform::LowerCase(tag.text);
    if (kind != TagKind::EndProduct) CheckAttributeSyntax(offset, tag, kind);
    CheckView(offset, tag, kind);
    switch (kind) {
      case TagKind::Product:
        if (open_) {
          Add(open_->offset, Severity::Error, "unclosed-product",
              "product " + Quoted(open_->name) + " has no closing </product> tag before the next "
              "product, so it is not stored",
              "end it with </product>");
        }
        open_ = Open{offset, work.ProductName, false, false, false, 0};
        break;
      case TagKind::RegistryEntry:
        if (open_) open_->ownRegistry = true;
        CheckRegistryEntry(offset, tag, work);
        Set(registry_, offset);
        break;
      case TagKind::FileEntry:
        if (open_) {
          open_->ownFile = true;
          open_->fileOffset = offset;
        }
        CheckFileEntry(offset, tag, work);
        Set(file_, offset);
        break;
      case TagKind::Remedy:
        if (open_) open_->ownRemedy = true;
        CheckRemedy(offset, tag, work);
        Set(remedy_, offset);
        break;
      default:
        break;
    }
  }

  void OnStored(std::size_t index, const Requirement& work, bool dropped) override {
    const Open product = open_.value_or(Open{lastEnd_, work.ProductName, false, false, false, 0});
    open_.reset();
    if (dropped) {
      if (!tooMany_)
        Add(product.offset, Severity::Error, "too-many-products",
            "more than 32767 products: this one and every one after it are not read",
            "split the requirements, or drop products the simulator does not need");
      tooMany_ = true;
      return;
    }
    ++stored_;
    if (pendingNameless_ && pendingNameless_->index == index)
      Add(pendingNameless_->offset, Severity::Error, "nameless-product",
          "a product without a name is overwritten by the next one, " + Quoted(work.ProductName) +
              " (line " + std::to_string(lines_.LineOf(product.offset)) + ")",
          "give it a name=\"...\"");
    pendingNameless_.reset();
    if (work.ProductName.empty()) pendingNameless_ = Nameless{index, product.offset};
    CheckInherited(product, work);
    if (platform::LowerCase(platform::TrimSpaces(work.FileName)) == "%regvalue%" &&
        work.RegKey.empty())
      Add(product.fileOffset ? product.fileOffset : product.offset, Severity::Error,
          "regvalue-without-registry",
          "the file entry takes its path from the registry value, but no registry entry is in "
          "effect, so the path is empty",
          "add a <registryEntry> to the product, or name the file with dir and name");
    if (!work.ProductName.empty()) {
      const auto seen = names_.find(work.ProductName);
      if (seen != names_.end())
        Add(product.offset, Severity::Warning, "duplicate-name",
            "product " + Quoted(work.ProductName) + " is named a second time (first at line " +
                std::to_string(seen->second) + "); the window shows two rows of that name",
            "give each product a name of its own");
      else
        names_[work.ProductName] = lines_.LineOf(product.offset);
    }
    lastEnd_ = product.offset;
  }

  std::vector<Diagnostic> Finish() {
    if (open_)
      Add(open_->offset, Severity::Error, "unclosed-product",
          "product " + Quoted(open_->name) + " has no closing </product> tag before the end of "
          "the file, so it is not stored",
          "end it with </product>");
    if (pendingNameless_)
      Add(pendingNameless_->offset, Severity::Warning, "nameless-product",
          "a product without a name shows as a row without a name",
          "give it a name=\"...\"");
    if (stored_ == 0)
      Add(0, Severity::Warning, "empty-file",
          "the file names no products, so the checker finds everything at once",
          "list the products the simulator needs, each in <product>...</product>");
    std::stable_sort(diagnostics_.begin(), diagnostics_.end(),
                     [](const Diagnostic& a, const Diagnostic& b) {
                       return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    return std::move(diagnostics_);
  }

 private:
  struct Open {
    std::size_t offset;
    std::string name;
    bool ownRegistry, ownFile, ownRemedy;
    std::size_t fileOffset;
  };
  struct Nameless {
    std::size_t index, offset;
  };
  // The product whose tag last set an entry of one kind.
  struct Source {
    std::string product;
    std::size_t offset = 0;
    bool set = false;
  };

  void Add(std::size_t offset, Severity severity, const char* rule, std::string message,
           std::string fix) {
    diagnostics_.push_back({lines_.LineOf(offset), lines_.ColumnOf(offset), severity, rule,
                            std::move(message), std::move(fix)});
  }

  void Set(Source& source, std::size_t offset) {
    source = {open_ ? open_->name : std::string(), offset, true};
  }

  // A file that is UTF-8 without the mark is read in the legacy code page:
  // its names look wrong in the window.
  void CheckEncoding(std::string_view bytes) {
    const auto at = Utf8WithoutMark(bytes);
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
  void CheckQuotes(std::size_t offset, std::string_view tag) {
    // Only where a tag starts: what follows the cut is its own tag.
    if (tag.empty() || tag[0] != '<' || std::count(tag.begin(), tag.end(), '"') % 2 == 0) return;
    const std::size_t last = tag.rfind('"');
    Add(offset + last, Severity::Error, "gt-in-value",
        "a \">\" inside this quoted value ends the tag, and the rest of the value is read as "
        "another tag",
        "remove the \">\" from the value: values have no escapes");
  }

  void CheckAttributeSyntax(std::size_t offset, const Tag& tag, TagKind kind) {
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

  // view= on each kind of tag: a value the reader knows, on a tag where it
  // changes something.
  void CheckView(std::size_t offset, const Tag& tag, TagKind kind) {
    std::size_t at = 0;
    const auto view = RawAttribute(tag, "view", &at);
    if (!view) return;
    const bool registry = kind == TagKind::RegistryEntry, file = kind == TagKind::FileEntry;
    if (!registry && !file) {
      Add(offset + at, Severity::Warning, "view-no-effect",
          "view is read only on <registryEntry> and <fileEntry>, so here it changes nothing",
          "move view=\"" + *view + "\" to the registry or file entry it is meant for");
      return;
    }
    bool known = false;
    modCheck::ViewBits(*view, &known);
    const char* entry = registry ? "registry entry" : "file entry";
    if (!known)
      Add(offset + at, Severity::Error, "unknown-view",
          "view " + Quoted(*view) + " is neither \"64\" nor \"32\", so the " + entry +
              " is checked on the program's own side, as without it",
          registry ? "write view=\"64\" for the 64-bit registry, view=\"32\" for the 32-bit one"
                   : "write view=\"64\" for the 64-bit file system, or leave view out");
    else if (file && *view == "32")
      Add(offset + at, Severity::Warning, "view-no-effect",
          "view=\"32\" on a file entry changes nothing: the checker is a 32-bit program and "
          "sees the 32-bit file system by itself",
          "leave view out, or write view=\"64\" to check the 64-bit system folder");
  }

  void CheckRegistryEntry(std::size_t offset, const Tag& tag, const Requirement& work) {
    if (work.RegKey.empty()) return;  // clears the entry: nothing is read
    const std::size_t node = platform::FindNoCase(work.RegKey, "wow6432node");
    if (node != std::string::npos) {
      std::size_t at = 0;
      RawAttribute(tag, "key", &at);
      std::string plain = work.RegKey;
      plain.erase(node, 11);
      if (plain.compare(node, 1, "\\") == 0) plain.erase(node, 1);
      else if (node > 0 && plain[node - 1] == '\\') plain.erase(node - 1, 1);
      Add(offset + at, Severity::Warning, "wow6432node",
          "the key names WOW6432Node, where 64-bit Windows keeps the 32-bit registry view; 32-bit "
          "Windows has no such key, so there the entry is never found",
          "write key=\"" + plain + "\" view=\"32\" to read the 32-bit view on every Windows");
    }
    const auto check = [&](const char* attribute, const auto& names, const char* example) {
      std::size_t at = 0;
      const std::string value = RawAttribute(tag, attribute, &at).value_or("");
      const std::string fix = std::string("write ") + attribute + "=\"" + example +
                              "\" (or another name, exactly in capitals)";
      if (std::any_of(names.begin(), names.end(),
                      [&](const modCheck::NamedNumber& n) { return n.name == value; }))
        return;
      const auto number = requirements::ParseInt32(value, true);
      const std::string rule = std::string("unknown-") + attribute;
      if (value.empty())
        Add(offset + at, Severity::Error, rule.c_str(),
            std::string("the registry entry has no ") + attribute +
                ", so the entry is never found",
            fix);
      else if (!number)
        Add(offset + at, Severity::Error, rule.c_str(),
            std::string(attribute) + " " + Quoted(value) + " is neither one of the " + attribute +
                " names, written exactly in capitals, nor a number, so the entry is never found",
            fix);
      else if (std::string_view(attribute) == "root" &&
               modCheck::RootName(*number) == std::to_string(*number))
        Add(offset + at, Severity::Error, rule.c_str(),
            "root " + value + " is not one of the five registry roots, so the entry is never "
            "found",
            fix);
    };
    check("root", modCheck::kRootNames, "HKEY_LOCAL_MACHINE");
    check("type", modCheck::kTypeNames, "REG_SZ");
  }

  void CheckTokens(std::size_t offset, const Tag& tag, const char* attribute) {
    std::size_t at = 0;
    const auto value = RawAttribute(tag, attribute, &at);
    if (!value) return;
    int known = 0;
    for (std::size_t from = 0;;) {
      const std::size_t open = value->find('%', from);
      if (open == std::string::npos) break;
      const std::size_t close = value->find('%', open + 1);
      if (close == std::string::npos) break;
      const std::string token = value->substr(open, close - open + 1);
      const std::string lower = platform::LowerCase(token);
      const bool isKnown = std::any_of(std::begin(kTokens), std::end(kTokens), [&](const char* t) {
        return platform::LowerCase(t) == lower;
      });
      if (!isKnown && token.size() > 2 &&
          token.find_first_of(" \\/:") == std::string::npos)
        Add(offset + at, Severity::Warning, "unknown-token",
            token + " in " + attribute + " is not a folder token, so it stays as written",
            "use %ZANTRIXDIR%, %SYSTEMDIR% or %WINDIR%");
      if (isKnown && ++known == 2)
        Add(offset + at, Severity::Warning, "second-token",
            "only the first folder token in " + std::string(attribute) + " is replaced; " + token +
                " stays as written",
            "write the second folder out in full, or split the value");
      from = isKnown || token.size() <= 2 ? close + 1 : open + 1;
    }
  }

  void CheckFileEntry(std::size_t offset, const Tag& tag, const Requirement& work) {
    CheckTokens(offset, tag, "dir");
    std::size_t at = 0;
    const auto dir = RawAttribute(tag, "dir", &at);
    const std::string name = platform::TrimSpaces(work.FileName);
    if (dir && !work.FileDir.empty() && work.FileDir.back() != '\\' && !name.empty() &&
        name.front() != '\\' && platform::LowerCase(name) != "%regvalue%")
      Add(offset + at, Severity::Error, "dir-without-backslash",
          "dir " + Quoted(work.FileDir) + " does not end with a backslash, so the path is " +
              Quoted(work.FileDir + work.FileName),
          "end dir with a backslash: dir=\"" + *dir + "\\\"");
    std::size_t vat = 0;
    if (RawAttribute(tag, "version", &vat) && !work.FileVersion.empty() &&
        !IsDottedNumbers(work.FileVersion))
      Add(offset + vat, Severity::Error, "version-not-numbers",
          "version " + Quoted(work.FileVersion) + " is not dotted decimal numbers, so no file "
          "ever meets it",
          "write the version as numbers, e.g. version=\"7.0.0.0\"");
  }

  void CheckRemedy(std::size_t offset, const Tag& tag, const Requirement& work) {
    CheckTokens(offset, tag, "location");
    std::size_t at = 0;
    if (RawAttribute(tag, "source", &at) && work.RemedySource != "web" &&
        platform::LowerCase(work.RemedySource) == "web")
      Add(offset + at, Severity::Warning, "web-case",
          "source " + Quoted(work.RemedySource) + " differs from \"web\" only in letter case, so "
          "Acquire runs the location as an installer instead of opening it in the browser",
          "write source=\"web\" in small letters");
    if (work.RemedyLocation.empty())
      Add(offset, Severity::Warning, "empty-location",
          "the remedy has no location, so Acquire hands the shell nothing to open",
          "give the remedy a location=\"...\"");
  }

  void CheckInherited(const Open& product, const Requirement& work) {
    std::vector<std::string> kinds;
    const Source* from = nullptr;
    const auto inherits = [&](bool own, bool inEffect, const Source& source, const char* kind) {
      if (own || !inEffect || !source.set) return;
      kinds.push_back(kind);
      if (!from) from = &source;
    };
    inherits(product.ownRegistry, !work.RegKey.empty(), registry_, "registry entry");
    inherits(product.ownFile, !work.FileName.empty(), file_, "file entry");
    inherits(product.ownRemedy, !work.RemedySource.empty() || !work.RemedyLocation.empty(),
             remedy_, "remedy");
    if (kinds.empty()) return;
    std::string list = kinds[0];
    for (std::size_t i = 1; i < kinds.size(); ++i)
      list += (i + 1 == kinds.size() ? " or " : ", ") + kinds[i];
    Add(product.offset, Severity::Warning, "inherited-fields",
        "product " + Quoted(work.ProductName) + " has no " + list + " of its own and inherits " +
            (kinds.size() == 1 ? "it" : "them") + " from " + Quoted(from->product) + " (line " +
            std::to_string(lines_.LineOf(from->offset)) + ")",
        "give the product its own entries, or empty ones (<registryEntry key=\"\"/>, "
        "<fileEntry name=\"\"/>) to inherit nothing");
  }

  Lines lines_;
  platform::StoredEncoding encoding_;
  std::vector<Diagnostic> diagnostics_;
  std::optional<Open> open_;
  std::optional<Nameless> pendingNameless_;
  Source registry_, file_, remedy_;
  std::map<std::string, int> names_;
  std::size_t lastEnd_ = 0;
  int stored_ = 0;
  bool tooMany_ = false;
};

}  // namespace

std::vector<Diagnostic> Lint(std::string_view bytes) {
  Watcher watcher(bytes);
  std::vector<Requirement> list(2);
  modCheck::ReadRequirementsText(bytes, list, &watcher);
  return watcher.Finish();
}

const std::vector<LintRule>& LintRules() {
  static const std::vector<LintRule> rules = {
      {"unclosed-product", "A product without its closing tag",
       "A product is stored only at its </product> tag; one that the next product or the end of "
       "the file interrupts is not checked at all. End every product with </product>."},
      {"nameless-product", "A product without a name",
       "A product without name=\"...\" is overwritten by the next product, or shows as a row "
       "without a name. Give every product a name."},
      {"inherited-fields", "Entries carried over from the product before",
       "Each tag sets only its own fields, and nothing is cleared when a product begins: a product "
       "without a registry entry, file entry or remedy of its own checks the one before it. Give "
       "each product its own entries, or empty ones."},
      {"gt-in-value", "A \">\" inside a quoted value",
       "A tag runs to the next \">\", also inside quotes: the rest of the value is read as another "
       "tag. Values have no escapes; remove the \">\"."},
      {"blank-before-equals", "A blank between an attribute's name and \"=\"",
       "The reader looks for the name and the \"=\" together; with a blank between them the "
       "attribute is not read. Write name=\"...\"."},
      {"single-quotes", "A value in single quotes",
       "Only double quotes delimit values; a value in single quotes is read as empty."},
      {"unknown-root", "A registry root that is not one of the five",
       "root must be one of the five names, exactly in capitals, or its number; anything else "
       "means the entry is never found."},
      {"unknown-type", "A registry type that is neither a name nor a number",
       "type must be one of the type names, exactly in capitals, or a number; anything else means "
       "the entry is never found."},
      {"regvalue-without-registry", "%REGVALUE% without a registry entry",
       "A file entry named %REGVALUE% takes its path from the registry value just read; without a "
       "registry entry the path is empty and the file is never found."},
      {"dir-without-backslash", "A folder without its trailing backslash",
       "dir and name are joined without a separator: end dir with a backslash."},
      {"version-not-numbers", "A version that is not dotted numbers",
       "A required version must be dotted decimal numbers; no file meets any other."},
      {"unknown-token", "A %...% that is no folder token",
       "Only %ZANTRIXDIR%, %SYSTEMDIR% and %WINDIR% are replaced; anything else stays as written."},
      {"second-token", "A second folder token in one value",
       "Only the first folder token in a value is replaced; write the second folder out in full."},
      {"web-case", "source=\"web\" in other letters",
       "Only source=\"web\", in small letters, opens the location in the browser; any other "
       "source runs it as a packaged installer."},
      {"empty-location", "A remedy without a location",
       "Acquire hands the shell the location; without one it opens nothing."},
      {"duplicate-name", "Two products of one name",
       "The window shows a row per product; two of one name cannot be told apart."},
      {"empty-file", "A file without products",
       "A list without products counts as all found, and the simulator starts at once."},
      {"too-many-products", "More than 32767 products",
       "The checker reads at most 32767 products; the rest are ignored."},
      {"unknown-view", "A view that is neither 64 nor 32",
       "view=\"64\" checks the 64-bit side of 64-bit Windows, view=\"32\" the 32-bit one; any "
       "other value checks the program's own side, as without the attribute."},
      {"wow6432node", "A registry key through WOW6432Node",
       "WOW6432Node is where 64-bit Windows keeps the 32-bit registry view; 32-bit Windows has no "
       "such key. Write the plain key with view=\"32\"."},
      {"view-no-effect", "A view that changes nothing",
       "view is read only on registry and file entries, and view=\"32\" on a file entry changes "
       "nothing: the checker already sees the 32-bit file system."},
      {"utf8-without-bom", "UTF-8 without its byte order mark",
       "Without the UTF-8 byte order mark the checker reads the file in the legacy code page, and "
       "names beyond ASCII look wrong in the window. Save the file as UTF-8 with a byte order "
       "mark."},
  };
  return rules;
}

}  // namespace checktool
