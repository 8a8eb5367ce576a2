#pragma once
// The controls of a form in the portable model: their kinds, every
// property a kind may have, control arrays. Positions and sizes are twips
// (1/1440 inch) kept with their fractions, from the top-left corner of the
// form's client area. Texts are UTF-8. See forms.h for the forms.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace platform {

// 0x00BBGGRR; a system colour as 0x80000000 | its index; or an accent as
// 0x40000000 | a system colour's index << 24 | 0xBBGGRR (see Accent).
using Color = std::uint32_t;
constexpr Color Rgb(int red, int green, int blue) {
  return static_cast<Color>(red & 0xFF) | static_cast<Color>(green & 0xFF) << 8 |
         static_cast<Color>(blue & 0xFF) << 16;
}
constexpr Color SystemColor(int index) { return 0x80000000u | static_cast<Color>(index & 0xFF); }
constexpr bool IsSystemColor(Color color) { return (color & 0x80000000u) != 0; }
// A colour of the design that holds while the system's colours are the
// usual ones (a white window with black text) and gives way to the system
// colour `scheme` under any other scheme (high contrast, a dark theme), so
// that it never stands on a background the user's scheme made alike.
constexpr Color Accent(Color design, Color scheme) {
  return 0x40000000u | (scheme & 0x3F) << 24 | (design & 0xFFFFFF);
}
constexpr bool IsAccent(Color color) { return (color & 0xC0000000u) == 0x40000000u; }
constexpr Color AccentDesign(Color color) { return color & 0xFFFFFF; }
constexpr Color AccentScheme(Color color) { return SystemColor(static_cast<int>(color >> 24 & 0x3F)); }

// Fills and texts come in the system's pairs: window with window text,
// button face with button text, highlight with highlight text.
inline constexpr Color kColorWindow = SystemColor(5);
inline constexpr Color kColorWindowText = SystemColor(8);
inline constexpr Color kColorAppWorkspace = SystemColor(12);
inline constexpr Color kColorHighlight = SystemColor(13);
inline constexpr Color kColorHighlightText = SystemColor(14);
inline constexpr Color kColorButtonFace = SystemColor(15);
inline constexpr Color kColorButtonText = SystemColor(18);
inline constexpr Color kColorBlack = Rgb(0, 0, 0);
inline constexpr Color kColorWhite = Rgb(255, 255, 255);

// The forms' face: the TrueType face with the metrics of the old bitmap
// "MS Sans Serif", which scales smoothly and which font linking extends to
// other scripts.
inline constexpr const char* kSansSerif = "Microsoft Sans Serif";

struct Font {
  std::string name = kSansSerif;
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

// Which of Shift, Ctrl and Alt are down, as Form_KeyDown receives them.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

enum class Alignment { Left, Right, Center };
enum class BackStyle { Transparent, Opaque };
enum class FormBorder { FixedSingle, FixedToolWindow, Sizable };
enum class StartUpPosition { Manual, CenterOwner, CenterScreen };

// Why a form is being unloaded, as Form_QueryUnload receives it.
inline constexpr std::int16_t kFormControlMenu = 0;  // closed from outside (close box, WM_CLOSE)
inline constexpr std::int16_t kFormCode = 1;         // Unload called by the program
inline constexpr std::int16_t kFormAppWindows = 2;   // Windows ends the session (logoff, shutdown,
                                                     // an installer's Restart Manager)

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
  // What a screen reader says for the control where its text is not
  // enough (an image): a name and a longer description; empty: the
  // system's own.
  std::string accessibleName, accessibleDescription;
  // Buttons and scroll bars take the focus in this order, lowest first;
  // equal ones (the default) in the order they were created.
  int tabIndex = 0;
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
  // A horizontal line at `twips`, keeping its ends.
  void SetLineY(double twips) { SetLine(p_.x1, twips, p_.x2, twips); }

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
  void SetAccessibleName(const std::string& text);
  void SetAccessibleDescription(const std::string& text);
  int TabIndex() const { return p_.tabIndex; }
  void SetTabIndex(int index) { p_.tabIndex = index; }
  // Buttons and scroll bars: takes the keyboard focus, when shown.
  void SetFocus();

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

}  // namespace platform
