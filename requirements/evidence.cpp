#include "requirements/evidence.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "platform/texts.h"
#include "requirements/modCheck.h"
#include "requirements/reader.h"

namespace modCheck {

std::vector<Evidence> Evidences;

namespace {

// A value as the user would type it: in quotes, the NULs that separate the
// strings of a multi-string shown as \0.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) out += c == '\0' ? std::string("\\0") : std::string(1, c);
  return out + "\"";
}

std::string KeyPath(const RegistryEvidence& r) {
  return RootName(r.root) + (r.key.empty() ? "" : "\\" + r.key);
}

using platform::Format;
using platform::T;

// The key as the test read it: which view, when not the program's own.
std::string KeyPathRead(const RegistryEvidence& r) {
  // TRANSLATORS: %1 is a registry key, %2 a bitness (32 or 64).
  return r.viewBits ? Format(T("%1 (%2-bit view)"), {KeyPath(r), std::to_string(r.viewBits)})
                    : KeyPath(r);
}

// The attribute that would make the entry read the other side.
std::string ViewFix(const std::string& written, int bits, bool registry) {
  const std::string wanted = "view=\"" + std::to_string(bits) + "\"";
  // TRANSLATORS: %1 is an attribute as it is written (view="64").
  if (written.empty())
    return Format(registry ? T("add %1 to the registry entry") : T("add %1 to the file entry"),
                  {wanted});
  // TRANSLATORS: %1 and %2 are attributes as they are written (view="32").
  return Format(registry ? T("change %1 to %2 on the registry entry")
                         : T("change %1 to %2 on the file entry"),
                {"view=\"" + written + "\"", wanted});
}

std::string ValuePhrase(const RegistryEvidence& r) {
  // TRANSLATORS: %1 is a registry value's name, in quotes.
  return r.valueName.empty() ? T("default value") : Format(T("value %1"), {Quoted(r.valueName)});
}

std::string Stored(const std::string& text, std::uint32_t type) {
  return Quoted(text) + " (" + TypeName(type) + ")";
}

std::string ErrorNumber(platform::Status status) {
  return Format(T("error %1"), {std::to_string(status)});
}

// What the registry test saw, as the middle of a sentence.
// TRANSLATORS: in these phrases %1 is a registry key, %2 a value ("default
// value", value "Path"), %3 and %4 data as stored.
std::string RegistrySentence(const RegistryEvidence& r) {
  const std::string key = KeyPathRead(r), value = ValuePhrase(r);
  switch (r.outcome) {
    case RegistryOutcome::Read:
      if (r.match == DataMatch::Differs)
        return Format(T("%1, %2 is %3; %4 is required (letter case counts)"),
                      {key, value, Stored(r.text, r.type), Quoted(r.expected)});
      return Format(r.match == DataMatch::Equal ? T("%1, %2 = %3, as required") : T("%1, %2 = %3"),
                    {key, value, Stored(r.text, r.type)});
    case RegistryOutcome::InvalidRoot:
      if (r.root == 0)
        return T("the registry entry names no root that can be read (its \"root\" or \"type\" is "
                 "neither one of the names nor a number)");
      // TRANSLATORS: %1 is a number.
      return Format(T("the registry root %1 is not one of the five registry roots"),
                    {std::to_string(r.root)});
    case RegistryOutcome::NoKey:
      return Format(T("the registry key %1 does not exist"), {key});
    case RegistryOutcome::NoValue:
      return Format(T("%1 has no %2"), {key, value});
    case RegistryOutcome::AccessDenied:
      return Format(T("access to the registry key %1 was denied"), {key});
    case RegistryOutcome::OtherError: {
      const std::string why = platform::TrimLineEnd(r.statusText);
      // TRANSLATORS: %3 is the system's reason.
      return Format(T("%1, %2 could not be read: %3"),
                    {key, value, why.empty() ? ErrorNumber(r.status) : why});
    }
  }
  return {};
}

bool HasWildcard(const std::string& path) {
  return path.find_first_of("*?") != std::string::npos;
}

// Why a search could not look, as the end of a sentence.
std::string SearchFailurePhrase(const FileEvidence& f) {
  switch (SearchFailureOf(f.searchFailure)) {
    case SearchFailure::AccessDenied:
      return T("access to its folder was denied");
    case SearchFailure::NotReady:
      return T("the drive is not ready (there is no disk in it)");
    case SearchFailure::NetworkPath:
      return T("the network path cannot be reached");
    case SearchFailure::None:
    case SearchFailure::Other:
      break;
  }
  const std::string why = platform::TrimLineEnd(f.searchFailureText);
  return why.empty() ? ErrorNumber(f.searchFailure) : why;
}

// What the file test saw, as the middle of a sentence.
// TRANSLATORS: in these phrases %1 is a file's path (or a name and the
// pattern it matched), %2 a version or a reason.
std::string FileSentence(const FileEvidence& f) {
  std::string path = f.path;
  if (f.fromRegistry) path = Format(T("%1 (the path the registry value gave)"), {path});
  if (f.viewBits) path = Format(T("%1 in the 64-bit file system"), {path});
  switch (f.presence) {
    case FilePresence::NoPath:
      return f.fromRegistry ? T("the registry value gave no path to look for")
                            : T("the file entry gives no path to look for");
    case FilePresence::Absent:
      if (f.searchFailure != platform::kOk)
        return Format(T("%1 could not be looked for: %2"), {path, SearchFailurePhrase(f)});
      return Format(HasWildcard(f.path) ? T("no file matches %1") : T("%1 does not exist"), {path});
    case FilePresence::HiddenOrSystem:
      return Format(T("%1 is a hidden or system file, and those do not count"), {path});
    case FilePresence::Folder:
      return Format(T("%1 is a folder, not a file"), {path});
    case FilePresence::Present:
      break;
  }
  // TRANSLATORS: %1 is the name a search found, %2 the path with wildcards.
  const std::string name =
      HasWildcard(f.path) ? Format(T("%1 (matching %2)"), {f.matchedName, path}) : path;
  switch (f.outcome) {
    case VersionOutcome::NoneRequired:
      return Format(f.hasVersion ? T("%1 has version %2; no version is required")
                                 : T("%1 is there; no version is required"),
                    {name, f.version});
    case VersionOutcome::Exact:
      return Format(T("%1 has version %2, as required"), {name, f.version});
    case VersionOutcome::AtLeast:
    case VersionOutcome::Older:
      // TRANSLATORS: %3 is the version required.
      return Format(T("%1 has version %2; %3 or later is needed"), {name, f.version, f.required});
    case VersionOutcome::NoVersionInfo:
      return Format(T("%1 has no version information; %2 or later is needed"),
                    {name, f.required});
    case VersionOutcome::RequiredNotNumbers:
      // TRANSLATORS: %3 is the version required, in quotes.
      return Format(T("%1 has version %2, but the required version %3 is not dotted numbers"),
                    {name, f.version, Quoted(f.required)});
    case VersionOutcome::NotLooked:
      break;
  }
  return Format(T("%1 is there"), {name});
}

}  // namespace

