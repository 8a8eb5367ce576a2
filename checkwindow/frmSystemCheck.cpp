#include "checkwindow/frmSystemCheck.h"

#include <algorithm>

#include "about/Icon.h"
#include "about/frmAbout.h"
#include "checkwindow/DateStamp.h"
#include "checkwindow/ShellLaunch.h"
#include "checkwindow/frmDialog.h"
#include "platform/services.h"
#include "platform/text.h"
#include "requirements/modCheck.h"

using platform::ControlKind;
using platform::FitSteps;

namespace {

const char* const kFoundPicture = "FOUND";
const char* const kMissingPicture = "MISSING";
const char* const kSupportAddress = "support@zantrix.example";

const platform::Font kWindowFont{"MS Sans Serif", 9.75, false, false};
constexpr platform::Color kLightGrey = platform::Rgb(224, 224, 224);

// A dark line with a light one 15 twips below it.
void DesignSeparator(platform::Control& dark, platform::Control& light, double x1, double x2,
                     double y) {
  dark.SetBorderColor(platform::kColorAppWorkspace);
  light.SetBorderColor(kLightGrey);
  for (platform::Control* line : {&dark, &light}) line->SetBorderWidth(2);
  dark.SetLine(x1, y, x2, y);
  light.SetLine(x1, y + 15, x2, y + 15);
}

// The rows: 360 twips between one row's label and the next, the icon 75
// twips above its label, the bottom separator 285 twips above where a next
// row would start.
constexpr double kRowGap = 360;
constexpr double kIconRaise = 75;
constexpr double kSeparatorRise = 285;

}  // namespace

const char* const frmSystemCheck::kMissingFileQuestion =
    "The source file for the preflect is missing or corrupt, which could leave the software "
    "inoperable.  You can choose to continue, but the sofware may not function properly. Would "
    "you like to continue loading the program?";

const char* const frmSystemCheck::kAccessProblem =
    "Problems occured whilst inspecting the system for the necessary required components, you "
    "may not have a high enough access level on this account to run this program.  Please "
    "switch to an administrative account, by either you logging in as one, or by requesting an "
    "administrator for assistance.";

frmSystemCheck::frmSystemCheck() : Form("frmSystemCheck") {}

frmSystemCheck& TheSystemCheck() {
  static frmSystemCheck form;
  return form;
}

