#pragma once
// What the checks did for each product, beside the Found they decide: what
// was looked up, what was found there and why that counts as found or
// missing. Recorded by RunChecks, which never lets it change a decision;
// turned into plain sentences by Explain.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"

namespace modCheck {

struct Requirement;

// Why a registry value was, or was not, read.
enum class RegistryOutcome {
  Read,
  InvalidRoot,  // not one of the five roots (a name that is neither a root nor a number)
  NoKey,
  NoValue,
  AccessDenied,
  OtherError,  // status and statusText say which
};

// How the value read compared with the data the file expects.
enum class DataMatch {
  AnyData,  // no data expected: whatever the value holds
  Equal,    // exactly, letter case counting
  Differs,
};

struct RegistryEvidence {
  bool ran = false;
  std::int32_t root = 0;
  std::string key, valueName;  // as read, after the rewrites
  std::string viewAttribute;   // the entry's view="..." as written; empty: none
  int viewBits = 0;            // the view read when it is not the program's own
  RegistryOutcome outcome = RegistryOutcome::Read;
  platform::Status status = platform::kOk;  // the system's answer when not read
  std::string statusText;
  std::string text;        // the value read, blanks around it removed
  std::uint32_t type = 0;  // its stored type
  std::string expected;    // the data the file expects; empty: any
  DataMatch match = DataMatch::AnyData;
  // After a failed read, a read-only look at the other registry view than
  // the one read (on 64-bit Windows): whether the value is there, what it
  // holds, and which view that is (32 or 64).
  bool inOtherView = false;
  std::string otherText;
  std::uint32_t otherType = 0;
  int otherViewBits = 0;
};

// Whether the file the entry names was there.
enum class FilePresence {
  Present,
  NoPath,          // the path is empty
  Absent,          // nothing matches
  HiddenOrSystem,  // only a hidden or system entry matches
  Folder,          // only a folder matches
};

// How the file's version compared with the one required.
enum class VersionOutcome {
  NotLooked,         // the file was not there
  NoneRequired,      // any version will do
  Exact,             // the version text is the required text
  AtLeast,           // newer or the same, compared as numbers
  Older,
  NoVersionInfo,     // a version is required but the file has none
  RequiredNotNumbers,
};

struct FileEvidence {
  bool ran = false;
  std::string path;           // searched, wildcards and all
  bool fromRegistry = false;  // the path is the registry value read
  FilePresence presence = FilePresence::Absent;
  std::string matchedName;    // what the search found (for wildcards)
  bool hasVersion = false;
  std::string version;        // the file's version text
  std::string required;       // the version the file asks for; empty: none
  VersionOutcome outcome = VersionOutcome::NotLooked;
  std::string viewAttribute;  // the entry's view="..." as written; empty: none
  int viewBits = 0;           // 64 when the 64-bit file system was read for a 32-bit program
  // When no file matched: the side of 64-bit Windows where one does (32
  // or 64), looked at for the explanation alone; 0 when none does.
  int otherSideBits = 0;
  // Why the search could not look at all (access denied, a drive not
  // ready, a network path out of reach); kOk when it looked. The file then
  // counts as absent.
  platform::Status searchFailure = platform::kOk;
  std::string searchFailureText;  // the system's words for any other failure
};

// The kind of a search failure, for the tool's JSON.
enum class SearchFailure { None, AccessDenied, NotReady, NetworkPath, Other };
SearchFailure SearchFailureOf(platform::Status status);

// Which test decided Found.
enum class Decider { Neither, Registry, File };

struct Evidence {
  RegistryEvidence registry;
  FileEvidence file;
  Decider decider = Decider::Neither;
  bool found = false;
};

// Beside Requirements: entry i tells how entry i was checked. RunChecks
// rebuilds it; ResetRequirements empties it.
extern std::vector<Evidence> Evidences;

// The evidence of entry `index`, or an empty one for an index the last
// checks did not reach.
const Evidence& EvidenceFor(std::size_t index);

// One to three lines of plain text, joined by "\r\n": the first says
// "Found:" or "Missing:" and why, what follows adds what the other test
// saw and what the other registry view holds. Exact values and paths.
std::string Explain(const Evidence& evidence);

// Entry `index` as one line of a report: its name, " - " and its
// explanation, whose own lines run on.
std::string ReportLine(std::size_t index);

// Names for the numbers the requirements file holds: "HKEY_CURRENT_USER",
// "REG_SZ"; a number without a name as its decimal text.
std::string RootName(std::int32_t root);
std::string TypeName(std::uint32_t type);

}  // namespace modCheck
