#include "requirements/evidence.h"

#include "platform/registry.h"
#include "platform/text.h"
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

// The key as the test read it: which view, when not the program's own.
std::string KeyPathRead(const RegistryEvidence& r) {
  return KeyPath(r) + (r.viewBits ? " (" + std::to_string(r.viewBits) + "-bit view)" : "");
}

// The attribute that would make the entry read the other side.
std::string ViewFix(const std::string& written, int bits, const char* entry) {
  const std::string wanted = "view=\"" + std::to_string(bits) + "\"";
  if (written.empty()) return "add " + wanted + " to the " + entry;
  return "change view=\"" + written + "\" to " + wanted + " on the " + entry;
}

std::string ValuePhrase(const RegistryEvidence& r) {
  return r.valueName.empty() ? "default value" : "value " + Quoted(r.valueName);
}

std::string Stored(const std::string& text, std::uint32_t type) {
  return Quoted(text) + " (" + TypeName(type) + ")";
}

// What the registry test saw, as the middle of a sentence.
std::string RegistrySentence(const RegistryEvidence& r) {
  const std::string where = KeyPathRead(r) + ", " + ValuePhrase(r);
  switch (r.outcome) {
    case RegistryOutcome::Read:
      if (r.match == DataMatch::Differs)
        return where + " is " + Stored(r.text, r.type) + "; " + Quoted(r.expected) +
               " is required (letter case counts)";
      return where + " = " + Stored(r.text, r.type) +
             (r.match == DataMatch::Equal ? ", as required" : "");
    case RegistryOutcome::InvalidRoot:
      if (r.root == 0)
        return "the registry entry names no root that can be read (its \"root\" or \"type\" is "
               "neither one of the names nor a number)";
      return "the registry root " + std::to_string(r.root) +
             " is not one of the five registry roots";
    case RegistryOutcome::NoKey:
      return "the registry key " + KeyPathRead(r) + " does not exist";
    case RegistryOutcome::NoValue:
      return KeyPathRead(r) + " has no " + ValuePhrase(r);
    case RegistryOutcome::AccessDenied:
      return "access to the registry key " + KeyPathRead(r) + " was denied";
    case RegistryOutcome::OtherError: {
      const std::string why = platform::TrimLineEnd(r.statusText);
      return where + " could not be read: " +
             (why.empty() ? "error " + std::to_string(r.status) : why);
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
      return "access to its folder was denied";
    case SearchFailure::NotReady:
      return "the drive is not ready (there is no disk in it)";
    case SearchFailure::NetworkPath:
      return "the network path cannot be reached";
    case SearchFailure::None:
    case SearchFailure::Other:
      break;
  }
  const std::string why = platform::TrimLineEnd(f.searchFailureText);
  return why.empty() ? "error " + std::to_string(f.searchFailure) : why;
}

// What the file test saw, as the middle of a sentence.
std::string FileSentence(const FileEvidence& f) {
  const std::string path = f.path +
                           (f.fromRegistry ? " (the path the registry value gave)" : "") +
                           (f.viewBits ? " in the 64-bit file system" : "");
  switch (f.presence) {
    case FilePresence::NoPath:
      return f.fromRegistry ? "the registry value gave no path to look for"
                            : "the file entry gives no path to look for";
    case FilePresence::Absent:
      if (f.searchFailure != platform::kOk)
        return path + " could not be looked for: " + SearchFailurePhrase(f);
      return HasWildcard(f.path) ? "no file matches " + path : path + " does not exist";
    case FilePresence::HiddenOrSystem:
      return path + " is a hidden or system file, and those do not count";
    case FilePresence::Folder:
      return path + " is a folder, not a file";
    case FilePresence::Present:
      break;
  }
  const std::string name =
      HasWildcard(f.path) ? f.matchedName + " (matching " + path + ")" : path;
  const std::string has = name + " has version " + f.version;
  switch (f.outcome) {
    case VersionOutcome::NoneRequired:
      return (f.hasVersion ? has : name + " is there") + "; no version is required";
    case VersionOutcome::Exact:
      return has + ", as required";
    case VersionOutcome::AtLeast:
    case VersionOutcome::Older:
      return has + "; " + f.required + " or later is needed";
    case VersionOutcome::NoVersionInfo:
      return name + " has no version information; " + f.required + " or later is needed";
    case VersionOutcome::RequiredNotNumbers:
      return has + ", but the required version " + Quoted(f.required) +
             " is not dotted numbers";
    case VersionOutcome::NotLooked:
      break;
  }
  return name + " is there";
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
  const std::string verdict = e.found ? "Found: " : "Missing: ";
  std::string text;
  switch (e.decider) {
    case Decider::Neither:
      text = verdict + "this product names no registry value and no file.";
      break;
    case Decider::Registry:
      text = verdict + RegistrySentence(e.registry) + ".";
      break;
    case Decider::File:
      text = verdict + FileSentence(e.file) + ".";
      if (e.registry.ran)
        text += "\r\nRegistry: " + RegistrySentence(e.registry) + " (the file test decides).";
      break;
  }
  const RegistryEvidence& r = e.registry;
  if (r.ran && r.inOtherView)
    text += "\r\n" + KeyPath(r) + ", " + ValuePhrase(r) + " exists only in the " +
            std::to_string(r.otherViewBits) + "-bit registry (" + Stored(r.otherText, r.otherType) +
            "); " + ViewFix(r.viewAttribute, r.otherViewBits, "registry entry") +
            " to check it there.";
  const FileEvidence& f = e.file;
  if (f.ran && f.otherSideBits == 64)
    text += "\r\n" + f.path + " exists only in the 64-bit file system; " +
            ViewFix(f.viewAttribute, 64, "file entry") + " to check it there.";
  else if (f.ran && f.otherSideBits == 32)
    text += "\r\n" + f.path + " exists only in the 32-bit file system; remove view=\"" +
            f.viewAttribute + "\" from the file entry to check it there.";
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
