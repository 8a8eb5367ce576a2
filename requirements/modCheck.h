#pragma once
// The requirements file "filespecs.xml" and the checks made on what it
// lists. The format only looks like XML: the reader cuts the text into tags
// at each ">", recognises a tag by a keyword anywhere in it, and cuts
// attribute values out by searching for the attribute's name.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/hash.h"

namespace modCheck {

// One product of the requirements file and its check result.
struct Requirement {
  std::string ProductName;
  std::int32_t RegRoot = 0;  // predefined root handle value; 0 reads nothing
  std::string RegKey;
  std::string RegValueName;  // "default" (any case) or empty: the unnamed value
  std::int32_t RegType = 0;  // registry type code; no check consults it
  std::string RegData;       // expected data; empty accepts any
  std::string RegView;       // "64" or "32": that registry view; else the program's own
  std::string FileName;      // or "%REGVALUE%": the path is RegData
  std::string FileDir;       // joined to FileName without a separator
  std::string FileVersion;   // dotted numbers; empty requires none
  std::string FileView;      // "64": the 64-bit file system; else the program's own
  std::string RemedySource;  // "web" or an installer
  std::string RemedyLocation;
  std::string RemedySha256;  // the installer's pinned SHA-256, as written; empty: none
  bool Found = false;

  bool operator==(const Requirement&) const = default;
};

// Entries 0 to last-1 are the products in file order; the last entry is an
// empty spare. Indexes are 16-bit, so the upper index stays <= 32767.
extern std::vector<Requirement> Requirements;
inline constexpr std::size_t kMaxUpperIndex = 32767;

// The checker's folder with one trailing backslash, set at start-up. Left
// empty, the executable's folder is used.
extern std::string ProgramFolder;

// What the check window does before every read: two empty entries.
void ResetRequirements();

// Reads ProgramFolder & "filespecs.xml" into Requirements. Returns 0 when
// read (also with no products, or when only a hidden or system file is
// there), 110 after telling the user in an "Error" box that it could not
// be opened; the list is then left as it was.
std::int32_t ReadRequirements();

// The value of one attribute of a tag: iWhich 0 "name=", 1 "root=",
// 2 "key=", 3 "value=", 4 "type=", 5 "data=", 6 "dir=", 7 "version=",
// 8 "source=", 9 "location=", 10 "view=", 11 "sha256=". Root and type names become the decimal text
// of their numbers; for 6 and 9 the first folder token is replaced. Empty
// when absent or not quoted.
std::string GetAttributeValue(const std::string& sTag, std::int32_t iWhich);

// Whether the list read names no product: one entry without a name, which
// the check window counts as all found.
bool NamesNoProducts();

// Adds iStep to the progress bar (held within its range by the target).
void AdvanceProgress(std::int16_t iStep);

// A remedy's pin: 64 hexadecimal digits, either case. Its bytes, none when
// the text is anything else.
std::optional<platform::Sha256Digest> ParseSha256(const std::string& text);
std::string Sha256Text(const platform::Sha256Digest& digest);  // lower case
// Whether Acquire checks the remedy's file against a pin before it opens
// it: a packaged remedy (not "web") that names one.
bool HasPinnedInstaller(const Requirement& r);
// A packaged remedy's location as the full path that is checked and then
// started: as it stands when it names a drive or a network share, else in
// `programFolder` (the folder the shell is given), or on its drive for a
// path from the root.
std::string InstallerPath(const std::string& location, const std::string& programFolder);
// An installer against its pin, the file hashed now, in pieces.
struct PinCheck {
  bool valid = false;                       // the pin is a SHA-256
  platform::Status status = platform::kOk;  // the file's, when it could not be read
  platform::FileKind kind = platform::FileKind::Regular;  // what the path named
  std::optional<platform::Sha256Digest> actual;
  bool matches = false;
  bool stopped = false;  // `keepGoing` said no before the end
};
// Through a held file; `keepGoing`, when given, is asked between pieces.
PinCheck CheckPin(platform::HeldFile& file, const std::string& sha256,
                  const std::function<bool()>& keepGoing = {});
// Opens `path` (a regular file only), hashes it and closes it.
PinCheck CheckPin(const std::string& path, const std::string& sha256);

// Sets Found on entries 0 to last-1 by their registry and file entries;
// the registry test may rewrite RegKey, RegValueName and RegData. Always 0.
std::int32_t RunChecks();

// Number iPart (0 major .. 3 revision) of a dotted version text; a part the
// text lacks is 0, and so is a part that is not a decimal number.
std::int32_t GetVersionPart(std::int32_t iPart, const std::string& sVersion);

// The side of 64-bit Windows a "view=" value asks for: 32 or 64, written
// exactly so; 0 for none, which is the program's own side. Any other text
// is no view either (`known` false).
int ViewBits(const std::string& sView, bool* known = nullptr);

}  // namespace modCheck
