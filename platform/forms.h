#pragma once
// The window toolkit every form of the programs is built on.
//
// A portable model of forms and their controls, which layout code reads and
// writes and which tests drive without any window system, and the narrow
// binding (FormHost, FormWindow) through which a loaded form becomes a real
// window. Positions and sizes are twips (1/1440 inch) kept with their
// fractions; controls are placed from the top-left corner of the form's
// client area. Only the binding turns twips into pixels (TwipsToPixels).
// Texts are UTF-8.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/windows.h"

namespace platform {

struct ScreenMetrics {
  double width = 0, height = 0;  // the whole screen, twips
  // The part not covered by task bars, twips.
  double workLeft = 0, workTop = 0, workWidth = 0, workHeight = 0;
  double twipsPerPixelX = 15, twipsPerPixelY = 15;  // 1440 / DPI
  double scrollBarWidth = 255;  // a vertical scroll bar's, twips
};

// What the window's frame, title bar and menu bar add to the client area,
// in whole pixels.
struct FrameExtents {
  int width = 0;
  int height = 0;
};

// The real window of a loaded form. The model tells it what changed; it
// never changes the model except through the Form::On... calls.
class FormWindow {
 public:
  virtual ~FormWindow() = default;  // destroys the window and its children
  virtual WindowHandle Handle() const = 0;
  // For the form's styles and current menu bar.
  virtual FrameExtents Frame() const = 0;
  virtual void FormChanged(unsigned aspects) = 0;
  // In front of the controls created before it.
  virtual void ControlCreated(Control& control) = 0;
  virtual void ControlChanged(Control& control, unsigned aspects) = 0;
  virtual void ControlDestroyed(Control& control) = 0;
  virtual void ZOrderChanged() = 0;
  virtual void MenusChanged() = 0;
  virtual void Show() = 0;  // modeless, activated
  // What a hidden window let wait (its place and size) is given to it now:
  // the model's Load calls this when Form_Load is done.
  virtual void Settle() {}
  // While deferred, changes to controls that have their window reach it at
  // the next Refresh, Show or end of deferring, all at once.
  virtual void DeferChanges(bool defer) { (void)defer; }
  virtual void Hide() = 0;
  virtual void SetFocus() = 0;
  // The control takes the keyboard focus (its window made if need be).
  virtual void FocusControl(Control& control) { (void)control; }
  // Paints invalid parts now; `control` null: the whole form.
  virtual void Refresh(const Control* control) = 0;
};

// The room a text takes, twips.
struct TextExtent {
  double width = 0, height = 0;
};

class FormHost {
 public:
  virtual ~FormHost() = default;
  // The window for a form being loaded: hidden, with the form's frame,
  // caption and no controls yet.
  virtual std::unique_ptr<FormWindow> CreateWindowFor(Form& form) = 0;
  virtual ScreenMetrics Screen() = 0;
  // Lets the window messages that are waiting run, once.
  virtual void DoEvents() = 0;
  // The room `text` takes in `font` on this screen: on one line when
  // `wrapWidth` is 0, else broken into lines at most `wrapWidth` wide as a
  // label draws it (a word too long for that makes it wider). With
  // `mnemonic`, "&" marks the next letter and takes no room.
  virtual TextExtent MeasureText(const std::string& text, const Font& font, double wrapWidth,
                                 bool mnemonic) = 0;
  // The sound of a click that was refused (MessageBeep(MB_OK)), as for a
  // click on a window that a modal box has disabled.
  virtual void Beep() {}
};

class Form {
 public:
  explicit Form(std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }

  // Builds the design, creates the window hidden and runs Form_Load. Does
  // nothing when loaded. Throws std::logic_error without a FormHost.
  void Load();
  // Modeless, without an owner; loads the form first.
  void Show();
  void Hide();
  // Runs Form_QueryUnload and Form_Unload, then destroys the window and
  // every control; false when a handler cancelled. The next Load starts
  // again from the design.
  bool Unload(std::int16_t unloadMode = kFormCode);
  // Forgets the window and the controls without running any handler, as
  // when the program ends: for a host that goes away.
  void Discard();
  bool IsLoaded() const { return window_ != nullptr; }
  bool Visible() const { return IsLoaded() && visible_; }
  // 0 when not loaded.
  WindowHandle hWnd() const;
  void SetFocus();
  void Refresh();
  // Lets the real window lag behind the model until the next Refresh
  // (true), or brings it up to date and stops (false).
  void DeferWindowChanges(bool defer);

