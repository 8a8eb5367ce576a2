#include "checktool/Pin.h"

#include <algorithm>
#include <vector>

#include "platform/services.h"
#include "platform/text.h"
#include "requirements/modCheck.h"
#include "requirements/reader.h"

namespace checktool {
namespace {

// A remedy tag as the reader cut it, and the working record after it.
struct RemedyTag {
  std::size_t offset;
  std::string_view tag;
  modCheck::Requirement work;
};

class RemedyTags : public modCheck::ReadObserver {
 public:
  std::vector<RemedyTag> found;
  void OnTag(std::size_t offset, std::string_view tag, modCheck::TagKind kind,
             const modCheck::Requirement& work) override {
    if (kind == modCheck::TagKind::Remedy) found.push_back({offset, tag, work});
  }
  void OnStored(std::size_t, const modCheck::Requirement&, bool) override {}
};

// The packaged remedies' tags: those whose installer Acquire would start.
std::vector<RemedyTag> PackagedRemedies(const SourceFile& source) {
  RemedyTags tags;
  std::vector<modCheck::Requirement> list(2);
  modCheck::ReadRequirementsText(source.bytes, source.encoding, list, &tags);
  std::vector<RemedyTag> packaged;
  for (RemedyTag& r : tags.found)
    if (r.work.RemedySource != "web" && !r.work.RemedyLocation.empty()) packaged.push_back(r);
  return packaged;
}

// Why an installer could not be hashed, for the report.
std::string Problem(platform::Status status) {
  return status == platform::kErrorFileNotFound || status == platform::kErrorPathNotFound
             ? "does not exist"
             : "cannot be read (" + platform::StatusText(status) + ")";
}

std::string Where(const SourceFile& source, const std::string& label, const RemedyTag& r) {
  return label + ":" + std::to_string(source.lines.LineOf(r.offset)) + ": " +
         r.work.RemedyLocation + ": ";
}

}  // namespace

PinOutcome PinRemedies(const SourceFile& source, const std::string& label) {
  PinOutcome outcome;
  struct Edit {
    std::size_t at, erase;
    std::string insert;
  };
  std::vector<Edit> edits;
  for (const RemedyTag& r : PackagedRemedies(source)) {
    const std::string where = Where(source, label, r);
    // Only the digest counts here; the pin is what gets written.
    const modCheck::PinCheck check = modCheck::CheckPin(r.work.RemedyLocation, "");
    if (!check.actual) {
      outcome.report += where + Problem(check.status) + ", not pinned\n";
      outcome.status = 1;
      continue;
    }
    const std::string hash = modCheck::Sha256Text(*check.actual);
    const std::string lower = platform::LowerCase(r.tag);
    const std::size_t name = lower.find("sha256=");
    if (name == std::string::npos) {
      // Before the tag's end, "/>" or ">" (the last tag may have none).
      std::size_t end = r.tag.size();
      if (r.tag.back() == '>') end -= r.tag.size() >= 2 && r.tag[r.tag.size() - 2] == '/' ? 2 : 1;
      edits.push_back({r.offset + end, 0, " sha256=\"" + hash + "\""});
      outcome.report += where + "pinned " + hash + "\n";
      continue;
    }
    const std::size_t open = r.tag.find('"', name);
    const std::size_t close = open == std::string_view::npos ? open : r.tag.find('"', open + 1);
    if (close == std::string_view::npos) {
      outcome.report += where + "its sha256 has no value in double quotes to replace\n";
      outcome.status = 1;
      continue;
    }
    const std::string old(r.tag.substr(open + 1, close - open - 1));
    if (platform::LowerCase(old) == hash) {
      outcome.report += where + "already pinned\n";
      continue;
    }
    edits.push_back({r.offset + open + 1, old.size(), hash});
    outcome.report += where + "pin updated to " + hash + " (was " + Quoted(old) + ")\n";
  }
  if (edits.empty()) return outcome;
  std::string bytes(source.bytes);
  // From the end, so the places before stay where they were.
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
  for (const Edit& e : edits) bytes.replace(e.at, e.erase, e.insert);
  outcome.rewritten = std::move(bytes);
  return outcome;
}

PinOutcome VerifyPins(const SourceFile& source, const std::string& label) {
  PinOutcome outcome;
  for (const RemedyTag& r : PackagedRemedies(source)) {
    const std::string where = Where(source, label, r);
    if (r.work.RemedySha256.empty()) {
      outcome.report += where + "not pinned\n";
      continue;
    }
    const modCheck::PinCheck pin = modCheck::CheckPin(r.work.RemedyLocation, r.work.RemedySha256);
    if (pin.matches) {
      outcome.report += where + "matches its pin\n";
      continue;
    }
    if (!pin.valid)
      outcome.report += where + "the pin " + Quoted(r.work.RemedySha256) + " is not a SHA-256\n";
    else if (!pin.actual)
      outcome.report += where + Problem(pin.status) + "\n";
    else
      outcome.report += where + "MISMATCH: its SHA-256 is " + modCheck::Sha256Text(*pin.actual) +
                        ", the pin says " + platform::LowerCase(r.work.RemedySha256) + "\n";
    outcome.status = 1;
  }
  return outcome;
}

}  // namespace checktool
