#include "platform/forms.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/services.h"

namespace platform {
namespace {

std::vector<Form*>& Loaded() {
  static std::vector<Form*> forms;
  return forms;
}

bool Grow(Form& form, bool vertical, double target, FitSteps steps) {
  const ScreenMetrics screen = form.Screen();
  // No window is larger than the working area: a target it cannot hold
  // stops the growth there instead of looping for ever.
  const double cap = vertical ? screen.workHeight : screen.workWidth;
  const double start = vertical ? form.Height() : form.Width();
  const double perPixel = vertical ? screen.twipsPerPixelY : screen.twipsPerPixelX;
  // The frame does not change while the window grows: the size is worked
  // out on its arithmetic, and the real window is moved once.
  const FrameExtents frame = form.FrameSize();
  const double size = FitOuterSize(start, target, vertical ? frame.height : frame.width,
                                   perPixel, cap, steps);
  if (vertical)
    form.SetHeight(size);
  else
    form.SetWidth(size);
  return (vertical ? form.ClientHeight() : form.ClientWidth()) >= target;
}

}  // namespace

// ---- Form ---------------------------------------------------------------

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() { Discard(); }

void Form::Load() {
  if (window_ || host_) return;  // loaded, or Form_Load is running
  FormHost* host = Os().forms;
  if (!host) throw std::logic_error("No window system to load " + name_ + " into");
  // A fresh instance of the design every time.
  ResetDesign();
  Build();
  host_ = host;
  life_ = std::make_shared<const bool>(true);
  try {
    window_ = host->CreateWindowFor(*this);
    screen_ = host->Screen();
    for (const auto& control : owned_)
      if (control->kind_ != ControlKind::Menu) window_->ControlCreated(*control);
    window_->ZOrderChanged();
    // The menu bar is part of the frame the outer size is computed from.
    window_->MenusChanged();
  } catch (...) {
    Discard();  // no half-made window stays behind
    throw;
  }
  const FrameExtents frame = window_->Frame();
  width_ = (TwipsToPixels(designClientWidth_, screen_.twipsPerPixelX) + frame.width) *
           screen_.twipsPerPixelX;
  height_ = (TwipsToPixels(designClientHeight_, screen_.twipsPerPixelY) + frame.height) *
            screen_.twipsPerPixelY;
  // No owner is ever given, so centring on the owner is centring on the screen.
  if (startUp_ != StartUpPosition::Manual) {
    left_ = screen_.workLeft + (screen_.workWidth - width_) / 2;
    top_ = screen_.workTop + (screen_.workHeight - height_) / 2;
  }
  window_->FormChanged(kAspectAll);
  Loaded().push_back(this);
  Form_Load();
  if (window_) window_->Settle();
}

void Form::Show() {
  Load();
  if (!window_) return;  // Form_Load unloaded it
  visible_ = true;
  window_->Show();
}

void Form::Hide() {
  if (!window_) return;
  visible_ = false;
  window_->Hide();
}

bool Form::Unload(std::int16_t unloadMode) {
  // Unloading a form from inside its own unload handlers changes nothing.
  if (!window_ || unloading_) return true;
  unloading_ = true;
  std::int16_t cancel = 0;
  try {
    Form_QueryUnload(cancel, unloadMode);
    if (cancel == 0) Form_Unload(cancel);
  } catch (...) {
    unloading_ = false;
    throw;
  }
  unloading_ = false;
  if (cancel != 0) return false;
  Discard();
  return true;
}

void Form::Discard() {
  auto& loaded = Loaded();
  loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
  // The model forgets the window first, so nothing the window says while it
  // is destroyed reaches the model.
  std::unique_ptr<FormWindow> window = std::move(window_);
  window.reset();
  host_ = nullptr;
  life_.reset();
  visible_ = false;
  zOrder_.clear();
  arrays_.clear();
  owned_.clear();
}

void Form::ResetDesign() {
  nextId_ = 100;
  left_ = top_ = width_ = height_ = 0;
  designClientWidth_ = designClientHeight_ = 0;
  caption_.clear();
  backColor_ = kColorButtonFace;
  font_ = Font{};
  border_ = FormBorder::Sizable;
  controlBox_ = minButton_ = maxButton_ = showInTaskbar_ = true;
  startUp_ = StartUpPosition::Manual;
  keyPreview_ = false;
}

WindowHandle Form::hWnd() const { return window_ ? window_->Handle() : 0; }

void Form::SetFocus() {
  if (window_) window_->SetFocus();
}

void Form::DeferWindowChanges(bool defer) {
  if (window_) window_->DeferChanges(defer);
}

void Form::Refresh() {
  if (window_) window_->Refresh(nullptr);
}

void Form::Move(double left, double top, double width, double height) {
  left_ = left;
  top_ = top;
  width_ = std::max(0.0, width);
  height_ = std::max(0.0, height);
  if (window_) window_->FormChanged(kAspectGeometry);
}

double Form::ClientWidth() const {
  if (!window_) return designClientWidth_;
  return ClientWidthFor(width_);
}

double Form::ClientHeight() const {
  if (!window_) return designClientHeight_;
  return ClientHeightFor(height_);
}

double Form::ClientWidthFor(double outerWidth) const {
  if (!window_) return designClientWidth_;
  const int pixels = TwipsToPixels(outerWidth, screen_.twipsPerPixelX) - window_->Frame().width;
  return std::max(0, pixels) * screen_.twipsPerPixelX;
}

FrameExtents Form::FrameSize() const { return window_ ? window_->Frame() : FrameExtents{}; }

double Form::ClientHeightFor(double outerHeight) const {
  if (!window_) return designClientHeight_;
  const int pixels = TwipsToPixels(outerHeight, screen_.twipsPerPixelY) - window_->Frame().height;
  return std::max(0, pixels) * screen_.twipsPerPixelY;
}

ScreenMetrics Form::Screen() const {
  if (host_) return host_->Screen();
  return platform::Screen();
}

void Form::SetCaption(const std::string& text) {
  caption_ = text;
  if (window_) window_->FormChanged(kAspectText);
}

void Form::SetBackColor(Color color) {
  backColor_ = color;
  if (window_) window_->FormChanged(kAspectColors);
}

void Form::SetDesignClientSize(double width, double height) {
  designClientWidth_ = width;
  designClientHeight_ = height;
}

Control* Form::ControlById(int id) const {
  for (const auto& control : owned_)
    if (control->id_ == id) return control.get();
  return nullptr;
}

Control* Form::ControlByName(const std::string& name) const {
  for (const auto& control : owned_)
    if (control->index_ < 0 && control->name_ == name) return control.get();
  return nullptr;
}

ControlArray* Form::ArrayByName(const std::string& name) const {
  for (const auto& array : arrays_)
    if (array->name_ == name) return array.get();
  return nullptr;
}

std::vector<Control*> Form::Menus() const {
  std::vector<Control*> menus;
  for (const auto& control : owned_)
    if (control->kind_ == ControlKind::Menu) menus.push_back(control.get());
  return menus;
}

Control& Form::NewControl(ControlKind kind, const std::string& name, int index) {
  owned_.push_back(std::unique_ptr<Control>(new Control(*this, kind, name, index, nextId_++)));
  Control& control = *owned_.back();
  if (kind != ControlKind::Menu) zOrder_.push_back(&control);  // in front of the earlier ones
  return control;
}

void Form::RemoveControl(Control& control) {
  if (window_) window_->ControlDestroyed(control);
  zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), &control), zOrder_.end());
  owned_.erase(std::remove_if(owned_.begin(), owned_.end(),
                              [&](const auto& owned) { return owned.get() == &control; }),
               owned_.end());
}

