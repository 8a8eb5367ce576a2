#pragma once
// pin and verify: every packaged remedy's installer, hashed through a held
// handle, against its pin; and for pin the new bytes of the requirements
// file, each pin written exactly where the checker reads it.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "checktool/FileText.h"

namespace checktool {

// What was found of an installer, as the summary counts it.
enum class Finding { Match, Differ, Missing, NotPinned };
// Why it could not be hashed, or its pin not be compared.
enum class Problem { None, NotFound, Folder, Device, Unreadable, Address, WindowsOnly, InvalidPin };
// What pin writes for it.
enum class Change { None, Pin, Update };

struct InstallerResult {
  int line = 0;         // the remedy tag's
  std::string product;  // the product the remedy is in
  std::string path;     // the installer as opened, with the system's separators
  Finding finding = Finding::NotPinned;
  Problem problem = Problem::None;
  std::string reason;                 // the system's words, for Unreadable
  std::string pin;                    // as written; empty: none
  std::optional<std::string> actual;  // its SHA-256, lower case, when hashed
  Change change = Change::None;       // pin: what writing the file changes
  std::string refusal;                // pin: why its sha256 cannot be written
};

struct PinPlan {
  std::vector<InstallerResult> installers;
  // pin: a sha256 it cannot edit (single-quoted, unquoted, repeated...):
  // then nothing at all is written.
  bool refused = false;
  // pin: the file's new bytes, when something changes and nothing refused.
  std::optional<std::string> rewritten;
  // pin: why the new bytes were dropped: read back, they would not give
  // every product as before but for its pin.
  std::string unsafe;
};

// The packaged remedies in file order, each hashed (verify: those with a
// pin; the others only opened, to see they are there) and handed to `each`
// as soon as it is known. `folder` is the program folder, whole, that
// %ZANTRIXDIR% and relative locations stand in; the services installed
// must give it as the program's folder.
PinPlan CheckInstallers(const SourceFile& source, bool pinning, const std::string& folder,
                        char separator, const std::function<void(const InstallerResult&)>& each);

// "matches its pin", "MISMATCH: ...", "does not exist", ...: the result as
// one sentence, as pin or verify says it.
std::string Sentence(const InstallerResult& result, bool pinning);

}  // namespace checktool
