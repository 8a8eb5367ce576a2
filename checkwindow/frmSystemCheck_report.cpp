// What the check window says of each row beyond its icon: explanations for
// the mouse and for screen readers, and the report Ctrl+C copies.
#include "checkwindow/ShellLaunch.h"
#include "checkwindow/frmSystemCheck.h"
#include "platform/services.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"

namespace {

using platform::Format;
using platform::T;

// What Acquire will open, in words.
std::string RemedyAction(const modCheck::Requirement& entry) {
  if (entry.RemedyLocation.empty())
    return T("Acquire has nothing to open: the remedy names no location.");
  // TRANSLATORS: %1 is a web address or the path of an installer.
  if (entry.RemedySource == "web")
    return Format(T("Acquire opens %1 in your web browser."), {entry.RemedyLocation});
  return Format(T("Acquire runs %1."), {entry.RemedyLocation});
}

}  // namespace

void frmSystemCheck::ExplainRow(int i) {
  const modCheck::Requirement& entry = modCheck::Requirements[static_cast<std::size_t>(i)];
  const std::string why = modCheck::Explain(modCheck::EvidenceFor(static_cast<std::size_t>(i)));
  (*lblDisplayName)[i].SetToolTipText(why);
  platform::Control& icon = (*imgCheck)[i];
  icon.SetToolTipText(why);
  // TRANSLATORS: %1 is a product's name.
  icon.SetAccessibleName(
      Format(entry.Found ? T("Found: %1") : T("Missing: %1"), {entry.ProductName}));
  icon.SetAccessibleDescription(why);
  // Every row's button reads "Acquire": a screen reader says which product.
  platform::Control& acquire = (*cmdAcquire)[i];
  // TRANSLATORS: a screen reader's name for a row's Acquire button; %1 is a product's name.
  acquire.SetAccessibleName(Format(T("Acquire %1"), {entry.ProductName}));
  acquire.SetAccessibleDescription(why + "\r\n" + RemedyAction(entry));
  acquire.SetToolTipText(why + "\r\n" + RemedyAction(entry) + "\r\n" + T(kCopyHint));
  acquire.SetTabIndex(kFirstRowTab + i);
}

std::string frmSystemCheck::Report() const {
  // For support, who read it in English whatever the user's language.
  const platform::EnglishTexts english;
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