void frmSystemCheck::Build() {
  // A new load starts from the design, without the rows of the last one.
  rowsShown_ = scrollRows_ = pageRows_ = 0;
  shownFirst_ = -1;
  widened_ = 0;

  SetBorderStyle(platform::FormBorder::FixedSingle);
  SetMinButton(false);
  SetMaxButton(false);
  SetDesignClientSize(6075, 3705);
  SetBackColor(platform::kColorWindow);
  SetFormFont(kWindowFont);
  SetStartUpPosition(platform::StartUpPosition::Manual);

  AddMenu("mnuHelp", "&Help");
  platform::Control& about = AddMenu("mnuHelp_About", "&About", "mnuHelp");
  about.OnClick([this](int) { mnuHelp_About_Click(); });

  Shape1 = &AddControl(ControlKind::Shape, "Shape1");
  Shape1->Move(0, 0, 6080, 855);
  Shape1->SetFillColor(platform::kColorWhite);
  Shape1->SetBorder(false);

  Label1 = &AddControl(ControlKind::Label, "Label1");
  Label1->Move(120, 70, 5835, 735);
  Label1->SetBackStyle(platform::BackStyle::Transparent);
  Label1->SetCaption(
      "When you have completed all the necessary updates, you will be given the option to "
      "continue.  This continue button, once clicked, will launch the simulator.");

  Line6 = &AddControl(ControlKind::Line, "Line6");
  Line5 = &AddControl(ControlKind::Line, "Line5");
  DesignSeparator(*Line6, *Line5, 0, 6120, 840);

  lblNote = &AddControl(ControlKind::Label, "lblNote");
  lblNote->Move(120, 960, 5895, 495);
  lblNote->SetBackStyle(platform::BackStyle::Transparent);
  lblNote->SetCaption("Look below for the search results!");

  imgValid = &AddControlArray(ControlKind::Image, "imgValid");
  platform::Control& missingIcon = (*imgValid)[0];
  missingIcon.Move(3240, 1440, 375, 375);
  missingIcon.SetPicture(kMissingPicture);
  platform::Control& foundIcon = imgValid->Load(1);
  foundIcon.Move(960, 1440, 375, 375);
  foundIcon.SetPicture(kFoundPicture);
  foundIcon.SetVisible(true);

  Label2 = &AddControl(ControlKind::Label, "Label2");
  Label2->Move(1320, 1530, 1335, 255);
  Label2->SetBackStyle(platform::BackStyle::Transparent);
  Label2->SetCaption("- file(s) found");
  Label3 = &AddControl(ControlKind::Label, "Label3");
  Label3->Move(3720, 1530, 1455, 255);
  Label3->SetBackStyle(platform::BackStyle::Transparent);
  Label3->SetCaption("- file(s) missing");

  Line1 = &AddControl(ControlKind::Line, "Line1");
  Line2 = &AddControl(ControlKind::Line, "Line2");
  DesignSeparator(*Line1, *Line2, 120, 5880, 1905);

  lblDisplayName = &AddControlArray(ControlKind::Label, "lblDisplayName");
  platform::Control& name0 = (*lblDisplayName)[0];
  name0.Move(240, 2280, 3495, 495);
  name0.SetBackStyle(platform::BackStyle::Transparent);
  name0.SetUseMnemonic(false);  // product names may hold "&"
  name0.SetCaption("File 1");
  name0.SetVisible(false);

  imgCheck = &AddControlArray(ControlKind::Image, "imgCheck");
  platform::Control& check0 = (*imgCheck)[0];
  check0.Move(3960, 2205, 375, 375);
  check0.SetPicture(kFoundPicture);
  check0.SetVisible(false);

  cmdAcquire = &AddControlArray(ControlKind::Button, "cmdAcquire");
  platform::Control& acquire0 = (*cmdAcquire)[0];
  acquire0.Move(4560, 2160, 1215, 495);
  acquire0.SetCaption("Acquire");
  acquire0.SetVisible(false);
  acquire0.OnClick([this](int index) { cmdAcquire_Click(index); });

  Line3 = &AddControl(ControlKind::Line, "Line3");
  Line4 = &AddControl(ControlKind::Line, "Line4");
  DesignSeparator(*Line3, *Line4, 120, 5880, 2880);

  cmdPerform = &AddControl(ControlKind::Button, "cmdPerform");
  cmdPerform->Move(2640, 3000, 975, 615);
  cmdPerform->SetCaption("Perform Retest");
  cmdPerform->OnClick([this](int) { cmdPerform_Click(); });

  vsbRows = &AddControl(ControlKind::VScrollBar, "vsbRows");
  vsbRows->SetVisible(false);
  vsbRows->OnChange([this](int) { vsbRows_Change(); });
}

void frmSystemCheck::Form_Load() {
  Label1->SetLeft(120);
  Label1->SetWidth(ClientWidth() - 240);
  Icon::SetWindowIcons(hWnd(), "AAA", true);
  SetCaption(platform::Os().app->Title());
  SimulatorPath_ = shell_launch::FindSimulator();
  cmdPerform->SetCaption("Perform Test");
  cmdPerform_Click();
}

void frmSystemCheck::StartSimulatorAndClose() {
  shell_launch::ShellOpen(SimulatorPath_, shell_launch::ProgramFolder(), "");
  Unload();
}

void frmSystemCheck::cmdPerform_Click() {
  if (platform::LowerCase(cmdPerform->Caption()) == "continue") {
    StartSimulatorAndClose();
    return;
  }
  auto& os = platform::Os();
  frmDialog& dialog = TheDialog();

  modCheck::ResetRequirements();
  rowsShown_ = 0;
  Hide();
  dialog.Show();
  dialog.SetTheBar(1);

  // The user may close the checker while one of its boxes is open; once
  // it is gone the test has nothing left to do.
  const int read = modCheck::ReadRequirements();
  if (!IsLoaded()) return;
  if (read != 0) {
    const int answer = os.messageBoxes->Show(kMissingFileQuestion, "Error", platform::kMbYesNo);
    if (!IsLoaded()) return;
    if (answer == platform::kIdYes) {
      date_stamp::Write();
      StartSimulatorAndClose();
      return;
    }
    dialog.Unload();
    Show();
    return;
  }

  dialog.SetTheBar(33);
  if (modCheck::RunChecks() != 0) {
    os.messageBoxes->Show(std::string(kAccessProblem) + "  Please e-mail " + kSupportAddress +
                              " for further assistance.",
                          "Error", platform::kMbOk | platform::kMbIconStop);
    if (!IsLoaded()) return;
    dialog.Unload();
    Show();
    return;
  }

  dialog.SetTheBar(66);
  ShowResults();
  dialog.SetTheBar(100);

  const platform::ScreenMetrics screen = Screen();
  double top = (screen.height - Height()) / 2;
  // A window as tall as the working area must not reach under a task bar.
  if (scrollRows_ > 0)
    top = std::max(screen.workTop, std::min(top, screen.workTop + screen.workHeight - Height()));
  Move((screen.width - Width()) / 2, top, Width(), Height());
  platform::DoEvents();
  // A message that waited (a close from outside, a queued click) may have
  // closed the checker; showing the window now would load it again.
  if (!IsLoaded()) return;
  dialog.Unload();
  Show();
}