void Form::ControlChanged(Control& control, unsigned aspects) {
  if (!window_) return;
  if (control.kind_ == ControlKind::Menu)
    window_->MenusChanged();
  else
    window_->ControlChanged(control, aspects);
}

Control& Form::AddControl(ControlKind kind, const std::string& name) {
  Control& control = NewControl(kind, name, -1);
  if (window_) window_->ControlCreated(control);
  return control;
}

ControlArray& Form::AddControlArray(ControlKind kind, const std::string& name) {
  arrays_.push_back(std::unique_ptr<ControlArray>(new ControlArray(*this, kind, name)));
  ControlArray& array = *arrays_.back();
  AddArrayMember(array, 0);
  return array;
}

Control& Form::AddArrayMember(ControlArray& array, int index) {
  if (index < 0 || array.Exists(index))
    throw std::invalid_argument("Cannot add " + array.name_ + "(" + std::to_string(index) + ")");
  Control& member = NewControl(array.kind_, array.name_, index);
  array.members_[index] = &member;
  array.design_[index] = true;
  if (window_) window_->ControlCreated(member);
  return member;
}

Control& Form::AddMenu(const std::string& name, const std::string& caption,
                       const std::string& parent) {
  Control& menu = NewControl(ControlKind::Menu, name, -1);
  menu.p_.caption = caption;
  menu.p_.menuParent = parent;
  if (window_) window_->MenusChanged();
  return menu;
}

