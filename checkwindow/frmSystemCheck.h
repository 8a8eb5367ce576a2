#pragma once
// The checker's main window: runs a test, lists one row per product with a
// found or missing mark and, for a missing one, an "Acquire" button, and
// offers "Continue" once everything is found.
#include <cstdint>
#include <string>

#include "platform/forms.h"

class frmSystemCheck : public platform::Form {
 public:
  frmSystemCheck();

  void cmdPerform_Click();
  void cmdAcquire_Click(int Index);
  void mnuHelp_About_Click();

  const std::string& SimulatorPath() const { return SimulatorPath_; }

  // Texts of the window's message boxes.
  static const char* const kMissingFileQuestion;
  static const char* const kAccessProblem;

 protected:
  void Build() override;
  void Form_Load() override;
  void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) override;

 private:
  void ShowResults();
  // Rows past the last one laid out (left from a longer earlier test).
  void HideRowsFrom(int first);
  void StartSimulatorAndClose();

  platform::Control* Shape1 = nullptr;
  platform::Control* Label1 = nullptr;
  platform::Control* Line6 = nullptr;
  platform::Control* Line5 = nullptr;
  platform::Control* lblNote = nullptr;
  platform::Control* Label2 = nullptr;
  platform::Control* Label3 = nullptr;
  platform::Control* Line1 = nullptr;
  platform::Control* Line2 = nullptr;
  platform::Control* Line3 = nullptr;
  platform::Control* Line4 = nullptr;
  platform::Control* cmdPerform = nullptr;
  platform::ControlArray* imgValid = nullptr;
  platform::ControlArray* lblDisplayName = nullptr;
  platform::ControlArray* imgCheck = nullptr;
  platform::ControlArray* cmdAcquire = nullptr;

  std::string SimulatorPath_;
  // Rows of the current Requirements on screen; 0 while a test runs or
  // after one that read nothing, so stale rows' buttons do nothing.
  int rowsShown_ = 0;
};

// The one check window of the program.
frmSystemCheck& TheSystemCheck();
