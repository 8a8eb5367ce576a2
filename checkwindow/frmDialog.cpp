#include "checkwindow/frmDialog.h"

#include <cmath>
#include <string>

#include "about/Icon.h"
#include "platform/services.h"

namespace {

using platform::ControlKind;

constexpr double kFullBarWidth = 5770;  // the frame's width less 70
constexpr std::uint64_t kPaintInterval = 40;  // milliseconds: 25 pictures a second

// Nearest whole number, an exact half to the even neighbour.
double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

class Progress : public modCheck::ProgressTarget {
 public:
  std::int16_t TheBar() const override { return TheDialog().TheBar(); }
  void SetTheBar(std::int16_t iNewValue) override { TheDialog().StepTheBar(iNewValue); }
};

}  // namespace

frmDialog& TheDialog() {
  static frmDialog dialog;
  return dialog;
}

frmDialog::frmDialog() : Form("frmDialog") {}

void frmDialog::Build() {
  SetCaption(platform::T("Search in progress..."));
  SetBorderStyle(platform::FormBorder::FixedToolWindow);
  SetControlBox(false);
  SetMinButton(false);
  SetMaxButton(false);
  SetShowInTaskbar(false);
  SetStartUpPosition(platform::StartUpPosition::CenterOwner);
  SetDesignClientSize(6030, 885);
  SetFormFont({platform::kSansSerif, 9.75});

  // Navy with white figures, or the scheme's highlight pair.
  lblBlue = &AddControl(ControlKind::Label, "lblBlue");
  lblBlue->SetCaption("0");
  lblBlue->SetBackColor(platform::Accent(platform::Rgb(0, 0, 128), platform::kColorHighlight));
  lblBlue->SetForeColor(platform::Accent(platform::kColorWhite, platform::kColorHighlightText));
  lblBlue->SetAlignment(platform::Alignment::Right);
  lblBlue->SetFont({"Times New Roman", 9.75});
  lblBlue->Move(120, 480, 1215, 255);

  Label1 = &AddControl(ControlKind::Label, "Label1");
  Label1->SetCaption(platform::T("Please wait while the Preflect is searching..."));
  Label1->SetBackStyle(platform::BackStyle::Transparent);
  Label1->Move(720, 120, 4935, 255);

  lblProgBack = &AddControl(ControlKind::Label, "lblProgBack");
  lblProgBack->SetBackColor(platform::kColorWindow);
  lblProgBack->SetBorder(true);
  lblProgBack->Move(85, 445, 5840, 320);
  // The frame lies behind the bar it frames.
  lblProgBack->ZOrder(1);

  BarValue = 0;
  painted_ = false;
  lookedAt_ = platform::Os().clock->Milliseconds();
}

void frmDialog::Form_Load() {
  Icon::SetWindowIcons(hWnd(), "AAA", true);
  // A longer message in another language: wider, then on more lines, the
  // bar below it and the dialog taller by as much.
  const double below = Label1->Top() + Label1->Height();
  const double grew = platform::FitCaption(*Label1, ClientWidth() - 120 - Label1->Left());
  if (grew > 0) {
    platform::MoveDownFrom(*this, below, grew);
    platform::GrowHeightUntil(*this, ClientHeight() + grew, platform::FitSteps::WhileShort);
  }
  // Not rounded: the binding rounds when it places the frame.
  lblProgBack->SetLeft((ClientWidth() - lblProgBack->Width()) / 2);
  lblBlue->SetLeft(lblProgBack->Left() + 30);
}

// The dialog has nothing that can take the focus, so it keeps it itself.
void frmDialog::Form_LostFocus() { SetFocus(); }

// Closed by the user or the system while a search runs (Alt+F4, a close
// from the task manager): the checker ends, as when its window is closed.
void frmDialog::Form_QueryUnload(std::int16_t& /*Cancel*/, std::int16_t UnloadMode) {
  if (UnloadMode == platform::kFormCode) return;
  modCheck::CancelSearch();
  for (platform::Form* form : platform::LoadedForms())
    if (form != this) form->Unload();
}

void frmDialog::Form_SessionEnding() { modCheck::CancelSearch(); }

bool frmDialog::LoadForTheBar() {
  // A close ended the checker during the test that writes the bar: loading
  // the dialog again would leave a hidden window, and the program, alive.
  if (!IsLoaded() && modCheck::SearchCancelled()) return false;
  Load();
  return IsLoaded();
}

std::int16_t frmDialog::TheBar() {
  LoadForTheBar();
  return BarValue;
}

void frmDialog::SetTheBar(std::int16_t iNewValue) {
  if (!LoadForTheBar()) return;
  DeferWindowChanges(false);
  UpdateBar(modCheck::ClampBar(iNewValue));
}

void frmDialog::StepTheBar(std::int16_t iNewValue) {
  if (!LoadForTheBar()) return;
  // The search's many small steps reach the real window when the bar is
  // painted, not one by one: each costs a trip to the window system.
  DeferWindowChanges(true);
  UpdateBar(modCheck::ClampBar(iNewValue));
  // The search holds the thread: between its steps, at the pace the bar is
  // painted, the messages that wait run, so that the windows repaint and
  // the system never takes the checker for hung. A click meets a handler
  // that refuses it while the test runs; a close ends the checker.
  const std::uint64_t now = platform::Os().clock->Milliseconds();
  if (now - lookedAt_ >= kPaintInterval) {
    lookedAt_ = now;
    platform::DoEvents();
  }
}

void frmDialog::UpdateBar(std::int16_t iValue) {
  const bool changed = iValue != BarValue || !painted_;
  BarValue = iValue;
  lblBlue->SetWidth(RoundHalfEven(static_cast<double>(iValue) / 100 * kFullBarWidth));
  lblBlue->SetCaption(std::to_string(BarValue) + " %");
  // The search holds the thread, so the bar is painted here: when what it
  // shows has changed, no more often than the eye can follow, and always
  // when it reaches 100.
  if (!changed) return;
  const std::uint64_t now = platform::Os().clock->Milliseconds();
  if (iValue == 100 || !painted_ || now - paintedAt_ >= kPaintInterval) {
    Refresh();
    painted_ = true;
    paintedAt_ = now;
  }
}

modCheck::ProgressTarget& DialogProgress() {
  static Progress progress;
  return progress;
}
