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
#include "requirements/progress.h"

using platform::ControlKind;
using platform::FitSteps;
using platform::Format;
using platform::T;

namespace {

const char* const kFoundPicture = "FOUND";
const char* const kMissingPicture = "MISSING";
const char* const kSupportAddress = "support@zantrix.example";

const platform::Font kWindowFont{platform::kSansSerif, 9.75, false, false};
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

// A label drawn straight on the window's own colour: its text in the
// colour the system pairs with it.
void OnWindowColour(platform::Control& label) {
  label.SetBackStyle(platform::BackStyle::Transparent);
  label.SetForeColor(platform::kColorWindowText);
}

}  // namespace

const char* const frmSystemCheck::kMissingFileQuestion = N_(
    "The source file for the preflect is missing or corrupt, which could leave the software "
    "inoperable.  You can choose to continue, but the sofware may not function properly. Would "
    "you like to continue loading the program?");

const char* const frmSystemCheck::kAllFound =
    N_("All required components found.  Click continue to load the simulator.");

const char* const frmSystemCheck::kCopyHint =
    N_("Press Ctrl+C to copy a report of this check, to paste into a mail to support.");

const char* const frmSystemCheck::kAccessProblem = N_(
    "Problems occured whilst inspecting the system for the necessary required components, you "
    "may not have a high enough access level on this account to run this program.  Please "
    "switch to an administrative account, by either you logging in as one, or by requesting an "
    "administrator for assistance.");

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
  SetKeyPreview(true);  // Ctrl+C, wherever the focus is

  AddMenu("mnuHelp", T("&Help"));
  platform::Control& about = AddMenu("mnuHelp_About", T("&About"), "mnuHelp");
  about.OnClick([this](int) { mnuHelp_About_Click(); });

  Shape1 = &AddControl(ControlKind::Shape, "Shape1");
  Shape1->Move(0, 0, 6080, 855);
  Shape1->SetFillColor(platform::kColorWindow);
  Shape1->SetBorder(false);

  Label1 = &AddControl(ControlKind::Label, "Label1");
  Label1->Move(120, 70, 5835, 735);
  OnWindowColour(*Label1);
  Label1->SetCaption(
      T("When you have completed all the necessary updates, you will be given the option to "
        "continue.  This continue button, once clicked, will launch the simulator."));
  Label1->SetToolTipText(T(kCopyHint));

  Line6 = &AddControl(ControlKind::Line, "Line6");
  Line5 = &AddControl(ControlKind::Line, "Line5");
  DesignSeparator(*Line6, *Line5, 0, 6120, 840);

  lblNote = &AddControl(ControlKind::Label, "lblNote");
  lblNote->Move(120, 960, 5895, 495);
  OnWindowColour(*lblNote);
  lblNote->SetCaption(T("Look below for the search results!"));

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
  OnWindowColour(*Label2);
  Label2->SetCaption(T("- file(s) found"));
  Label3 = &AddControl(ControlKind::Label, "Label3");
  Label3->Move(3720, 1530, 1455, 255);
  OnWindowColour(*Label3);
  Label3->SetCaption(T("- file(s) missing"));

  Line1 = &AddControl(ControlKind::Line, "Line1");
  Line2 = &AddControl(ControlKind::Line, "Line2");
  DesignSeparator(*Line1, *Line2, 120, 5880, 1905);

  lblDisplayName = &AddControlArray(ControlKind::Label, "lblDisplayName");
  platform::Control& name0 = (*lblDisplayName)[0];
  name0.Move(240, 2280, 3495, 495);
  OnWindowColour(name0);
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
  acquire0.SetCaption(T("Acquire"));
  acquire0.SetVisible(false);
  acquire0.OnClick([this](int index) { cmdAcquire_Click(index); });
  acquire0.SetTabIndex(kFirstRowTab);

  Line3 = &AddControl(ControlKind::Line, "Line3");
  Line4 = &AddControl(ControlKind::Line, "Line4");
  DesignSeparator(*Line3, *Line4, 120, 5880, 2880);

  cmdPerform = &AddControl(ControlKind::Button, "cmdPerform");
  cmdPerform->Move(2640, 3000, 975, 615);
  cmdPerform->SetCaption(T("Perform Retest"));
  cmdPerform->OnClick([this](int) { cmdPerform_Click(); });
  cmdPerform->SetTabIndex(kMainButtonTab);

  vsbRows = &AddControl(ControlKind::VScrollBar, "vsbRows");
  vsbRows->SetVisible(false);
  vsbRows->OnChange([this](int) { vsbRows_Change(); });
  vsbRows->SetTabIndex(kMainButtonTab + 1);
}

