#include <algorithm>
#include <stdexcept>

#include "platform/forms.h"

namespace platform {

// ---- Control ------------------------------------------------------------

Control::Control(Form& form, ControlKind kind, std::string name, int index, int id)
    : form_(&form), kind_(kind), name_(std::move(name)), index_(index), id_(id) {
  p_.font = form.TextFont();
  if (kind == ControlKind::Line || kind == ControlKind::Shape) p_.backStyle = BackStyle::Transparent;
}

void Control::Changed(unsigned aspects) { form_->ControlChanged(*this, aspects); }

void Control::SetLeft(double twips) { Move(twips, p_.top, p_.width, p_.height); }
void Control::SetTop(double twips) { Move(p_.left, twips, p_.width, p_.height); }
void Control::SetWidth(double twips) { Move(p_.left, p_.top, twips, p_.height); }
void Control::SetHeight(double twips) { Move(p_.left, p_.top, p_.width, twips); }

void Control::Move(double left, double top, double width, double height) {
  // Setting what is already there changes nothing on screen either: long
  // layouts and progress loops repeat values a lot.
  width = std::max(0.0, width);
  height = std::max(0.0, height);
  if (left == p_.left && top == p_.top && width == p_.width && height == p_.height) return;
  p_.left = left;
  p_.top = top;
  p_.width = width;
  p_.height = height;
  Changed(kAspectGeometry);
}

void Control::SetLine(double x1, double y1, double x2, double y2) {
  if (x1 == p_.x1 && y1 == p_.y1 && x2 == p_.x2 && y2 == p_.y2) return;
  p_.x1 = x1;
  p_.y1 = y1;
  p_.x2 = x2;
  p_.y2 = y2;
  Changed(kAspectGeometry);
}

void Control::SetCaption(const std::string& text) {
  if (text == p_.caption) return;
  p_.caption = text;
  Changed(kAspectText);
}

void Control::SetVisible(bool visible) {
  if (visible == p_.visible) return;
  p_.visible = visible;
  Changed(kAspectVisible);
}

void Control::SetEnabled(bool enabled) {
  if (enabled == p_.enabled) return;
  p_.enabled = enabled;
  Changed(kAspectEnabled);
}

void Control::SetPicture(const std::string& resourceName) {
  p_.picture = resourceName;
  Changed(kAspectPicture);
}

void Control::SetFont(const Font& font) {
  p_.font = font;
  Changed(kAspectFont);
}

void Control::SetFontSize(double points) {
  p_.font.size = points;
  Changed(kAspectFont);
}

void Control::SetForeColor(Color color) {
  p_.foreColor = color;
  Changed(kAspectColors);
}

void Control::SetBackColor(Color color) {
  p_.backColor = color;
  Changed(kAspectColors);
}

void Control::SetBackStyle(BackStyle style) {
  p_.backStyle = style;
  Changed(kAspectColors);
}

void Control::SetBorderColor(Color color) {
  p_.borderColor = color;
  Changed(kAspectColors);
}

void Control::SetFillColor(Color color) {
  p_.fillColor = color;
  p_.filled = true;
  Changed(kAspectColors);
}

void Control::SetBorderWidth(int pixels) {
  p_.borderWidth = std::max(1, pixels);
  Changed(kAspectGeometry);
}

void Control::SetAlignment(Alignment alignment) {
  p_.alignment = alignment;
  Changed(kAspectText);
}

void Control::SetBorder(bool border) {
  p_.border = border;
  Changed(kAspectColors);
}

void Control::SetUseMnemonic(bool use) {
  p_.useMnemonic = use;
  Changed(kAspectText);
}

void Control::SetDefault(bool isDefault) {
  p_.isDefault = isDefault;
  Changed(kAspectText);
}

void Control::SetCancel(bool isCancel) { p_.isCancel = isCancel; }

void Control::SetToolTipText(const std::string& text) {
  if (text == p_.toolTipText) return;
  p_.toolTipText = text;
  Changed(kAspectText);
}

void Control::SetAccessibleName(const std::string& text) {
  if (text == p_.accessibleName) return;
  p_.accessibleName = text;
  Changed(kAspectText);
}

void Control::SetAccessibleDescription(const std::string& text) {
  if (text == p_.accessibleDescription) return;
  p_.accessibleDescription = text;
  Changed(kAspectText);
}

void Control::SetFocus() {
  if (form_->window_) form_->window_->FocusControl(*this);
}

void Control::SetRange(int min, int max) {
  p_.min = min;
  p_.max = std::max(min, max);
  p_.value = std::clamp(p_.value, p_.min, p_.max);
  Changed(kAspectScroll);
}

void Control::SetValue(int value) {
  p_.value = std::clamp(value, p_.min, p_.max);
  Changed(kAspectScroll);
}

void Control::SetChanges(int smallChange, int largeChange) {
  p_.smallChange = std::max(1, smallChange);
  p_.largeChange = std::max(1, largeChange);
  Changed(kAspectScroll);
}

void Control::ZOrder(int position) {
  auto& stack = form_->zOrder_;
  stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
  if (position == 1)
    stack.insert(stack.begin(), this);
  else
    stack.push_back(this);
  if (form_->window_) form_->window_->ZOrderChanged();
}

void Control::Refresh() {
  if (form_->window_) form_->window_->Refresh(this);
}

// ---- ControlArray -------------------------------------------------------

Control& ControlArray::operator[](int index) const {
  const auto found = members_.find(index);
  if (found == members_.end())
    throw std::out_of_range("Control array element " + name_ + "(" + std::to_string(index) +
                            ") does not exist");
  return *found->second;
}

Control& ControlArray::Load(int index) {
  if (index < 1 || Exists(index))
    throw std::invalid_argument("Cannot load " + name_ + "(" + std::to_string(index) + ")");
  const Control& first = (*this)[0];
  Control& member = form_->NewControl(kind_, name_, index);
  member.p_ = first.p_;
  member.p_.visible = false;
  member.click_ = first.click_;
  member.dblClick_ = first.dblClick_;
  member.change_ = first.change_;
  members_[index] = &member;
  // New controls are in front; the window puts them there itself, so a long
  // run of Loads does not restack every sibling each time.
  if (form_->window_) form_->window_->ControlCreated(member);
  return member;
}

void ControlArray::Unload(int index) {
  Control& member = (*this)[index];
  if (design_.count(index))
    throw std::invalid_argument("Cannot unload " + name_ + "(" + std::to_string(index) +
                                "), which the design created");
  members_.erase(index);
  form_->RemoveControl(member);
}

int ControlArray::LBound() const { return members_.begin()->first; }
int ControlArray::UBound() const { return members_.rbegin()->first; }

}  // namespace platform
