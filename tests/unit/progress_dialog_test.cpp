// The progress dialog on the recording window system: its layout, the bar
// for every value, clamping, the icons and the reload after an unload.
#include "checkwindow/frmDialog.h"

#include <gtest/gtest.h>

#include "requirements/modCheck.h"
#include "tests/doubles/fake_os.h"

namespace {

class ProgressDialog : public ::testing::Test {
 protected:
  ~ProgressDialog() override {
    modCheck::SetProgressTarget(nullptr);
    dialog.Unload();
  }
  fakes::FakeOs os;
  frmDialog& dialog = TheDialog();

  platform::Control& Bar() { return *dialog.Bar(); }
  fakes::FakeFormWindow& Window() { return *os.forms.WindowOf(dialog); }
  int IconMessagesTo(platform::WindowHandle window) {
    int n = 0;
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "SendMessage(0x%jx, 0x80,",
                  static_cast<std::uintmax_t>(window));
    for (const std::string& call : os.windows.calls) n += call.rfind(prefix, 0) == 0;
    return n;
  }
};

TEST_F(ProgressDialog, BarWidthRoundsHalvesToEven) {
  struct Case {
    std::int16_t value;
    double width;
    const char* caption;
  };
  const Case cases[] = {
      {0, 0, "0 %"},        {1, 58, "1 %"},       {5, 288, "5 %"},     {15, 866, "15 %"},
      {33, 1904, "33 %"},   {50, 2885, "50 %"},   {55, 3174, "55 %"},  {66, 3808, "66 %"},
      {100, 5770, "100 %"}, {150, 5770, "100 %"}, {-5, 0, "0 %"},      {32767, 5770, "100 %"},
      {-32768, 0, "0 %"},   {99, 5712, "99 %"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    dialog.SetTheBar(c.value);
    EXPECT_EQ(Bar().Width(), c.width);
    EXPECT_EQ(Bar().Caption(), c.caption);
  }
}

TEST_F(ProgressDialog, ReadingAfterAClampedWriteGivesTheHeldValue) {
  dialog.SetTheBar(150);
  EXPECT_EQ(dialog.TheBar(), 100);
  dialog.SetTheBar(-5);
  EXPECT_EQ(dialog.TheBar(), 0);
}

TEST_F(ProgressDialog, ALowerMilestoneShrinksTheBar) {
  dialog.SetTheBar(40);
  ASSERT_EQ(Bar().Width(), 2308);
  dialog.SetTheBar(33);
  EXPECT_EQ(dialog.TheBar(), 33);
  EXPECT_EQ(Bar().Width(), 1904);
  EXPECT_EQ(Bar().Caption(), "33 %");
}

TEST_F(ProgressDialog, AStepPastTheEndIsHeldAt100) {
  modCheck::SetProgressTarget(&DialogProgress());
  dialog.SetTheBar(98);
  modCheck::AdvanceProgress(5);
  EXPECT_EQ(dialog.TheBar(), 100);
  EXPECT_EQ(Bar().Width(), 5770);
  EXPECT_EQ(Bar().Caption(), "100 %");
}

TEST_F(ProgressDialog, TheSameValueTwiceDrawsTheSameBar) {
  dialog.SetTheBar(66);
  const size_t before = Window().changes.size();
  const int refreshes = Window().refreshes;
  dialog.SetTheBar(66);
  EXPECT_EQ(Bar().Width(), 3808);
  EXPECT_EQ(Bar().Caption(), "66 %");
  // Nothing new for the window to change, nor to paint.
  EXPECT_EQ(Window().changes.size(), before);
  EXPECT_EQ(Window().refreshes, refreshes);
}

// The search holds the thread, so the bar paints itself: at most 25 times
// a second, and always when it reaches 100.
TEST_F(ProgressDialog, PaintsChangesAtTheEyesPaceAndAlwaysTheEnd) {
  struct Step {
    std::uint64_t at;
    std::int16_t value;
    bool painted;
  };
  const Step steps[] = {
      {1000, 1, true},    {1010, 2, false}, {1039, 3, false}, {1040, 3, false},
      {1041, 4, true},    {1050, 100, true}, {1055, 100, false}, {1060, 33, false},
      {1090, 34, true},   {5000, 34, false}, {5001, 66, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(s.at) + " ms: " + std::to_string(s.value));
    os.clock.milliseconds = s.at;
    const int before = dialog.IsLoaded() ? Window().refreshes : 0;
    dialog.SetTheBar(s.value);
    EXPECT_EQ(Window().refreshes - before, s.painted ? 1 : 0);
    EXPECT_EQ(Bar().Caption(), std::to_string(s.value) + " %") << "the model is always current";
  }
}

TEST_F(ProgressDialog, LoadsHiddenWithTheDesign) {
  dialog.Load();
  EXPECT_TRUE(dialog.IsLoaded());
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialog.Caption(), "Search in progress...");
  EXPECT_EQ(dialog.BorderStyle(), platform::FormBorder::FixedToolWindow);
  EXPECT_FALSE(dialog.ControlBox());
  EXPECT_FALSE(dialog.MinButton());
  EXPECT_FALSE(dialog.MaxButton());
  EXPECT_FALSE(dialog.ShowInTaskbar());
  EXPECT_EQ(dialog.ClientWidth(), 6030);
  EXPECT_EQ(dialog.ClientHeight(), 885);
  EXPECT_EQ(dialog.TextFont(), (platform::Font{"Microsoft Sans Serif", 9.75}));
  EXPECT_EQ(dialog.TheBar(), 0);

  struct Expected {
    platform::Control* control;
    const char* name;
    const char* caption;
    double left, top, width, height;
    platform::Font font;
  };
  const Expected controls[] = {
      // Before the first write the bar shows its design: "0", 1215 wide.
      {dialog.Bar(), "lblBlue", "0", 125, 480, 1215, 255, {"Times New Roman", 9.75}},
      {dialog.Message(), "Label1", "Please wait while the Preflect is searching...", 720, 120,
       4935, 255, {"Microsoft Sans Serif", 9.75}},
      {dialog.Frame(), "lblProgBack", "", 95, 445, 5840, 320, {platform::kSansSerif, 9.75}},
  };
  for (const Expected& e : controls) {
    SCOPED_TRACE(e.name);
    ASSERT_NE(e.control, nullptr);
    EXPECT_EQ(e.control->Name(), e.name);
    EXPECT_EQ(e.control->Kind(), platform::ControlKind::Label);
    EXPECT_EQ(e.control->Caption(), e.caption);
    EXPECT_EQ(e.control->Left(), e.left);
    EXPECT_EQ(e.control->Top(), e.top);
    EXPECT_EQ(e.control->Width(), e.width);
    EXPECT_EQ(e.control->Height(), e.height);
    EXPECT_EQ(e.control->TextFont(), e.font);
  }
  const auto& bar = dialog.Bar()->Properties();
  // Navy and white under the usual colours, the highlight pair otherwise.
  EXPECT_EQ(bar.backColor, platform::Accent(platform::Rgb(0, 0, 128), platform::kColorHighlight));
  EXPECT_EQ(bar.foreColor, platform::Accent(platform::kColorWhite, platform::kColorHighlightText));
  EXPECT_EQ(bar.alignment, platform::Alignment::Right);
  EXPECT_EQ(dialog.Message()->Properties().backStyle, platform::BackStyle::Transparent);
  const auto& frame = dialog.Frame()->Properties();
  EXPECT_EQ(frame.backColor, platform::kColorWindow);
  EXPECT_TRUE(frame.border);
  // The bar is drawn over its frame.
  const auto& order = dialog.Controls();
  EXPECT_LT(std::find(order.begin(), order.end(), dialog.Frame()),
            std::find(order.begin(), order.end(), dialog.Bar()));
}

