#include "checktool/RunReport.h"

#include <algorithm>
#include <optional>

#include "checktool/Json.h"
#include "checktool/ToolServices.h"
#include "platform/services.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "resources/version.h"

namespace checktool {
namespace {

using modCheck::Evidence;

const char* OutcomeName(modCheck::RegistryOutcome o) {
  switch (o) {
    case modCheck::RegistryOutcome::Read: return "read";
    case modCheck::RegistryOutcome::InvalidRoot: return "invalidRoot";
    case modCheck::RegistryOutcome::NoKey: return "noKey";
    case modCheck::RegistryOutcome::NoValue: return "noValue";
    case modCheck::RegistryOutcome::AccessDenied: return "accessDenied";
    case modCheck::RegistryOutcome::OtherError: return "error";
  }
  return "error";
}

const char* MatchName(modCheck::DataMatch m) {
  switch (m) {
    case modCheck::DataMatch::AnyData: return "any";
    case modCheck::DataMatch::Equal: return "equal";
    case modCheck::DataMatch::Differs: return "differs";
  }
  return "any";
}

const char* PresenceName(modCheck::FilePresence p) {
  switch (p) {
    case modCheck::FilePresence::Present: return "present";
    case modCheck::FilePresence::NoPath: return "noPath";
    case modCheck::FilePresence::Absent: return "absent";
    case modCheck::FilePresence::HiddenOrSystem: return "hiddenOrSystem";
    case modCheck::FilePresence::Folder: return "folder";
  }
  return "absent";
}

const char* VersionOutcomeName(modCheck::VersionOutcome v) {
  switch (v) {
    case modCheck::VersionOutcome::NotLooked: return "notLooked";
    case modCheck::VersionOutcome::NoneRequired: return "noneRequired";
    case modCheck::VersionOutcome::Exact: return "exact";
    case modCheck::VersionOutcome::AtLeast: return "atLeast";
    case modCheck::VersionOutcome::Older: return "older";
    case modCheck::VersionOutcome::NoVersionInfo: return "noVersionInfo";
    case modCheck::VersionOutcome::RequiredNotNumbers: return "requiredNotNumbers";
  }
  return "notLooked";
}

const char* SearchFailureName(modCheck::SearchFailure f) {
  switch (f) {
    case modCheck::SearchFailure::None: return "none";
    case modCheck::SearchFailure::AccessDenied: return "accessDenied";
    case modCheck::SearchFailure::NotReady: return "notReady";
    case modCheck::SearchFailure::NetworkPath: return "networkPath";
    case modCheck::SearchFailure::Other: return "error";
  }
  return "error";
}

const char* DeciderName(modCheck::Decider d) {
  switch (d) {
    case modCheck::Decider::Neither: return "neither";
    case modCheck::Decider::Registry: return "registry";
    case modCheck::Decider::File: return "file";
  }
  return "neither";
}

// 32 or 64, or null for 0 (the program's own side; nothing seen there).
void WriteBitsOrNull(JsonWriter& json, int bits) {
  if (bits)
    json.Number(bits);
  else
    json.Null();
}

void WriteRegistry(JsonWriter& json, const modCheck::RegistryEvidence& r) {
  json.BeginObject();
  json.Key("root").String(modCheck::RootName(r.root));
  json.Key("key").String(r.key);
  json.Key("valueName").String(r.valueName);
  json.Key("outcome").String(OutcomeName(r.outcome));
  json.Key("status").Number(r.status);
  if (r.outcome == modCheck::RegistryOutcome::Read) {
    json.Key("text").String(r.text);
    json.Key("type").String(modCheck::TypeName(r.type));
  }
  json.Key("expected").String(r.expected);
  json.Key("match").String(MatchName(r.match));
  json.Key("view").String(r.viewAttribute);
  WriteBitsOrNull(json.Key("viewRead"), r.viewBits);
  json.Key("otherView");
  if (r.inOtherView) {
    json.BeginObject();
    json.Key("bits").Number(r.otherViewBits);
    json.Key("text").String(r.otherText);
    json.Key("type").String(modCheck::TypeName(r.otherType));
    json.EndObject();
  } else {
    json.Null();
  }
  json.EndObject();
}

void WriteFile(JsonWriter& json, const modCheck::FileEvidence& f) {
  json.BeginObject();
  json.Key("path").String(f.path);
  json.Key("fromRegistry").Bool(f.fromRegistry);
  json.Key("presence").String(PresenceName(f.presence));
  json.Key("matched").String(f.matchedName);
  json.Key("version");
  if (f.hasVersion)
    json.String(f.version);
  else
    json.Null();
  json.Key("required").String(f.required);
  json.Key("outcome").String(VersionOutcomeName(f.outcome));
  json.Key("view").String(f.viewAttribute);
  WriteBitsOrNull(json.Key("viewRead"), f.viewBits);
  WriteBitsOrNull(json.Key("onlyOnOtherSide"), f.otherSideBits);
  json.Key("searchError");
  if (f.searchFailure != platform::kOk) {
    json.BeginObject();
    json.Key("reason").String(SearchFailureName(modCheck::SearchFailureOf(f.searchFailure)));
    json.Key("status").Number(f.searchFailure);
    json.EndObject();
  } else {
    json.Null();
  }
  json.EndObject();
}

using modCheck::PinCheck;

// What Acquire would find of a missing product's pinned installer: the
// file it would start, resolved against the program folder as Acquire
// resolves it, hashed now as Acquire hashes it after the user's Yes.
std::optional<PinCheck> CheckPin(const modCheck::Requirement& r, const std::string& folder) {
  if (r.Found || !modCheck::HasPinnedInstaller(r)) return std::nullopt;
  return modCheck::CheckPin(modCheck::InstallerPath(r.RemedyLocation, folder), r.RemedySha256);
}

std::string PinSentence(const PinCheck& pin) {
  if (pin.matches) return " Acquire's installer matches its SHA-256 pin.";
  if (!pin.valid) return " Acquire's pin is not a SHA-256, so its installer would not be started.";
  if (pin.status != platform::kOk)
    return " Acquire's installer could not be read (" + platform::StatusText(pin.status) +
           "), so it would not be started.";
  return " Acquire's installer does not match its SHA-256 pin, so it would not be started.";
}

void WritePin(JsonWriter& json, const modCheck::Requirement& r, const std::string& folder,
              const PinCheck& pin) {
  json.BeginObject();
  json.Key("file").String(modCheck::InstallerPath(r.RemedyLocation, folder));
  json.Key("sha256").String(r.RemedySha256);
  json.Key("actual");
  if (pin.actual)
    json.String(modCheck::Sha256Text(*pin.actual));
  else
    json.Null();
  json.Key("status").Number(pin.status);
  json.Key("matches").Bool(pin.matches);
  json.EndObject();
}

}  // namespace

RunReport RunChecksIn(const std::string& folder, bool json, const std::string& machine) {
  RunReport report;
  // The folder stands for the program's own; nothing may ask the user.
  ToolServices services(folder);
  modCheck::ProgramFolder = platform::WithTrailingBackslash(folder);
  modCheck::ResetRequirements();
  if (modCheck::ReadRequirements() != 0) {
    report.status = 2;
    report.error = "cannot read " + modCheck::ProgramFolder + "filespecs.xml: " +
                   platform::TrimLineEnd(services.Shown());
    return report;
  }
  modCheck::RunChecks();
  const auto& requirements = modCheck::Requirements;
  const std::size_t rows = requirements.size() - 1;
  // As the check window counts: a list without products is all found.
  const bool allFound =
      modCheck::NamesNoProducts() ||
      std::all_of(requirements.begin(), requirements.end() - 1,
                  [](const modCheck::Requirement& r) { return r.Found; });
  report.status = allFound ? 0 : 1;
  if (!json) {
    for (std::size_t i = 0; i < rows; ++i) {
      const auto pin = CheckPin(requirements[i], folder);
      report.text += modCheck::ReportLine(i) + (pin ? PinSentence(*pin) : "") + "\n";
    }
    return report;
  }
  JsonWriter out;
  out.BeginObject();
  out.Key("tool").String("preflect-check");
  out.Key("version").String(ZANTRIX_VERSION_TEXT);
  out.Key("time").String(platform::FormatDateTime(platform::Os().clock->Now(), 'T'));
  out.Key("machine").String(machine);
  out.Key("folder").String(folder);
  out.Key("allFound").Bool(allFound);
  out.Key("products").BeginArray();
  for (std::size_t i = 0; i < rows; ++i) {
    const Evidence& e = modCheck::EvidenceFor(i);
    out.BeginObject();
    out.Key("name").String(requirements[i].ProductName);
    out.Key("found").Bool(requirements[i].Found);
    out.Key("explanation").String(modCheck::Explain(e));
    out.Key("decidedBy").String(DeciderName(e.decider));
    out.Key("registry");
    if (e.registry.ran)
      WriteRegistry(out, e.registry);
    else
      out.Null();
    out.Key("file");
    if (e.file.ran)
      WriteFile(out, e.file);
    else
      out.Null();
    out.Key("pin");
    if (const auto pin = CheckPin(requirements[i], folder))
      WritePin(out, requirements[i], folder, *pin);
    else
      out.Null();
    out.EndObject();
  }
  out.EndArray();
  out.EndObject();
  report.text = out.Text();
  return report;
}

}  // namespace checktool
