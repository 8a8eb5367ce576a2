#pragma once
// pin and verify: the SHA-256 of every packaged remedy's installer,
// written into the requirements file or checked against what it says.
#include <optional>
#include <string>

#include "checktool/FileText.h"

namespace checktool {

struct PinOutcome {
  int status = 0;  // 0 done; 1 an installer missing, unreadable or not as pinned
  std::string report;                   // a line for each remedy, as done
  std::optional<std::string> rewritten;  // pin: the file's new bytes, when they changed
};

// `label` names the file in the report. pin writes or updates each packaged
// remedy's sha256 in its own tag and leaves every other byte as it was;
// verify checks every pin. Installers are hashed through the installed
// services (their folder tokens replaced as the checker replaces them).
PinOutcome PinRemedies(const SourceFile& source, const std::string& label);
PinOutcome VerifyPins(const SourceFile& source, const std::string& label);

}  // namespace checktool
