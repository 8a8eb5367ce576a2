#pragma once
// One run of the reader and the checks on arbitrary bytes given as
// filespecs.xml, with the invariants that must hold for any input. Shared
// by the fuzz target and the unit test that replays its corpus.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "requirements/modCheck.h"
#include "requirements/progress.h"
#include "tests/doubles/fake_os.h"

namespace fuzzing {

inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void ReadAndCheck(std::string_view bytes) {
  fakes::FakeOs os;
  // Something for the checks to find, so they get past the first step.
  os.registry.PutString(platform::kHkeyCurrentUser, "Software\\Sim", "Path",
                        "\"C:\\Sim\\sim.dll\"");
  os.registry.Put(platform::kHkeyLocalMachine, "Software\\Sim", "", platform::kRegDword,
                  std::string("\x01\0\0\0", 4));
  os.files.AddFile("C:\\Sim\\sim.dll", "MZ");
  os.versions.Set("C:\\Sim\\sim.dll", 6, 1, 2, 3);

  modCheck::ProgramFolder = "C:\\Program Files\\Zantrix\\Preflect\\";
  os.files.AddFile(modCheck::ProgramFolder + "filespecs.xml", std::string(bytes));
  modCheck::ResetRequirements();
  modCheck::CurrentProgress().SetTheBar(1);

  Require(modCheck::ReadRequirements() == 0, "an existing file reads with 0");
  const auto& list = modCheck::Requirements;
  Require(list.size() >= 2 && list.size() <= modCheck::kMaxUpperIndex + 1, "list size");
  Require(list.back() == modCheck::Requirement{}, "last entry is an empty spare");
  for (const auto& r : list) Require(!r.Found, "the reader never sets Found");
  Require(os.messageBoxes.shown.empty(), "no message box");

  Require(modCheck::RunChecks() == 0, "checks return 0");
  Require(list.back() == modCheck::Requirement{}, "the spare is not checked");
  const int bar = modCheck::CurrentProgress().TheBar();
  Require(bar >= 0 && bar <= 100, "bar within 0 to 100");
  Require(os.registry.openHandles() == 0, "every key closed");
}

}  // namespace fuzzing