void Form::OnClicked(Control& control) {
  // A copy: the handler may unload the form, and the control with it.
  const Control::Handler handler = control.click_;
  const int index = control.index_;
  if (handler) handler(index);
}

void Form::OnDoubleClicked(Control& control) {
  const Control::Handler handler = control.dblClick_;
  const int index = control.index_;
  if (handler) handler(index);
}

void Form::OnScrolled(Control& control, int value) {
  const int before = control.p_.value;
  control.SetValue(value);
  if (control.p_.value == before) return;
  const Control::Handler handler = control.change_;
  const int index = control.index_;
  if (handler) handler(index);
}

void Form::OnCloseRequested(std::int16_t unloadMode) { Unload(unloadMode); }

void Form::OnSessionEnding() { Form_SessionEnding(); }

void Form::OnSessionEnded() {
  // One pass over the forms loaded now: an unload may unload others.
  for (Form* form : LoadedForms())
    if (form->IsLoaded()) form->Unload(kFormAppWindows);
}

void Form::OnSessionResumed() { Form_SessionResumed(); }

void Form::OnLostFocus() { Form_LostFocus(); }

bool Form::OnKeyDown(int keyCode, int shift) {
  if (!keyPreview_) return false;
  Form_KeyDown(keyCode, shift);
  return keyCode == 0;
}

Control* Form::NextTabStop(const Control* from, bool forward) const {
  std::vector<Control*> stops;
  for (const auto& control : owned_) {
    const bool focusable =
        control->kind_ == ControlKind::Button || control->kind_ == ControlKind::VScrollBar;
    if (focusable && control->p_.visible && control->p_.enabled) stops.push_back(control.get());
  }
  if (stops.empty()) return nullptr;
  // Creation order breaks ties, as the ids grow with it.
  std::stable_sort(stops.begin(), stops.end(),
                   [](const Control* a, const Control* b) { return a->p_.tabIndex < b->p_.tabIndex; });
  const auto at = std::find(stops.begin(), stops.end(), from);
  if (at == stops.end()) return forward ? stops.front() : stops.back();
  const std::size_t i = static_cast<std::size_t>(at - stops.begin());
  const std::size_t n = stops.size();
  return stops[forward ? (i + 1) % n : (i + n - 1) % n];
}

void Form::OnPlaced(int leftPx, int topPx, int widthPx, int heightPx) {
  const double tx = screen_.twipsPerPixelX, ty = screen_.twipsPerPixelY;
  if (TwipsToPixels(left_, tx) != leftPx) left_ = leftPx * tx;
  if (TwipsToPixels(top_, ty) != topPx) top_ = topPx * ty;
  if (TwipsToPixels(width_, tx) != widthPx) width_ = widthPx * tx;
  if (TwipsToPixels(height_, ty) != heightPx) height_ = heightPx * ty;
}

// ---- HandlerGuard -------------------------------------------------------

namespace {
bool handlerRunning = false;  // one user-interface thread
}

HandlerGuard::HandlerGuard(const Form& form) : life_(form.life_), refused_(handlerRunning) {
  handlerRunning = true;
  // A refusal the user can hear: a silent one looks like a program that
  // broke.
  if (refused_ && Os().forms) Os().forms->Beep();
}

HandlerGuard::~HandlerGuard() {
  if (!refused_) handlerRunning = false;
}

// ---- captions that fit ---------------------------------------------------

namespace {

// A push button's face around its caption: its edges, the focus rectangle
// and a margin, in pixels each side.
constexpr int kButtonEdgeX = 3, kButtonEdgeY = 2;

struct Room {
  double width, height;
};

Room CaptionRoom(const Control& c, double width, double height) {
  if (c.Kind() != ControlKind::Button) return {width, height};
  const ScreenMetrics screen = c.Parent().Screen();
  return {width - 2 * kButtonEdgeX * screen.twipsPerPixelX,
          height - 2 * kButtonEdgeY * screen.twipsPerPixelY};
}

TextExtent Measure(const Control& c, const std::string& caption, double wrapWidth) {
  FormHost* host = Os().forms;
  if (!host || caption.empty()) return {};
  return host->MeasureText(caption, c.TextFont(), std::max(1.0, wrapWidth),
                           c.Properties().useMnemonic);
}

bool Fits(const Control& c, const std::string& caption, double width, double height) {
  const Room room = CaptionRoom(c, width, height);
  const TextExtent need = Measure(c, caption, room.width);
  // Half a pixel of slack for the rounding between twips and pixels: a
  // pixel is fewer twips at a higher DPI.
  const ScreenMetrics screen = c.Parent().Screen();
  return need.width <= room.width + screen.twipsPerPixelX / 2 &&
         need.height <= room.height + screen.twipsPerPixelY / 2;
}

}  // namespace