void frmSystemCheck::Form_Load() {
  Label1->SetLeft(120);
  Label1->SetWidth(ClientWidth() - 240);
  FitTexts();
  Icon::SetWindowIcons(hWnd(), "AAA", true);
  SetCaption(platform::Os().app->Title());
  // A program folder on a share is searched away from the window, which
  // may meanwhile be closed (by Windows ending the session).
  const platform::WindowHandle load = hWnd();
  SimulatorPath_ = shell_launch::FindSimulator([this, load] { return hWnd() == load; });
  if (hWnd() != load) return;
  cmdPerform->SetCaption(T("Perform Test"));
  cmdPerform_Click();
}

// A language longer than English: every label and button gets the room its
// texts need within the window's width, and what lies below it moves down;
// in English all of them fit as designed and nothing moves.
void frmSystemCheck::FitTexts() {
  using platform::FitCaptions;
  acquireLeft_ = (*cmdAcquire)[0].Left() + kAcquireShift;
  if (platform::TextsAreEnglish()) return;
  const double width = ClientWidth();
  double below = Label1->Top() + Label1->Height();
  double grew = FitCaptions(*Label1, {Label1->Caption(), T(kAllFound)}, Label1->Width());
  platform::MoveDownFrom(*this, below, grew);
  Shape1->SetHeight(Shape1->Height() + grew);

  // The summary holds the note of any count.
  std::vector<std::string> notes = {lblNote->Caption()};
  for (unsigned long n : {1ul, 2ul, 5ul, 22ul, 32767ul}) notes.push_back(MissingNote(n));
  grew = FitCaptions(*lblNote, notes, lblNote->Width());
  platform::MoveDownFrom(*this, lblNote->Top() + 1, grew);

  const double legend = std::max(
      platform::FitCaption(*Label2, (*imgValid)[0].Left() - 90 - Label2->Left()),
      platform::FitCaption(*Label3, width - 120 - Label3->Left()));
  platform::MoveDownFrom(*this, Line1->Y1(), legend);

  // Acquire keeps its right edge; the main button stays in the middle.
  platform::Control& acquire = (*cmdAcquire)[0];
  const double right = acquire.Left() + acquire.Width();
  platform::FitCaption(acquire, right - ((*imgCheck)[0].Left() + (*imgCheck)[0].Width() + 45));
  acquire.SetLeft(right - acquire.Width());
  acquireLeft_ = acquire.Left() + kAcquireShift;
  const double performWidth = cmdPerform->Width();
  FitCaptions(*cmdPerform, {T("Perform Test"), T("Perform Retest"), T("Continue")}, width - 240);
  if (cmdPerform->Width() != performWidth)
    cmdPerform->SetLeft(width / 2 - cmdPerform->Width() / 2);
  platform::GrowHeightUntil(*this, cmdPerform->Top() + cmdPerform->Height() + 90,
                            FitSteps::WhileShort);
}

std::string frmSystemCheck::MissingNote(unsigned long missing) {
  return Format(
      // TRANSLATORS: %1 is the number of products missing.
      platform::TN("Look below for the search results!  You are missing %1 required components.",
                   "Look below for the search results!  You are missing %1 required components.",
                   missing),
      {std::to_string(missing)});
}

void frmSystemCheck::StartSimulatorAndClose(const platform::HandlerGuard& guard) {
  shell_launch::ShellOpen(SimulatorPath_, shell_launch::ProgramFolder(), "", hWnd());
  if (!guard.FormGone()) Unload();
}

void frmSystemCheck::ShowAsBefore() {
  TheDialog().Unload();
  Show();
  cmdPerform->SetFocus();
}