  // The outer rectangle, twips. Sizes keep what was set; the real window
  // gets whole pixels.
  double Left() const { return left_; }
  double Top() const { return top_; }
  double Width() const { return width_; }
  double Height() const { return height_; }
  void SetLeft(double twips) { Move(twips, top_, width_, height_); }
  void SetTop(double twips) { Move(left_, twips, width_, height_); }
  void SetWidth(double twips) { Move(left_, top_, twips, height_); }
  void SetHeight(double twips) { Move(left_, top_, width_, twips); }
  void Move(double left, double top, double width, double height);
  // The client area as the real window has it: whole pixels of the outer
  // size less the frame, in twips. The design size while not loaded.
  double ClientWidth() const;
  double ClientHeight() const;
  // The client size the window would have at this outer size.
  double ClientWidthFor(double outerWidth) const;
  double ClientHeightFor(double outerHeight) const;
  // What the frame adds around the client area, whole pixels; none while
  // not loaded.
  FrameExtents FrameSize() const;
  // The screen as the form's host reports it.
  ScreenMetrics Screen() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& text);
  Color BackColor() const { return backColor_; }
  void SetBackColor(Color color);
  const Font& TextFont() const { return font_; }
  FormBorder BorderStyle() const { return border_; }
  bool ControlBox() const { return controlBox_; }
  bool MinButton() const { return minButton_; }
  bool MaxButton() const { return maxButton_; }
  bool ShowInTaskbar() const { return showInTaskbar_; }

  // Controls back to front: the order they are painted in.
  const std::vector<Control*>& Controls() const { return zOrder_; }
  Control* ControlById(int id) const;
  Control* ControlByName(const std::string& name) const;  // not array members
  ControlArray* ArrayByName(const std::string& name) const;
  // Menu titles and items in creation order.
  std::vector<Control*> Menus() const;

  // Called by the binding when something happened to the real window.
  void OnClicked(Control& control);
  void OnDoubleClicked(Control& control);
  // The user moved a scroll bar to `value` (kept within its range).
  void OnScrolled(Control& control, int value);
  void OnCloseRequested(std::int16_t unloadMode);
  // Windows asks whether the session may end (logoff, shutdown, an
  // installer's Restart Manager): the answer is always yes, and the form
  // gets Form_SessionEnding to stop what would hold it up.
  void OnSessionEnding();
  // The session ends: every loaded form is unloaded (kFormAppWindows), so
  // that nothing of the program holds files an installer must replace.
  static void OnSessionEnded();
  // Windows asked, but the session goes on after all (another program said
  // no): the form gets Form_SessionResumed to take back what it stopped.
  void OnSessionResumed();
  void OnLostFocus();
  // A key went down in the form: Form_KeyDown sees it first when the form
  // has KeyPreview. True when the form took it (set KeyCode to 0).
  bool OnKeyDown(int keyCode, int shift);
  // The control the focus moves to from `from` with Tab (forward) or
  // Shift+Tab: the shown, enabled buttons and scroll bars by TabIndex,
  // round the end. Null when there is none.
  Control* NextTabStop(const Control* from, bool forward) const;
  // The window was moved or sized from outside (the user, the system);
  // `outer` in pixels. Parts that match the model's rounding stay as set.
  void OnPlaced(int leftPx, int topPx, int widthPx, int heightPx);

 protected:
  // Creates the controls with their design values. Runs at every Load,
  // before the window exists; the setters below are for it.
  virtual void Build() = 0;
  virtual void Form_Load() {}
  virtual void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) {
    (void)Cancel, (void)UnloadMode;
  }
  virtual void Form_Unload(std::int16_t& Cancel) { (void)Cancel; }
  virtual void Form_SessionEnding() {}
  virtual void Form_SessionResumed() {}
  virtual void Form_LostFocus() {}
  virtual void Form_KeyDown(int& KeyCode, int Shift) { (void)KeyCode, (void)Shift; }

  void SetBorderStyle(FormBorder border) { border_ = border; }
  void SetControlBox(bool on) { controlBox_ = on; }
  void SetMinButton(bool on) { minButton_ = on; }
  void SetMaxButton(bool on) { maxButton_ = on; }
  void SetShowInTaskbar(bool on) { showInTaskbar_ = on; }
  void SetStartUpPosition(StartUpPosition position) { startUp_ = position; }
  void SetDesignClientSize(double width, double height);
  // Key presses reach Form_KeyDown before any control.
  void SetKeyPreview(bool on) { keyPreview_ = on; }
  // The form's font; controls added afterwards start with it.
  void SetFormFont(const Font& font) { font_ = font; }

  Control& AddControl(ControlKind kind, const std::string& name);
  // An array with its member 0.
  ControlArray& AddControlArray(ControlKind kind, const std::string& name);
  // A further member of the design, with the defaults of a new control.
  Control& AddArrayMember(ControlArray& array, int index);
  // A menu-bar title (parent empty) or an item of the title `parent`.
  Control& AddMenu(const std::string& name, const std::string& caption,
                   const std::string& parent = {});

 private:
  friend class Control;
  friend class ControlArray;
  Control& NewControl(ControlKind kind, const std::string& name, int index);
  void RemoveControl(Control& control);
  void ControlChanged(Control& control, unsigned aspects);
  void ResetDesign();

  friend class HandlerGuard;
  std::string name_;
  FormHost* host_ = nullptr;
  // Lives exactly as long as one load: guards watch it.
  std::shared_ptr<const bool> life_;
  ScreenMetrics screen_;  // as it was when the form was loaded
  std::unique_ptr<FormWindow> window_;
  bool visible_ = false;
  bool unloading_ = false;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  double designClientWidth_ = 0, designClientHeight_ = 0;
  std::string caption_;
  Color backColor_ = kColorButtonFace;
  Font font_;
  FormBorder border_ = FormBorder::Sizable;
  bool controlBox_ = true, minButton_ = true, maxButton_ = true, showInTaskbar_ = true;
  StartUpPosition startUp_ = StartUpPosition::Manual;
  bool keyPreview_ = false;
  int nextId_ = 100;
  std::vector<std::unique_ptr<Control>> owned_;        // creation order
  std::vector<Control*> zOrder_;                       // back to front
  std::vector<std::unique_ptr<ControlArray>> arrays_;  // creation order
};

