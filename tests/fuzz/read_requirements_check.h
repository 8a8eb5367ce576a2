#pragma once
// One run of the reader and the checks on arbitrary bytes given as
// filespecs.xml, with the invariants that must hold for any input. Shared
// by the fuzz target and the unit test that replays its corpus.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "requirements/modCheck.h"
#include "requirements/progress.h"
#include "requirements/reader.h"
#include "tests/doubles/fake_os.h"

namespace fuzzing {

inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// Where the reader says each attribute lies, for tools that edit exactly
// that: within its tag, at its name, the bytes there the value it read
// (tokens and root and type names aside), between double quotes when it
// says so.
class SpanCheck : public modCheck::ReadObserver {
 public:
  explicit SpanCheck(std::string_view file) : file_(file) {}
  void OnAttribute(const modCheck::AttributeRead& a) override { pending_.push_back(a); }
  void OnTag(std::size_t offset, std::string_view tag, modCheck::TagKind,
             const modCheck::Requirement&) override {
    static const char* const names[] = {"name=", "root=", "key=",      "value=", "type=", "data=",
                                        "dir=",  "version=", "source=", "location=", "view=", "sha256="};
    for (const modCheck::AttributeRead& a : pending_) {
      const std::string_view name = names[a.which];
      Require(a.nameOffset >= offset && a.valueOffset + a.valueLength <= offset + tag.size(),
              "an attribute within its tag");
      Require(platform::LowerCase(file_.substr(a.nameOffset, name.size())) == name, "at its name");
      const auto encoding = platform::EncodingOf(file_);
      const std::string value = modCheck::DecodeTag(file_.substr(a.valueOffset, a.valueLength), encoding);
      Require(a.which == 1 || a.which == 4 || a.which == 6 || a.which == 9 ||
                  value == modCheck::GetAttributeValue(modCheck::DecodeTag(tag, encoding), a.which),
              "the value read");
      Require(a.quoting != modCheck::Quoting::Double ||
                  (file_[a.valueOffset - 1] == '"' && file_[a.valueOffset + a.valueLength] == '"'),
              "a double-quoted value between its quotes");
    }
    pending_.clear();
  }
  void OnStored(std::size_t, const modCheck::Requirement&, bool) override {}

 private:
  std::string_view file_;
  std::vector<modCheck::AttributeRead> pending_;
};

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

  SpanCheck spans(bytes);
  std::vector<modCheck::Requirement> again(2);
  modCheck::ReadRequirementsText(bytes, again, &spans);
}

}  // namespace fuzzing