void frmSystemCheck::cmdPerform_Click() {
  // The user may close the checker while one of its boxes is open, or while
  // the shell asks something; once it is gone there is nothing left to do.
  const platform::HandlerGuard guard(*this);
  if (guard.Refused()) return;
  // The caption is the window's state: "Continue" in the user's language.
  if (platform::LowerCase(cmdPerform->Caption()) == platform::LowerCase(T("Continue"))) {
    StartSimulatorAndClose(guard);
    return;
  }
  auto& os = platform::Os();
  frmDialog& dialog = TheDialog();
  // A close during the test cancels its search; whatever ends the test,
  // the next search is not.
  struct SearchScope {
    ~SearchScope() { modCheck::ResumeSearches(); }
  } const searchScope;

  modCheck::ResetRequirements();
  rowsShown_ = 0;
  Hide();
  dialog.Show();
  dialog.SetTheBar(1);

  // Every step below may have let messages run (the search does between
  // its steps, boxes and the shell wait for the user): a close meanwhile
  // unloaded every form, and nothing may touch or load one again.
  const int read = modCheck::ReadRequirements();
  if (guard.FormGone()) return;
  if (read != 0) {
    const int answer =
        os.messageBoxes->Show(T(kMissingFileQuestion), T("Error"), platform::kMbYesNo);
    if (guard.FormGone()) return;
    if (answer == platform::kIdYes) {
      date_stamp::Write();
      StartSimulatorAndClose(guard);
      return;
    }
    ShowAsBefore();
    return;
  }

  dialog.SetTheBar(33);
  const int checked = modCheck::RunChecks();
  if (guard.FormGone()) return;
  // Windows asked to end the session meanwhile: what was found is not the
  // whole answer, so nothing of it is shown or stamped.
  if (modCheck::SearchCancelled()) {
    ShowAsBefore();
    return;
  }
  if (checked != 0) {
    // TRANSLATORS: %1 is the support's e-mail address.
    os.messageBoxes->Show(T(kAccessProblem) + "  " +
                              Format(T("Please e-mail %1 for further assistance."), {kSupportAddress}),
                          T("Error"), platform::kMbOk | platform::kMbIconStop);
    if (guard.FormGone()) return;
    ShowAsBefore();
    return;
  }

  dialog.SetTheBar(66);
  const bool allFound = ShowResults();
  dialog.SetTheBar(100);

  const platform::ScreenMetrics screen = Screen();
  double top = (screen.height - Height()) / 2;
  // A window as tall as the working area must not reach under a task bar.
  if (scrollRows_ > 0)
    top = std::max(screen.workTop, std::min(top, screen.workTop + screen.workHeight - Height()));
  Move((screen.width - Width()) / 2, top, Width(), Height());
  platform::DoEvents();
  // A message that waited (a close from outside) may have closed the
  // checker; showing the window now would load it again. Nor is the date
  // stamped then, or when Windows is ending the session: the close came
  // before the results were shown.
  if (guard.FormGone()) return;
  if (allFound && !modCheck::SearchCancelled()) date_stamp::Write();
  ShowAsBefore();
}

void frmSystemCheck::cmdAcquire_Click(int Index) {
  const platform::HandlerGuard guard(*this);
  // Only rows of the list on screen have a remedy to offer.
  if (guard.Refused() || Index < 0 || Index >= rowsShown_) return;
  // No search runs now: a stop left by an end of the session that another
  // program called off (WM_ENDSESSION with FALSE) must not stop this one.
  modCheck::ResumeSearches();
  // A copy: the list is the check's, and messages run before it is used.
  const modCheck::Requirement entry = modCheck::Requirements[static_cast<std::size_t>(Index)];
  const std::string question =
      entry.RemedySource == "web"
          ? T("We need to go out to the internet to complete your request.  Your default web "
              "browser will open and be directed to the Vendor's address so that you can acquire "
              "the necessary files that you need.") +
                "\r\n" + T("Is this ok?")
          : T("The file necessary has already been packaged with your installation.") + "\r\n" +
                T("Would you like to run it?");
  auto& os = platform::Os();
  if (os.messageBoxes->Show(question, os.app->Title(),
                            platform::kMbYesNo | platform::kMbIconQuestion) != platform::kIdYes ||
      guard.FormGone())
    return;
  // Disabled before anything else runs, whatever it answers: a close
  // meanwhile unloads the form, and nothing of it is touched afterwards.
  (*cmdAcquire)[Index].SetEnabled(false);
  const shell_launch::RemedyOpened opened = shell_launch::OpenRemedy(
      entry, hWnd(), [&guard] { return !guard.FormGone() && !modCheck::SearchCancelled(); });
  if (guard.FormGone()) return;
  // Stopped by Windows asking to end the session: nothing was started, so
  // the remedy stays on offer.
  if (opened.stopped) (*cmdAcquire)[Index].SetEnabled(true);
  if (!opened.refusal.empty())
    os.messageBoxes->Show(opened.refusal, os.app->Title(), platform::kMbOk | platform::kMbIconStop);
}

void frmSystemCheck::mnuHelp_About_Click() { ShowAboutBox(); }

// Whatever holds up the end of the session stops: the search, the hash.
void frmSystemCheck::Form_SessionEnding() { modCheck::CancelSearch(); }

// The session goes on: what is started from now on runs to its end. A test
// the question stopped has ended already, showing the window as it was.
void frmSystemCheck::Form_SessionResumed() { modCheck::ResumeSearches(); }

void frmSystemCheck::Form_QueryUnload(std::int16_t& /*Cancel*/, std::int16_t /*UnloadMode*/) {
  // Closing the check window, for whatever reason, ends the checker, and
  // a search under way with it.
  modCheck::CancelSearch();
  for (platform::Form* form : platform::LoadedForms())
    if (form != this) form->Unload();
}