void frmSystemCheck::ShowResults() {
  const auto& requirements = modCheck::Requirements;
  const int rows = static_cast<int>(requirements.size()) - 1;
  EndScrolling();
  int found = 0;
  for (int i = 0; i < rows; ++i) {
    const modCheck::Requirement& entry = requirements[static_cast<std::size_t>(i)];
    if (i > 0 && !lblDisplayName->Exists(i)) {
      lblDisplayName->Load(i);
      imgCheck->Load(i);
      cmdAcquire->Load(i);
    }
    (*lblDisplayName)[i].SetLeft(220);
    (*lblDisplayName)[i].SetCaption(entry.ProductName);
    (*imgCheck)[i].SetPicture((*imgValid)[entry.Found ? 1 : 0].Picture());
    (*imgCheck)[i].SetLeft(4080);
    (*cmdAcquire)[i].SetLeft(4800);
    (*cmdAcquire)[i].SetEnabled(true);
    PlaceRow(i, RowTop(i), !entry.Found);
    if (entry.Found) ++found;
  }
  // Below the last row, however long the list: row places are worked out
  // in double precision, so they do not wrap around past 32767 twips.
  Line3->SetLineY(RowTop(rows) - kSeparatorRise);
  Line4->SetLineY(Line3->Y1() + 15);
  cmdPerform->SetTop(Line4->Y1() + 50);
  cmdPerform->SetLeft(ClientWidth() / 2 - cmdPerform->Width() / 2);
  HideRowsFrom(rows);
  rowsShown_ = rows;

  SetHeight(4500);
  const bool fits = platform::GrowHeightUntil(
      *this, cmdPerform->Top() + cmdPerform->Height() + 25, FitSteps::WhileShort);

  const bool allFound = found == rows || (rows == 1 && (*lblDisplayName)[0].Caption().empty());
  if (!allFound) {
    lblNote->SetCaption("Look below for the search results!  You are missing " +
                        std::to_string(rows - found) + " required components.");
    cmdPerform->SetCaption("Perform Retest");
    if (!fits) ScrollRows(rows);
    return;
  }
  Label1->SetCaption("All required components found.  Click continue to load the simulator.");
  cmdPerform->SetCaption("Continue");
  for (platform::Control* c : {Label2, Label3, lblNote, &(*imgValid)[0], &(*imgValid)[1], Line1,
                               Line2})
    c->SetVisible(false);
  cmdPerform->SetTop(Line5->Y1() + 75);
  const double bottom = cmdPerform->Top() + cmdPerform->Height() + 50;
  SetHeight(bottom);
  platform::GrowHeightUntil(*this, bottom, FitSteps::AtLeastOne);
  date_stamp::Write();
}

void frmSystemCheck::HideRowsFrom(int first) {
  for (int i = first; lblDisplayName->Exists(i); ++i) HideRow(i);
}

void frmSystemCheck::HideRow(int i) {
  for (platform::ControlArray* row : {lblDisplayName, imgCheck, cmdAcquire})
    (*row)[i].SetVisible(false);
}

double frmSystemCheck::RowPitch() const { return (*lblDisplayName)[0].Height() + kRowGap; }

double frmSystemCheck::RowTop(int slot) const {
  return Line2->Y1() + kRowGap + slot * RowPitch();
}

void frmSystemCheck::PlaceRow(int i, double top, bool offerAcquire) {
  platform::Control& name = (*lblDisplayName)[i];
  name.SetTop(top);
  name.SetVisible(true);
  platform::Control& icon = (*imgCheck)[i];
  icon.SetTop(top - kIconRaise);
  icon.SetVisible(true);
  platform::Control& acquire = (*cmdAcquire)[i];
  acquire.SetTop(top);
  acquire.SetVisible(offerAcquire);
}

