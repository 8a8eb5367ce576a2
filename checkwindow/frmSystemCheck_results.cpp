// The check window's results: one row a product, laid out below the
// legend, and the scrolling rows area when they outgrow the screen.
#include <algorithm>

#include "checkwindow/frmSystemCheck.h"
#include "platform/services.h"
#include "requirements/modCheck.h"

using platform::FitSteps;

namespace {

// The rows: 360 twips between one row's label and the next, the icon 75
// twips above its label, the bottom separator 285 twips above where a next
// row would start.
constexpr double kRowGap = 360;
constexpr double kIconRaise = 75;
constexpr double kSeparatorRise = 285;

}  // namespace

bool frmSystemCheck::ShowResults() {
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
    (*cmdAcquire)[i].SetLeft(acquireLeft_);
    (*cmdAcquire)[i].SetEnabled(true);
    PlaceRow(i, RowTop(i), !entry.Found);
    ExplainRow(i);
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

  const bool allFound = found == rows || modCheck::NamesNoProducts();
  if (!allFound) {
    lblNote->SetCaption(MissingNote(static_cast<unsigned long>(rows - found)));
    cmdPerform->SetCaption(platform::T("Perform Retest"));
    if (!fits) ScrollRows(rows);
    return false;
  }
  Label1->SetCaption(platform::T(kAllFound));
  cmdPerform->SetCaption(platform::T("Continue"));
  for (platform::Control* c : {Label2, Label3, lblNote, &(*imgValid)[0], &(*imgValid)[1], Line1,
                               Line2})
    c->SetVisible(false);
  cmdPerform->SetTop(Line5->Y1() + 75);
  const double bottom = cmdPerform->Top() + cmdPerform->Height() + 50;
  SetHeight(bottom);
  platform::GrowHeightUntil(*this, bottom, FitSteps::AtLeastOne);
  return true;
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