TEST_F(ProgressDialog, CentringKeepsFractions) {
  // At 144 DPI (10 twips a pixel) the client is 603 pixels: 6030 twips; at
  // 120 DPI 503 pixels (502.5 rounded up) = 6036, so the frame sits at 98.
  struct Case {
    int dpi;
    double frameLeft;
  };
  for (const Case c : {Case{144, 95}, Case{120, 98}, Case{96, 95}}) {
    fakes::FakeOs local;
    local.forms.SetDpi(c.dpi);
    frmDialog& d = TheDialog();
    d.Load();
    EXPECT_EQ(d.Frame()->Left(), c.frameLeft) << c.dpi;
    EXPECT_EQ(d.Bar()->Left(), c.frameLeft + 30) << c.dpi;
    d.Unload();
  }
}

TEST_F(ProgressDialog, FormLoadGivesTheDialogAndItsOwnerTheIcons) {
  dialog.Load();
  const platform::WindowHandle window = dialog.hWnd();
  // No owner: the dialog is its own topmost owner and gets each icon twice.
  EXPECT_EQ(IconMessagesTo(window), 4);
  EXPECT_EQ(os.windows.IconOf(window, platform::kIconBig), os.windows.SharedIcon("AAA", 32, 32));
  EXPECT_EQ(os.windows.IconOf(window, platform::kIconSmall),
            os.windows.SharedIcon("AAA", 16, 16));
}

TEST_F(ProgressDialog, ReloadedAfterAnUnloadStartsFromZero) {
  dialog.Show();
  dialog.SetTheBar(66);
  ASSERT_TRUE(dialog.Unload());
  EXPECT_EQ(dialog.Bar(), nullptr);
  os.windows.calls.clear();
  dialog.Show();
  EXPECT_EQ(dialog.TheBar(), 0);
  EXPECT_EQ(Bar().Caption(), "0");
  EXPECT_EQ(Bar().Width(), 1215);
  EXPECT_EQ(Bar().Left(), 125);
  EXPECT_EQ(IconMessagesTo(dialog.hWnd()), 4) << "Form_Load ran again";
}

TEST_F(ProgressDialog, TheBarOfAnUnloadedDialogLoadsItHidden) {
  ASSERT_FALSE(dialog.IsLoaded());
  modCheck::SetProgressTarget(&DialogProgress());
  modCheck::AdvanceProgress(2);
  EXPECT_TRUE(dialog.IsLoaded());
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialog.TheBar(), 2);
}

TEST_F(ProgressDialog, ShownModelessAndTakesTheFocusBack) {
  dialog.Show();
  EXPECT_TRUE(Window().visible);
  const int before = Window().focusRequests;
  dialog.OnLostFocus();
  EXPECT_EQ(Window().focusRequests, before + 1);
}

}  // namespace
