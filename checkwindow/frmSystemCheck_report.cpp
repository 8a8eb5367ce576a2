// What the check window says of each row beyond its icon: explanations for
// the mouse and for screen readers, and the report Ctrl+C copies.
#include "checkwindow/ShellLaunch.h"
#include "checkwindow/frmSystemCheck.h"
#include "platform/services.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"

namespace {

// What Acquire will open, in words.
std::string RemedyAction(const modCheck::Requirement& entry) {
  if (entry.RemedyLocation.empty())
    return "Acquire has nothing to open: the remedy names no location.";
  if (entry.RemedySource == "web")
    return "Acquire opens " + entry.RemedyLocation + " in your web browser.";
  return "Acquire runs " + entry.RemedyLocation + ".";
}

}  // namespace

void frmSystemCheck::ExplainRow(int i) {
  const modCheck::Requirement& entry = modCheck::Requirements[static_cast<std::size_t>(i)];
  const std::string why = modCheck::Explain(modCheck::EvidenceFor(static_cast<std::size_t>(i)));
  (*lblDisplayName)[i].SetToolTipText(why);
  platform::Control& icon = (*imgCheck)[i];
  icon.SetToolTipText(why);
  icon.SetAccessibleName((entry.Found ? "Found: " : "Missing: ") + entry.ProductName);
  icon.SetAccessibleDescription(why);
  // Every row's button reads "Acquire": a screen reader says which product.
  platform::Control& acquire = (*cmdAcquire)[i];
  acquire.SetAccessibleName("Acquire " + entry.ProductName);
  acquire.SetAccessibleDescription(why + "\r\n" + RemedyAction(entry));
  acquire.SetToolTipText(why + "\r\n" + RemedyAction(entry) + "\r\n" + kCopyHint);
  acquire.SetTabIndex(kFirstRowTab + i);
}

std::string frmSystemCheck::Report() const {
  const auto& os = platform::Os();
  const platform::AppVersion v = os.app->Version();
  std::string text = os.app->Title() + " " + std::to_string(v.major) + "." +
                     std::to_string(v.minor) + " Build " + std::to_string(v.revision) + "\r\n";
  text += "Checked on: " + platform::FormatDateTime(os.clock->Now(), ' ') + "\r\n";
  text += "Program folder: " + shell_launch::ProgramFolder() + "\r\n";
  text += "Data folder: " + DataFolder_ + "\r\n\r\n";
  if (rowsShown_ == 0) return text + "The requirements file could not be read.\r\n";
  if (modCheck::NamesNoProducts()) return text + "The requirements file names no products.\r\n";
  for (int i = 0; i < rowsShown_; ++i)
    text += modCheck::ReportLine(static_cast<std::size_t>(i)) + "\r\n";
  return text;
}

void frmSystemCheck::Form_KeyDown(int& KeyCode, int Shift) {
  if (KeyCode == 'C' && Shift == platform::kCtrlMask) {
    platform::Os().clipboard->SetText(Report());
    KeyCode = 0;
  }
}