SearchFailure SearchFailureOf(platform::Status status) {
  switch (status) {
    case platform::kOk: return SearchFailure::None;
    case platform::kErrorAccessDenied: return SearchFailure::AccessDenied;
    case platform::kErrorNotReady: return SearchFailure::NotReady;
    case platform::kErrorBadNetPath:
    case platform::kErrorBadNetName: return SearchFailure::NetworkPath;
    default: return SearchFailure::Other;
  }
}

const Evidence& EvidenceFor(std::size_t index) {
  static const Evidence none;
  return index < Evidences.size() ? Evidences[index] : none;
}

std::string Explain(const Evidence& e) {
  // TRANSLATORS: %1 is what the check saw.
  const std::string verdict = e.found ? T("Found: %1.") : T("Missing: %1.");
  std::string text;
  switch (e.decider) {
    case Decider::Neither:
      text = e.found ? T("Found: this product names no registry value and no file.")
                     : T("Missing: this product names no registry value and no file.");
      break;
    case Decider::Registry:
      text = Format(verdict, {RegistrySentence(e.registry)});
      break;
    case Decider::File:
      text = Format(verdict, {FileSentence(e.file)});
      if (e.registry.ran)
        text += "\r\n" + Format(T("Registry: %1 (the file test decides)."),
                                {RegistrySentence(e.registry)});
      break;
  }
  const RegistryEvidence& r = e.registry;
  if (r.ran && r.inOtherView)
    // TRANSLATORS: %1 is a registry key, %2 a value, %3 a bitness (32 or
    // 64), %4 the data stored, %5 what to change in the file.
    text += "\r\n" + Format(T("%1, %2 exists only in the %3-bit registry (%4); %5 to check it there."),
                            {KeyPath(r), ValuePhrase(r), std::to_string(r.otherViewBits),
                             Stored(r.otherText, r.otherType),
                             ViewFix(r.viewAttribute, r.otherViewBits, true)});
  const FileEvidence& f = e.file;
  // TRANSLATORS: %1 is a file's path, %2 what to change in the file.
  if (f.ran && f.otherSideBits == 64)
    text += "\r\n" + Format(T("%1 exists only in the 64-bit file system; %2 to check it there."),
                            {f.path, ViewFix(f.viewAttribute, 64, false)});
  else if (f.ran && f.otherSideBits == 32)
    // TRANSLATORS: %1 is a file's path, %2 an attribute as written (view="64").
    text += "\r\n" + Format(T("%1 exists only in the 32-bit file system; remove %2 from the file "
                              "entry to check it there."),
                            {f.path, "view=\"" + f.viewAttribute + "\""});
  return text;
}

std::string ReportLine(std::size_t index) {
  std::string why = Explain(EvidenceFor(index));
  for (std::size_t at; (at = why.find("\r\n")) != std::string::npos;) why.replace(at, 2, " ");
  return Requirements[index].ProductName + " - " + why;
}

std::string RootName(std::int32_t root) {
  for (const NamedNumber& name : kRootNames)
    if (name.number == root) return std::string(name.name);
  return std::to_string(root);
}

std::string TypeName(std::uint32_t type) {
  for (const NamedNumber& name : kTypeNames)
    if (name.number == type) return std::string(name.name);
  // Types a value may have though no requirements file names them.
  switch (type) {
    case 0: return "REG_NONE";
    case 5: return "REG_DWORD_BIG_ENDIAN";
    case 6: return "REG_LINK";
    case 11: return "REG_QWORD";
    default: return "type " + std::to_string(type);
  }
}

}  // namespace modCheck
