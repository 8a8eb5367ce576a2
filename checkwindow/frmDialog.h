#pragma once
// The progress dialog: a fixed message and a bar with its percentage,
// driven only through TheBar while the checker searches the machine.
#include <cstdint>

#include "platform/forms.h"
#include "requirements/progress.h"

class frmDialog : public platform::Form {
 public:
  frmDialog();

  // The bar's position, 0 to 100. Reading or writing it loads the dialog
  // (hidden) when it is not loaded, except after a close that ended the
  // checker mid-test (then writing does nothing); a written value outside
  // 0 to 100 is held at the nearer end.
  std::int16_t TheBar();
  void SetTheBar(std::int16_t iNewValue);
  // TheBar written by a small step of the search (AdvanceProgress): the
  // same, except that the real window may lag until the bar is painted.
  void StepTheBar(std::int16_t iNewValue);

  // The controls, for tests; null while not loaded.
  platform::Control* Bar() const { return IsLoaded() ? lblBlue : nullptr; }
  platform::Control* Message() const { return IsLoaded() ? Label1 : nullptr; }
  platform::Control* Frame() const { return IsLoaded() ? lblProgBack : nullptr; }

 protected:
  void Build() override;
  void Form_Load() override;
  void Form_LostFocus() override;
  void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) override;
  void Form_SessionEnding() override;

 private:
  bool LoadForTheBar();
  void UpdateBar(std::int16_t iValue);

  std::int16_t BarValue = 0;
  bool painted_ = false;  // since this load
  std::uint64_t paintedAt_ = 0;
  std::uint64_t lookedAt_ = 0;  // when the search last let messages run
  platform::Control* lblBlue = nullptr;
  platform::Control* Label1 = nullptr;
  platform::Control* lblProgBack = nullptr;
};

// The program's one progress dialog.
frmDialog& TheDialog();

// The requirements search's progress target: the dialog's TheBar, which
// creates the dialog first when it does not exist.
modCheck::ProgressTarget& DialogProgress();
