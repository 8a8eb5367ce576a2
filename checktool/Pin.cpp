#include "checktool/Pin.h"

#include <algorithm>

#include "checktool/ToolPaths.h"
#include "platform/services.h"
#include "platform/text.h"
#include "requirements/modCheck.h"
#include "requirements/reader.h"

namespace checktool {
namespace {

using modCheck::AttributeRead;
using modCheck::Quoting;

// A remedy tag as the reader cut it, what the record held after it, and
// where the reader found its sha256.
struct RemedyTag {
  std::size_t offset;
  std::string_view tag;
  modCheck::Requirement work;
  std::optional<AttributeRead> sha256;
};

class RemedyTags : public modCheck::ReadObserver {
 public:
  std::vector<RemedyTag> found;
  void OnAttribute(const AttributeRead& attribute) override {
    if (attribute.which == 11) sha256_ = attribute;
  }
  void OnTag(std::size_t offset, std::string_view tag, modCheck::TagKind kind,
             const modCheck::Requirement& work) override {
    if (kind == modCheck::TagKind::Remedy) found.push_back({offset, tag, work, sha256_});
    sha256_.reset();
  }
  void OnStored(std::size_t, const modCheck::Requirement&, bool) override {}

 private:
  std::optional<AttributeRead> sha256_;
};

struct Read {
  std::vector<modCheck::Requirement> list = std::vector<modCheck::Requirement>(2);
  RemedyTags tags;
};

void ReadAll(std::string_view bytes, platform::StoredEncoding encoding, Read& read) {
  modCheck::ReadRequirementsText(bytes, encoding, read.list, &read.tags);
}

bool Packaged(const modCheck::Requirement& r) {
  return r.RemedySource != "web" && !r.RemedyLocation.empty();
}

// "https:", "ms-settings:": an address the shell opens, no file.
bool IsAddress(const std::string& location) {
  const std::size_t colon = location.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  return std::all_of(location.begin(), location.begin() + static_cast<std::ptrdiff_t>(colon),
                     [](char c) {
                       return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                              (c >= '0' && c <= '9') || c == '+' || c == '.' || c == '-';
                     });
}

// Where Windows is not the system: a location on a drive, or in a Windows
// folder the tokens stand for (their placeholders hold "<", which no
// Windows name does), lies on the user's machine, not in this checkout.
bool OnlyOnWindows(const std::string& location, char separator) {
  if (separator == '\\') return false;
  const bool drive = location.size() >= 2 && location[1] == ':';
  return drive || location.find('<') != std::string::npos;
}

struct Edit {
  std::size_t at, erase;
  std::string insert;
};

// Where pin writes the hash into the tag; empty, or why it cannot.
std::string EditFor(const RemedyTag& r, const std::string& hash, Edit& edit) {
  if (r.sha256) {
    const AttributeRead& a = *r.sha256;
    if (a.repeated)
      return "sha256= stands more than once in its tag and the checker reads only the first: "
             "write it once";
    switch (a.quoting) {
      case Quoting::Single:
        return "its sha256 is in single quotes, which the checker does not read as a value: "
               "write sha256=\"...\" with double quotes";
      case Quoting::Unquoted:
        return "its sha256 is not in double quotes, so the checker does not read it as written: "
               "write sha256=\"...\"";
      case Quoting::Unclosed: return "its sha256 has no closing double quote";
      case Quoting::Double: edit = {a.valueOffset, a.valueLength, hash}; return {};
    }
  }
  const std::string_view tag = r.tag;
  for (std::size_t at = platform::FindNoCase(tag, "sha256"); at != std::string::npos;
       at = platform::FindNoCase(tag, "sha256", at + 1)) {
    const std::size_t next = tag.find_first_not_of(" \t\r\n", at + 6);
    if (next != std::string_view::npos && tag[next] == '=')
      return "its sha256 is written with a blank before \"=\", which the checker does not read: "
             "write sha256=\"...\"";
  }
  if (std::count(tag.begin(), tag.end(), '"') % 2 != 0)
    return "a \">\" inside a quoted value cuts its tag short, so a sha256 cannot be added to it";
  // Before the tag's end, "/>" or ">" (the last tag may have none).
  std::size_t end = tag.size();
  if (!tag.empty() && tag.back() == '>')
    end -= tag.size() >= 2 && tag[tag.size() - 2] == '/' ? 2 : 1;
  edit = {r.offset + end, 0, " sha256=\"" + hash + "\""};
  return {};
}

// Reads the new bytes back: every product as before but for its pin, and
// every remedy's pin the one meant. Empty, or what differs.
std::string ReadBack(const SourceFile& source, const Read& before, const std::string& bytes,
                     const std::vector<std::optional<std::string>>& pins) {
  Read after;
  ReadAll(bytes, source.encoding, after);
  if (after.list.size() != before.list.size() ||
      after.tags.found.size() != before.tags.found.size())
    return "the file would hold other products";
  for (std::size_t i = 0; i < before.list.size(); ++i) {
    modCheck::Requirement a = before.list[i], b = after.list[i];
    a.RemedySha256.clear();
    b.RemedySha256.clear();
    if (!(a == b))
      return "product " + Quoted(before.list[i].ProductName) + " would read differently";
  }
  for (std::size_t i = 0; i < pins.size(); ++i) {
    const std::string& now = after.tags.found[i].work.RemedySha256;
    if (now != pins[i].value_or(before.tags.found[i].work.RemedySha256))
      return "the remedy at line " +
             std::to_string(source.lines.LineOf(before.tags.found[i].offset)) +
             " would not read the pin written";
  }
  return {};
}

// verify reads only installers with a pin; one without is only opened, to
// say whether it is there.
void Hash(InstallerResult& r, bool pinning) {
  modCheck::PinCheck check;
  if (pinning || !r.pin.empty()) {
    check = modCheck::CheckPin(r.path, r.pin);
  } else {
    std::unique_ptr<platform::HeldFile> file;
    check.status = platform::Os().files->OpenHeld(r.path, file, check.kind);
    if (check.status == platform::kOk) {
      r.finding = Finding::NotPinned;
      return;
    }
  }
  if (!check.actual) {
    r.finding = Finding::Missing;
    if (check.kind == platform::FileKind::Folder)
      r.problem = Problem::Folder;
    else if (check.kind == platform::FileKind::Device)
      r.problem = Problem::Device;
    else if (check.status == platform::kErrorFileNotFound ||
             check.status == platform::kErrorPathNotFound)
      r.problem = Problem::NotFound;
    else {
      r.problem = Problem::Unreadable;
      r.reason = platform::StatusText(check.status);
    }
    return;
  }
  r.actual = modCheck::Sha256Text(*check.actual);
  if (r.pin.empty()) {
    r.finding = Finding::NotPinned;
    r.change = pinning ? Change::Pin : Change::None;
    return;
  }
  r.finding = check.matches ? Finding::Match : Finding::Differ;
  if (!check.valid) r.problem = Problem::InvalidPin;
  if (pinning && !check.matches) r.change = Change::Update;
}

}  // namespace

PinPlan CheckInstallers(const SourceFile& source, bool pinning, const std::string& folder,
                        char separator, const std::function<void(const InstallerResult&)>& each) {
  PinPlan plan;
  Read read;
  ReadAll(source.bytes, source.encoding, read);
  std::vector<Edit> edits;
  std::vector<std::optional<std::string>> pins(read.tags.found.size());
  for (std::size_t i = 0; i < read.tags.found.size(); ++i) {
    const RemedyTag& tag = read.tags.found[i];
    if (!Packaged(tag.work)) continue;
    InstallerResult r;
    r.line = source.lines.LineOf(tag.offset);
    r.product = tag.work.ProductName;
    r.pin = tag.work.RemedySha256;
    const std::string& location = tag.work.RemedyLocation;
    if (IsAddress(location) || OnlyOnWindows(location, separator)) {
      r.path = location;
      r.finding = Finding::Missing;
      r.problem = IsAddress(location) ? Problem::Address : Problem::WindowsOnly;
    } else {
      r.path = SystemPath(modCheck::InstallerPath(tag.work.RemedyLocation, folder), separator);
      Hash(r, pinning);
    }
    if (r.change != Change::None) {
      Edit edit;
      r.refusal = EditFor(tag, *r.actual, edit);
      if (r.refusal.empty()) {
        edits.push_back(edit);
        pins[i] = *r.actual;
      } else {
        r.change = Change::None;
        plan.refused = true;
      }
    }
    if (each) each(r);
    plan.installers.push_back(std::move(r));
  }
  if (plan.refused || edits.empty()) return plan;
  std::string bytes(source.bytes);
  // From the end, so the places before stay where they were.
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
  for (const Edit& e : edits) bytes.replace(e.at, e.erase, e.insert);
  plan.unsafe = ReadBack(source, read, bytes, pins);
  if (plan.unsafe.empty()) plan.rewritten = std::move(bytes);
  return plan;
}

std::string Sentence(const InstallerResult& r, bool pinning) {
  const std::string hash = r.actual.value_or("");
  std::string text;
  switch (r.problem) {
    case Problem::NotFound: text = "does not exist"; break;
    case Problem::Folder: text = "is a folder, not an installer"; break;
    case Problem::Device: text = "is a device or a pipe, not a file"; break;
    case Problem::Unreadable: text = "cannot be read: " + r.reason; break;
    case Problem::WindowsOnly:
      text = "is a path on the Windows machine (a drive, or a Windows folder), which cannot be "
             "checked here";
      break;
    case Problem::Address:
      text = "is a web address, not an installer file (the remedy's source is not \"web\")";
      break;
    case Problem::InvalidPin:
      text = "the pin " + Quoted(r.pin) + " is not a SHA-256; the installer's is " + hash;
      break;
    case Problem::None:
      switch (r.finding) {
        case Finding::Match: text = pinning ? "already pinned" : "matches its pin"; break;
        case Finding::Differ:
          text = (pinning ? "its SHA-256 is " : "MISMATCH: its SHA-256 is ") + hash +
                 ", the pin says " + platform::LowerCase(r.pin);
          break;
        case Finding::NotPinned:
          text = pinning ? "not pinned; its SHA-256 is " + hash : "not pinned";
          break;
        case Finding::Missing: break;
      }
      break;
  }
  if (pinning && r.finding == Finding::Missing) text += ", not pinned";
  if (!r.refusal.empty()) text += "; not changed: " + r.refusal;
  return text;
}

}  // namespace checktool