// A handler that waits in a call which may run window messages before it
// returns (a message box; the shell, which may show a security prompt of
// its own; work done away from the window) can be re-entered meanwhile by a
// second click or a close. Taken first thing in such a handler: while one
// guarded handler runs, every other is refused with a beep, so nothing is
// started twice; and after each such call the handler asks whether its
// form is still the load it started in before it touches a control, since
// a close unloads the form and its controls.
class HandlerGuard {
 public:
  explicit HandlerGuard(const Form& form);
  ~HandlerGuard();
  HandlerGuard(const HandlerGuard&) = delete;
  HandlerGuard& operator=(const HandlerGuard&) = delete;
  // Another guarded handler is still running: do nothing.
  bool Refused() const { return refused_; }
  // The form was unloaded since the guard was taken (and maybe loaded
  // anew): none of the controls the handler knew exists any more.
  bool FormGone() const { return life_.expired(); }

 private:
  std::weak_ptr<const bool> life_;
  bool refused_ = false;
};

// The loaded forms, in the order they were loaded.
std::vector<Form*> LoadedForms();

// The installed host's screen; the one a form would be placed on.
ScreenMetrics Screen();
// One pass of the message loop.
void DoEvents();

// A caption a longer language needs more room for (in English, the design's
// language, nothing changes): wider up to `maxWidth`
// (its left edge stays; the caller places it), else broken into more lines
// at `maxWidth`, the control growing taller. Returns the height it grew by;
// 0 for a caption that fits as it is, which changes nothing. A button's
// caption has its face less its edges to fit in.
double FitCaption(Control& control, double maxWidth);
// The same for several captions the control shows in turn (a button's
// states): room for the largest.
double FitCaptions(Control& control, const std::vector<std::string>& captions, double maxWidth);
// The height of the control's caption broken into lines `width` wide.
double CaptionHeight(const Control& control, double width);
// Whether the control shows its whole caption now.
bool ShowsWholeCaption(const Control& control);
// Moves the controls (and lines) of `form` that lie at or below `y` down by
// `by` twips: room for a caption that grew above them.
void MoveDownFrom(Form& form, double y, double by);

// Twips to pixels, rounded to the nearest pixel with halves away from zero
// (95 twips at 15 a pixel: 6.33 -> 6; 112.5: 7.5 -> 8). Each coordinate and
// size is converted on its own, so a size does not depend on its position.
int TwipsToPixels(double twips, double twipsPerPixel);

// Outer height (width) fitting: add one twip at a time to the form's outer
// height until its client height is at least `target`. WhileShort tests
// before the first step, AtLeastOne takes one step first. A window can never
// grow past the screen's working area, so the loop also stops there: it ends
// even for a target the screen cannot hold. Returns whether it was reached.
enum class FitSteps { WhileShort, AtLeastOne };
bool GrowHeightUntil(Form& form, double target, FitSteps steps);
bool GrowWidthUntil(Form& form, double target, FitSteps steps);

// Where that one-twip loop ends, worked out without taking its steps: from
// `start` (one twip more first with AtLeastOne), the first outer size whose
// client size, max(0, TwipsToPixels(size) - framePixels) twips' worth of
// pixels, reaches `target`; or the first at or past `cap` when none before
// it does.
double FitOuterSize(double start, double target, int framePixels, double twipsPerPixel,
                    double cap, FitSteps steps);

}  // namespace platform
