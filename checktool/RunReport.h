#pragma once
// `run`: the checker's reader and checks for a program folder against this
// machine, read only: no date stamp, no data folder, no message box.
#include <string>

namespace checktool {

struct RunReport {
  int status = 0;     // 0 all found, 1 some missing, 2 no requirements file
  std::string text;   // the report, as text or as JSON
  std::string error;  // for standard error when status is 2
};

// `folder` holds filespecs.xml (and is the program folder %ZANTRIXDIR%
// stands for). `machine` names the computer in the JSON.
RunReport RunChecksIn(const std::string& folder, bool json, const std::string& machine);

}  // namespace checktool