void frmSystemCheck::ScrollRows(int rows) {
  const double bar = Screen().scrollBarWidth;
  const double rowsRight = ClientWidth();
  // Wider by the bar, so the rows keep their places and the header band
  // still spans the window.
  widened_ = bar;
  SetWidth(Width() + bar);
  Shape1->SetWidth(Shape1->Width() + bar);
  for (platform::Control* line : {Line6, Line5}) line->SetX2(line->X2() + bar);

  // The main button and its separator at the foot of the window, as far
  // from it as the fitted layout has them.
  cmdPerform->SetTop(ClientHeight() - 25 - cmdPerform->Height());
  cmdPerform->SetLeft(ClientWidth() / 2 - cmdPerform->Width() / 2);
  Line4->SetLineY(cmdPerform->Top() - 50);
  Line3->SetLineY(Line4->Y1() - 15);

  // A row needs its pitch less the room between the last one and the
  // separator.
  pageRows_ =
      std::max(1, static_cast<int>((Line3->Y1() + kSeparatorRise - RowTop(0)) / RowPitch()));
  scrollRows_ = rows;

  const double barTop = Line2->Y1() + 45;
  vsbRows->Move(rowsRight, barTop, bar, std::max(0.0, Line3->Y1() - 30 - barTop));
  vsbRows->SetRange(0, rows - pageRows_);  // keeps the place of a retest
  vsbRows->SetChanges(1, pageRows_);
  const int first = vsbRows->Value();
  for (int i = 0; i < rows; ++i)
    if (i < first || i >= first + pageRows_) HideRow(i);
  shownFirst_ = -1;
  ShowRowsFrom(first);
  vsbRows->SetVisible(true);
}

void frmSystemCheck::ShowRowsFrom(int first) {
  const int last = std::min(scrollRows_, first + pageRows_);  // one past
  // Only the rows that were on screen and the ones that come on change.
  if (shownFirst_ >= 0)
    for (int i = shownFirst_; i < std::min(scrollRows_, shownFirst_ + pageRows_); ++i)
      if (i < first || i >= last) HideRow(i);
  // A missing row is the one showing the missing icon.
  for (int i = first; i < last; ++i)
    PlaceRow(i, RowTop(i - first), (*imgCheck)[i].Picture() == (*imgValid)[0].Picture());
  shownFirst_ = first;
}

void frmSystemCheck::vsbRows_Change() {
  if (scrollRows_ > 0) ShowRowsFrom(vsbRows->Value());
}

void frmSystemCheck::EndScrolling() {
  if (scrollRows_ == 0) return;
  vsbRows->SetVisible(false);
  SetWidth(Width() - widened_);
  Shape1->SetWidth(Shape1->Width() - widened_);
  for (platform::Control* line : {Line6, Line5}) line->SetX2(line->X2() - widened_);
  widened_ = 0;
  scrollRows_ = 0;
  shownFirst_ = -1;
}

void frmSystemCheck::cmdAcquire_Click(int Index) {
  // Only rows of the list on screen have a remedy to offer.
  if (Index < 0 || Index >= rowsShown_) return;
  const modCheck::Requirement& entry = modCheck::Requirements[static_cast<std::size_t>(Index)];
  const std::string question =
      entry.RemedySource == "web"
          ? "We need to go out to the internet to complete your request.  Your default web "
            "browser will open and be directed to the Vendor's address so that you can acquire "
            "the necessary files that you need.\r\nIs this ok?"
          : "The file necessary has already been packaged with your installation.\r\nWould you "
            "like to run it?";
  auto& os = platform::Os();
  if (os.messageBoxes->Show(question, os.app->Title(),
                            platform::kMbYesNo | platform::kMbIconQuestion) != platform::kIdYes ||
      !IsLoaded())
    return;
  shell_launch::ShellOpen(entry.RemedyLocation, shell_launch::ProgramFolder(), "");
  (*cmdAcquire)[Index].SetEnabled(false);
}

void frmSystemCheck::mnuHelp_About_Click() { ShowAboutBox(); }

void frmSystemCheck::Form_QueryUnload(std::int16_t& /*Cancel*/, std::int16_t /*UnloadMode*/) {
  // Closing the check window, for whatever reason, ends the checker.
  for (platform::Form* form : platform::LoadedForms())
    if (form != this) form->Unload();
}
