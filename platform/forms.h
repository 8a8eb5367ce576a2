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
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace platform {

// 0x00BBGGRR, or a system colour as 0x80000000 | its index.
using Color = std::uint32_t;
constexpr Color Rgb(int red, int green, int blue) {
  return static_cast<Color>(red & 0xFF) | static_cast<Color>(green & 0xFF) << 8 |
         static_cast<Color>(blue & 0xFF) << 16;
}
constexpr Color SystemColor(int index) { return 0x80000000u | static_cast<Color>(index & 0xFF); }
constexpr bool IsSystemColor(Color color) { return (color & 0x80000000u) != 0; }

inline constexpr Color kColorWindow = SystemColor(5);
inline constexpr Color kColorWindowText = SystemColor(8);
inline constexpr Color kColorAppWorkspace = SystemColor(12);
inline constexpr Color kColorButtonFace = SystemColor(15);
inline constexpr Color kColorButtonText = SystemColor(18);
inline constexpr Color kColorBlack = Rgb(0, 0, 0);
inline constexpr Color kColorWhite = Rgb(255, 255, 255);

struct Font {
  std::string name = "MS Sans Serif";
  double size = 8.25;  // points
  bool bold = false;
  bool italic = false;
  bool operator==(const Font&) const = default;
};

enum class ControlKind {
  Label,   // text; a real "Static" child
  Button,  // push button; a real "Button" child
  Image,   // a bitmap resource; a real "Static" child
  Line,    // painted on the form, from (X1, Y1) to (X2, Y2)
  Shape,   // filled rectangle painted on the form
  Menu,    // a menu-bar title or an item of one
  VScrollBar,  // vertical scroll bar; a real "ScrollBar" child
};

enum class Alignment { Left, Right, Center };
enum class BackStyle { Transparent, Opaque };
enum class FormBorder { FixedSingle, FixedToolWindow, Sizable };
enum class StartUpPosition { Manual, CenterOwner, CenterScreen };

// Why a form is being unloaded, as Form_QueryUnload receives it.
inline constexpr std::int16_t kFormControlMenu = 0;  // closed from outside (close box, WM_CLOSE)
inline constexpr std::int16_t kFormCode = 1;         // Unload called by the program
inline constexpr std::int16_t kAppWindows = 2;       // the session ends

// What a change touched, so a binding redoes only that.
enum Aspect : unsigned {
  kAspectGeometry = 1u << 0,
  kAspectText = 1u << 1,
  kAspectVisible = 1u << 2,
  kAspectEnabled = 1u << 3,
  kAspectFont = 1u << 4,
  kAspectPicture = 1u << 5,
  kAspectColors = 1u << 6,
  kAspectScroll = 1u << 7,
  kAspectAll = 0xFFu,
};

class Form;
class ControlArray;

// Every property any kind may have; a kind ignores what it does not use.
struct ControlProperties {
  double left = 0, top = 0, width = 0, height = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // lines
  std::string caption;
  bool visible = true;
  bool enabled = true;
  std::string picture;  // name of a bitmap resource; empty: none
  Font font;
  Color foreColor = kColorButtonText;
  Color backColor = kColorButtonFace;
  Color borderColor = kColorBlack;  // lines and shape outlines
  Color fillColor = kColorBlack;    // shapes
  BackStyle backStyle = BackStyle::Opaque;
  bool filled = false;  // shapes: fill the inside with fillColor
  Alignment alignment = Alignment::Left;
  bool border = false;  // labels: a single-line border; shapes: an outline
  int borderWidth = 1;  // pixels, for lines and outlines
  bool useMnemonic = true;  // "&" marks the access key instead of showing
  bool isDefault = false;   // buttons: Enter presses it
  bool isCancel = false;    // buttons: Esc presses it
  std::string toolTipText;
  std::string menuParent;  // menu items: the name of their menu-bar title
  // Scroll bars: Value runs from Min to Max; the arrows move it by
  // SmallChange, the track by LargeChange, which is also the part of the
  // range the thumb stands for.
  int min = 0, max = 32767, value = 0, smallChange = 1, largeChange = 1;
};

class Control {
 public:
  using Handler = std::function<void(int index)>;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  // The member's index in its control array; -1 outside arrays.
  int Index() const { return index_; }
  // Unique within the form while it is loaded; the binding's child id.
  int Id() const { return id_; }
  Form& Parent() const { return *form_; }
  const ControlProperties& Properties() const { return p_; }

  double Left() const { return p_.left; }
  double Top() const { return p_.top; }
  double Width() const { return p_.width; }
  double Height() const { return p_.height; }
  void SetLeft(double twips);
  void SetTop(double twips);
  void SetWidth(double twips);
  void SetHeight(double twips);
  void Move(double left, double top, double width, double height);

  double X1() const { return p_.x1; }
  double Y1() const { return p_.y1; }
  double X2() const { return p_.x2; }
  double Y2() const { return p_.y2; }
  void SetLine(double x1, double y1, double x2, double y2);
  void SetX1(double twips) { SetLine(twips, p_.y1, p_.x2, p_.y2); }
  void SetY1(double twips) { SetLine(p_.x1, twips, p_.x2, p_.y2); }
  void SetX2(double twips) { SetLine(p_.x1, p_.y1, twips, p_.y2); }
  void SetY2(double twips) { SetLine(p_.x1, p_.y1, p_.x2, twips); }

  const std::string& Caption() const { return p_.caption; }
  void SetCaption(const std::string& text);
  bool Visible() const { return p_.visible; }
  void SetVisible(bool visible);
  bool Enabled() const { return p_.enabled; }
  void SetEnabled(bool enabled);
  const std::string& Picture() const { return p_.picture; }
  void SetPicture(const std::string& resourceName);
  const Font& TextFont() const { return p_.font; }
  void SetFont(const Font& font);
  void SetFontSize(double points);
  void SetForeColor(Color color);
  void SetBackColor(Color color);
  void SetBackStyle(BackStyle style);
  void SetBorderColor(Color color);
  void SetFillColor(Color color);  // also makes the shape filled
  void SetBorderWidth(int pixels);
  void SetAlignment(Alignment alignment);
  void SetBorder(bool border);
  void SetUseMnemonic(bool use);
  void SetDefault(bool isDefault);
  void SetCancel(bool isCancel);
  void SetToolTipText(const std::string& text);

  int Min() const { return p_.min; }
  int Max() const { return p_.max; }
  int Value() const { return p_.value; }
  int SmallChange() const { return p_.smallChange; }
  int LargeChange() const { return p_.largeChange; }
  // Max is never below Min, Value is kept between them and the changes
  // are at least 1. Setting them from code raises no Change event.
  void SetRange(int min, int max);
  void SetValue(int value);
  void SetChanges(int smallChange, int largeChange);

  // Event handlers; they receive Index().
  void OnClick(Handler handler) { click_ = std::move(handler); }
  void OnDblClick(Handler handler) { dblClick_ = std::move(handler); }
  // Scroll bars: the user moved Value.
  void OnChange(Handler handler) { change_ = std::move(handler); }

  // 0 brings the control in front of its siblings, 1 sends it behind them.
  void ZOrder(int position = 0);
  // Paints the control now instead of when the message loop next runs.
  void Refresh();

 private:
  friend class Form;
  friend class ControlArray;
  Control(Form& form, ControlKind kind, std::string name, int index, int id);
  void Changed(unsigned aspects);

  Form* form_;
  ControlKind kind_;
  std::string name_;
  int index_;
  int id_;
  ControlProperties p_;
  Handler click_, dblClick_, change_;
};

// Members indexed from 0; member 0 exists from the design, the others are
// created at run time as copies of it.
class ControlArray {
 public:
  const std::string& Name() const { return name_; }
  ControlKind Kind() const { return kind_; }
  // Throws std::out_of_range for a member that does not exist.
  Control& operator[](int index) const;
  bool Exists(int index) const { return members_.count(index) != 0; }
  // Creates member `index` with the properties and handlers of member 0,
  // hidden. Throws std::invalid_argument when it exists or index < 1.
  Control& Load(int index);
  // Removes a member created by Load; members of the design stay for the
  // form's life (std::invalid_argument).
  void Unload(int index);
  int LBound() const;
  int UBound() const;
  int Count() const { return static_cast<int>(members_.size()); }

 private:
  friend class Form;
  ControlArray(Form& form, ControlKind kind, std::string name)
      : form_(&form), kind_(kind), name_(std::move(name)) {}
  Form* form_;
  ControlKind kind_;
  std::string name_;
  std::map<int, Control*> members_;
  std::map<int, bool> design_;  // members the design created
};

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
  virtual void Hide() = 0;
  virtual void SetFocus() = 0;
  // Paints invalid parts now; `control` null: the whole form.
  virtual void Refresh(const Control* control) = 0;
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
  void OnLostFocus();
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
  virtual void Form_LostFocus() {}

  void SetBorderStyle(FormBorder border) { border_ = border; }
  void SetControlBox(bool on) { controlBox_ = on; }
  void SetMinButton(bool on) { minButton_ = on; }
  void SetMaxButton(bool on) { maxButton_ = on; }
  void SetShowInTaskbar(bool on) { showInTaskbar_ = on; }
  void SetStartUpPosition(StartUpPosition position) { startUp_ = position; }
  void SetDesignClientSize(double width, double height);
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

  std::string name_;
  FormHost* host_ = nullptr;
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
  int nextId_ = 100;
  std::vector<std::unique_ptr<Control>> owned_;        // creation order
  std::vector<Control*> zOrder_;                       // back to front
  std::vector<std::unique_ptr<ControlArray>> arrays_;  // creation order
};

// The loaded forms, in the order they were loaded.
std::vector<Form*> LoadedForms();

// The installed host's screen; the one a form would be placed on.
ScreenMetrics Screen();
// One pass of the message loop.
void DoEvents();

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

}  // namespace platform