double CaptionHeight(const Control& control, double width) {
  return Measure(control, control.Caption(), width).height;
}

bool ShowsWholeCaption(const Control& control) {
  return Fits(control, control.Caption(), control.Width(), control.Height());
}

double FitCaptions(Control& control, const std::vector<std::string>& captions, double maxWidth) {
  // The forms were designed for English, and every text of theirs fits at
  // every DPI as designed (a GUI test measures them): nothing to measure,
  // which keeps start-up as quick as it was.
  if (TextsAreEnglish()) return 0;
  const auto allFit = [&](double width, double height) {
    for (const std::string& caption : captions)
      if (!Fits(control, caption, width, height)) return false;
    return true;
  };
  const double width = control.Width(), height = control.Height();
  if (allFit(width, height)) return 0;
  maxWidth = std::max(maxWidth, width);
  const double step = control.Parent().Screen().twipsPerPixelX;
  if (allFit(maxWidth, height)) {
    // The narrowest width, to the pixel, at which every caption fits.
    double low = width, high = maxWidth;
    while (high - low > step) {
      const double mid = low + std::floor((high - low) / 2 / step) * step;
      if (mid <= low) break;
      (allFit(mid, height) ? high : low) = mid;
    }
    control.SetWidth(high);
    return 0;
  }
  // More lines at the widest width allowed.
  double need = height;
  for (const std::string& caption : captions) {
    const Room room = CaptionRoom(control, maxWidth, height);
    need = std::max(need, Measure(control, caption, room.width).height + (height - room.height));
  }
  const double perPixel = control.Parent().Screen().twipsPerPixelY;
  need = std::ceil(need / perPixel) * perPixel;
  control.Move(control.Left(), control.Top(), maxWidth, need);
  return need - height;
}

double FitCaption(Control& control, double maxWidth) {
  return FitCaptions(control, {control.Caption()}, maxWidth);
}

void MoveDownFrom(Form& form, double y, double by) {
  if (by <= 0) return;
  for (Control* c : form.Controls()) {
    if (c->Kind() == ControlKind::Line) {
      if (std::min(c->Y1(), c->Y2()) >= y) c->SetLine(c->X1(), c->Y1() + by, c->X2(), c->Y2() + by);
    } else if (c->Top() >= y) {
      c->SetTop(c->Top() + by);
    }
  }
}

// ---- free functions -----------------------------------------------------

std::vector<Form*> LoadedForms() { return Loaded(); }

ScreenMetrics Screen() {
  if (!Os().forms) throw std::logic_error("No window system installed");
  return Os().forms->Screen();
}

void DoEvents() {
  if (Os().forms) Os().forms->DoEvents();
}

int TwipsToPixels(double twips, double twipsPerPixel) {
  return static_cast<int>(std::lround(twips / twipsPerPixel));
}

double FitOuterSize(double start, double target, int framePixels, double twipsPerPixel,
                    double cap, FitSteps steps) {
  const auto reaches = [&](double size) {
    return std::max(0, TwipsToPixels(size, twipsPerPixel) - framePixels) * twipsPerPixel >=
           target;
  };
  const double first = steps == FitSteps::AtLeastOne ? start + 1 : start;
  if (reaches(first) || first >= cap) return first;
  // The client size never shrinks as the window grows, so the first step
  // that reaches the target is found by halving, among the steps that stop
  // short of the cap.
  long long last = std::max(1LL, static_cast<long long>(std::ceil(cap - first)));
  while (last > 1 && first + static_cast<double>(last - 1) >= cap) --last;
  while (first + static_cast<double>(last) < cap) ++last;
  long long low = 1, high = last;
  while (low < high) {
    const long long mid = low + (high - low) / 2;
    if (reaches(first + static_cast<double>(mid)))
      high = mid;
    else
      low = mid + 1;
  }
  return first + static_cast<double>(low);
}

bool GrowHeightUntil(Form& form, double target, FitSteps steps) {
  return Grow(form, true, target, steps);
}

bool GrowWidthUntil(Form& form, double target, FitSteps steps) {
  return Grow(form, false, target, steps);
}

}  // namespace platform
