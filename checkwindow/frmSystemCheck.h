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
  void vsbRows_Change();

  const std::string& SimulatorPath() const { return SimulatorPath_; }
  // The edition's data folder, which start-up made, for the report.
  void SetDataFolder(const std::string& folder) { DataFolder_ = folder; }

  // The plain-text report Ctrl+C copies for support: the program, when,
  // its folders, then a line for each row with its explanation.
  std::string Report() const;

  // Texts of the window's message boxes.
  static const char* const kMissingFileQuestion;
  static const char* const kAccessProblem;
  static const char* const kCopyHint;
  static const char* const kAllFound;

 protected:
  void Build() override;
  void Form_Load() override;
  void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) override;
  void Form_KeyDown(int& KeyCode, int Shift) override;
  void Form_SessionEnding() override;
  void Form_SessionResumed() override;

 private:
  // True when every product was found (the date is then stamped by the
  // caller, once nothing can have closed the checker meanwhile).
  bool ShowResults();
  // Room for the texts of the user's language.
  void FitTexts();
  // The summary for `missing` products missing, in the user's language.
  static std::string MissingNote(unsigned long missing);
  // Rows past the last one laid out (left from a longer earlier test).
  void HideRowsFrom(int first);
  void HideRow(int i);
  // Rows in the scrolling area: the place of its slot-th row, as the
  // layout spaces them.
  double RowPitch() const;
  double RowTop(int slot) const;
  // Row i's label at `top`, its icon and, for a missing row, its Acquire
  // button beside it; all shown.
  void PlaceRow(int i, double top, bool offerAcquire);
  void StartSimulatorAndClose(const platform::HandlerGuard& guard);
  // The end of a test that shows no new results: the progress dialog goes
  // and the window is shown as it was.
  void ShowAsBefore();
  // The row's explanation on its name, icon and Acquire button, for the
  // mouse (tooltips) and for screen readers.
  void ExplainRow(int i);
  // When the rows need more height than the screen has: the window keeps
  // the working area's height, the main button stays at its bottom and the
  // rows scroll beside a bar, a whole row at a time.
  void ScrollRows(int rows);
  void EndScrolling();
  void ShowRowsFrom(int first);

  // Tab: the Acquire buttons in row order, then the main button, then the
  // scroll bar.
  static constexpr int kFirstRowTab = 1;
  static constexpr int kMainButtonTab = 1 << 20;

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
  platform::Control* vsbRows = nullptr;

  // Where a row's Acquire button stands: 240 twips right of the design's
  // row 0, further left when its caption needs more room.
  static constexpr double kAcquireShift = 240;
  double acquireLeft_ = 4800;
  std::string SimulatorPath_;
  std::string DataFolder_;
  // Rows of the current Requirements on screen; 0 while a test runs or
  // after one that read nothing, so stale rows' buttons do nothing.
  int rowsShown_ = 0;

  // The scrolling rows area; scrollRows_ 0 while the rows fit.
  int scrollRows_ = 0;
  int pageRows_ = 0;     // rows the area holds
  int shownFirst_ = -1;  // first row on screen
  double widened_ = 0;   // twips the window grew for the bar
};

// The one check window of the program.
frmSystemCheck& TheSystemCheck();
