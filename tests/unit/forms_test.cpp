// The form model against the recording window system: loading, control
// arrays, the twip arithmetic and the fitting loops.
#include "platform/forms.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/doubles/fake_os.h"

namespace {

using platform::Control;
using platform::ControlKind;
using platform::FitSteps;

// A small form of every kind, with a row array like the check window's.
class TestForm : public platform::Form {
 public:
  TestForm() : Form("frmTest") {}

  int builds = 0;
  std::vector<std::string> events;
  std::int16_t cancelQuery = 0;
  std::int16_t lastUnloadMode = -1;
  std::function<void()> onLoad;

  Control* label = nullptr;
  platform::ControlArray* rows = nullptr;
  platform::ControlArray* buttons = nullptr;
  Control* line = nullptr;
  Control* bar = nullptr;
  std::vector<int> changes;  // the bar's value at each Change

  using Form::SetBorderStyle;

 protected:
  void Build() override {
    ++builds;
    events.push_back("Build");
    SetCaption("Test");
    SetBorderStyle(border);
    SetDesignClientSize(6075, 3705);
    SetFormFont({"MS Sans Serif", 9.75});
    label = &AddControl(ControlKind::Label, "lblNote");
    label->SetCaption("Look below");
    label->Move(120, 960, 5895, 495);
    rows = &AddControlArray(ControlKind::Label, "lblDisplayName");
    (*rows)[0].SetCaption("File 1");
    (*rows)[0].Move(240, 2280, 3495, 495);
    (*rows)[0].SetVisible(false);
    buttons = &AddControlArray(ControlKind::Button, "cmdAcquire");
    (*buttons)[0].SetCaption("Acquire");
    (*buttons)[0].OnClick([this](int index) { Clicked(index); });
    line = &AddControl(ControlKind::Line, "Line1");
    line->SetLine(120, 1905, 5880, 1905);
    bar = &AddControl(ControlKind::VScrollBar, "vsbRows");
    bar->OnChange([this](int) { changes.push_back(bar->Value()); });
    if (withMenu) {
      AddMenu("mnuHelp", "&Help");
      AddMenu("mnuHelp_About", "&About", "mnuHelp");
    }
  }
  void Form_Load() override {
    events.push_back("Form_Load");
    if (onLoad) onLoad();
  }
  void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) override {
    events.push_back("Form_QueryUnload");
    lastUnloadMode = UnloadMode;
    Cancel = cancelQuery;
  }
  void Form_Unload(std::int16_t&) override { events.push_back("Form_Unload"); }

 public:
  platform::FormBorder border = platform::FormBorder::FixedSingle;
  bool withMenu = false;
  std::vector<int> clicks;
  bool unloadOnClick = false;

 private:
  void Clicked(int index) {
    clicks.push_back(index);
    if (unloadOnClick) Unload();
  }
};

class Forms : public ::testing::Test {
 protected:
  fakes::FakeOs os;
  TestForm form;
  fakes::FakeFormWindow& Window() { return *os.forms.WindowOf(form); }
};

TEST(TwipsToPixels, RoundsHalvesAwayFromZero) {
  struct Case {
    double twips, perPixel;
    int pixels;
  };
  const Case cases[] = {
      {0, 15, 0},       {95, 15, 6},       {125, 15, 8},      {97.5, 15, 7},
      {112.5, 15, 8},   {-112.5, 15, -8},  {5840, 15, 389},   {5770, 15, 385},
      {6030, 15, 402},  {1904, 15, 127},   {6030, 12, 503},   {7.4999, 15, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.twips) + " at " + std::to_string(c.perPixel));
    EXPECT_EQ(platform::TwipsToPixels(c.twips, c.perPixel), c.pixels);
  }
}

// The worked-out fit against the one-twip loop it replaces, for the check
// window's row counts (4500 twips, then the rows' foot plus 25), its
// "Continue" layout, the About box's width, menus or none, four DPIs and a
// screen that cannot hold the window.
TEST(FitOuterSize, EndsWhereTheOneTwipLoopEnds) {
  const auto literal = [](double size, double target, int frame, double perPixel, double cap,
                          platform::FitSteps steps) {
    const auto client = [&] {
      return std::max(0, platform::TwipsToPixels(size, perPixel) - frame) * perPixel;
    };
    if (steps == platform::FitSteps::AtLeastOne) size += 1;
    while (client() < target && size < cap) size += 1;
    return size;
  };
  std::vector<std::pair<double, double>> starts;  // start, target
  for (int rows : {1, 2, 3, 9, 35, 36, 40, 1000})
    starts.emplace_back(4500, 1920 + 360 + rows * 855.0 - 285 + 15 + 50 + 615 + 25);
  starts.insert(starts.end(), {{1595, 1595}, {1000, 1595.5}, {7620, 7620}, {0, 0}, {30, 29.9}});
  for (const auto& [start, target] : starts)
    for (const int frame : {8, 27, 46})  // tool window; caption; caption and menu bar
      for (const double perPixel : {15.0, 12.0, 10.0, 7.5})
        for (const double cap : {11520.0, 8000.0, 4500.5, 100.0})
          for (const auto steps : {platform::FitSteps::WhileShort, platform::FitSteps::AtLeastOne}) {
            SCOPED_TRACE(std::to_string(start) + " to " + std::to_string(target) + ", frame " +
                         std::to_string(frame) + ", " + std::to_string(perPixel) + " a pixel, cap " +
                         std::to_string(cap));
            EXPECT_EQ(platform::FitOuterSize(start, target, frame, perPixel, cap, steps),
                      literal(start, target, frame, perPixel, cap, steps));
          }
}

TEST_F(Forms, LoadBuildsTheDesignThenRunsFormLoadHidden) {
  form.Load();
  EXPECT_EQ(form.events, (std::vector<std::string>{"Build", "Form_Load"}));
  ASSERT_TRUE(form.IsLoaded());
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(Window().visible);
  EXPECT_EQ(form.hWnd(), Window().handle);
  EXPECT_EQ(platform::LoadedForms(), std::vector<platform::Form*>{&form});
  // Every control reached the window, menus aside.
  EXPECT_EQ(Window().created.size(), 5u);
}

TEST_F(Forms, LoadingTwiceChangesNothing) {
  form.Load();
  form.Load();
  EXPECT_EQ(form.builds, 1);
  EXPECT_EQ(os.forms.windowsCreated, 1);
}

TEST_F(Forms, OuterSizeIsTheClientSizeInPixelsPlusTheFrame) {
  struct Case {
    platform::FormBorder border;
    bool menu;
    double width, height;  // 6075 x 3705 twips = 405 x 247 pixels
  };
  const Case cases[] = {
      {platform::FormBorder::FixedSingle, false, (405 + 6) * 15.0, (247 + 25) * 15.0},
      {platform::FormBorder::FixedSingle, true, (405 + 6) * 15.0, (247 + 25 + 19) * 15.0},
      {platform::FormBorder::FixedToolWindow, false, (405 + 6) * 15.0, (247 + 21) * 15.0},
  };
  for (const Case& c : cases) {
    TestForm f;
    f.border = c.border;
    f.withMenu = c.menu;
    f.Load();
    EXPECT_EQ(f.Width(), c.width);
    EXPECT_EQ(f.Height(), c.height);
    EXPECT_EQ(f.ClientWidth(), 6075);
    EXPECT_EQ(f.ClientHeight(), 3705);
    f.Unload();
  }
}

TEST_F(Forms, ClientSizeFollowsWholePixelsOfTheOuterSize) {
  form.Load();
  // 25 pixels of frame: 4499 twips is 299.93 -> 300 pixels, client 275.
  struct Case {
    double height, client;
  };
  const Case cases[] = {{4499, 275 * 15.0}, {4507, 275 * 15.0}, {4508, 276 * 15.0},
                        {375, 0}, {0, 0}};
  for (const Case& c : cases) {
    form.SetHeight(c.height);
    EXPECT_EQ(form.ClientHeight(), c.client) << c.height;
    EXPECT_EQ(form.Height(), c.height) << "the model keeps what was set";
  }
}

TEST_F(Forms, ClientSizeAtAnotherDpi) {
  os.forms.SetDpi(120);  // 12 twips a pixel
  form.Load();
  EXPECT_EQ(form.ClientWidth(), 506 * 12.0);  // 6075 / 12 = 506.25 -> 506
  EXPECT_EQ(form.ClientHeight(), 309 * 12.0);  // 3705 / 12 = 308.75 -> 309
}

TEST_F(Forms, FitLoopsGrowOneTwipAtATime) {
  struct Case {
    const char* name;
    double start, target;
    FitSteps steps;
    double height;
    bool reached;
  };
  // Frame 25 pixels. A client of 4410 twips = 294 pixels needs 319 pixels
  // outside, which 4778 twips (318.53) is the first to round to.
  const Case cases[] = {
      {"grows to the first height that reaches", 4500, 4410, FitSteps::WhileShort, 4778, true},
      {"at least once grows from there too", 4500, 4410, FitSteps::AtLeastOne, 4778, true},
      {"already tall enough stays", 5000, 4410, FitSteps::WhileShort, 5000, true},
      {"already tall enough still takes a step", 5000, 4410, FitSteps::AtLeastOne, 5001, true},
      {"a target the screen cannot hold stops at the working area", 4500, 20000,
       FitSteps::WhileShort, 738 * 15.0, false},
      {"at the working area already", 738 * 15.0, 20000, FitSteps::AtLeastOne, 738 * 15.0 + 1,
       false},
  };
  form.Load();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.SetHeight(c.start);
    EXPECT_EQ(platform::GrowHeightUntil(form, c.target, c.steps), c.reached);
    EXPECT_EQ(form.Height(), c.height);
  }
}

TEST_F(Forms, WidthFitStopsAtTheWorkingAreaToo) {
  form.Load();
  form.SetWidth(7619);
  EXPECT_TRUE(platform::GrowWidthUntil(form, 7619, FitSteps::AtLeastOne));
  // 7619 + 6 frame pixels = 514 pixels: 7703 twips is 513.53.
  EXPECT_EQ(form.Width(), 7703);
  EXPECT_FALSE(platform::GrowWidthUntil(form, 1e6, FitSteps::WhileShort));
  EXPECT_EQ(form.Width(), 1024 * 15.0);
}

TEST_F(Forms, AFitMovesTheWindowOnceToTheSmallestSize) {
  form.Load();
  form.SetHeight(4500);
  const size_t before = Window().formChanges.size();
  EXPECT_TRUE(platform::GrowHeightUntil(form, 4410, FitSteps::WhileShort));
  EXPECT_EQ(Window().formChanges.size() - before, 1u);
  EXPECT_GE(form.ClientHeight(), 4410);
  // One twip less would not have held the target.
  EXPECT_LT(form.ClientHeightFor(form.Height() - 1), 4410);
  EXPECT_EQ(form.Height(), 4500 + 278);
}

TEST_F(Forms, CentredInTheWorkingAreaWhenAsked) {
  class Centred : public platform::Form {
   public:
    Centred() : Form("frmCentred") {}
    void Build() override {
      SetBorderStyle(platform::FormBorder::FixedToolWindow);
      SetStartUpPosition(platform::StartUpPosition::CenterScreen);
      SetDesignClientSize(6030, 885);
    }
  } centred;
  centred.Load();
  // 408 x 80 pixels in 1024 x 738: fractions kept.
  EXPECT_EQ(centred.Left(), (1024 * 15.0 - 408 * 15.0) / 2);
  EXPECT_EQ(centred.Top(), (738 * 15.0 - 80 * 15.0) / 2);
}

TEST_F(Forms, ArrayMembersAreHiddenCopiesOfMemberZero) {
  form.Load();
  Control& first = (*form.rows)[0];
  first.SetFont({"Arial", 12, true});
  first.SetVisible(true);
  Control& second = form.rows->Load(1);
  EXPECT_EQ(second.Index(), 1);
  EXPECT_EQ(second.Name(), "lblDisplayName");
  EXPECT_EQ(second.Caption(), "File 1");
  EXPECT_EQ(second.Left(), 240);
  EXPECT_EQ(second.Top(), 2280);
  EXPECT_EQ(second.Width(), 3495);
  EXPECT_EQ(second.TextFont(), (platform::Font{"Arial", 12, true}));
  EXPECT_FALSE(second.Visible());
  EXPECT_NE(second.Id(), first.Id());
  EXPECT_EQ(Window().created.back(), &second);
  EXPECT_EQ(form.rows->UBound(), 1);
  EXPECT_EQ(form.rows->Count(), 2);
  // A copy, not a view: changing one leaves the other.
  second.SetCaption("File 2");
  EXPECT_EQ(first.Caption(), "File 1");
}

TEST_F(Forms, NewArrayMembersShareMemberZerosHandlers) {
  form.Load();
  Control& acquire = form.buttons->Load(3);
  form.OnClicked(acquire);
  form.OnClicked((*form.buttons)[0]);
  EXPECT_EQ(form.clicks, (std::vector<int>{3, 0}));
}

TEST_F(Forms, ScrollBarsKeepTheirValueInRange) {
  form.Load();
  Control& bar = *form.bar;
  bar.SetRange(0, 31);
  bar.SetChanges(0, 9);
  EXPECT_EQ(bar.SmallChange(), 1);
  EXPECT_EQ(bar.LargeChange(), 9);
  struct Case {
    int moveTo;
    int value;
  };
  // Only the user's moves that change the value raise Change.
  for (const Case& c : {Case{5, 5}, Case{5, 5}, Case{40, 31}, Case{-3, 0}, Case{0, 0}}) {
    form.OnScrolled(bar, c.moveTo);
    EXPECT_EQ(bar.Value(), c.value) << c.moveTo;
  }
  EXPECT_EQ(form.changes, (std::vector<int>{5, 31, 0}));

  bar.SetValue(20);
  bar.SetRange(0, 6);  // a shorter range takes the value with it
  EXPECT_EQ(bar.Value(), 6);
  bar.SetRange(4, 2);
  EXPECT_EQ(bar.Max(), 4);
  EXPECT_EQ(bar.Value(), 4);
  EXPECT_EQ(form.changes.size(), 3u);  // code never raises it
}

TEST_F(Forms, ArrayMisuseIsRefused) {
  form.Load();
  form.rows->Load(1);
  EXPECT_THROW((*form.rows)[2], std::out_of_range);
  EXPECT_THROW(form.rows->Load(1), std::invalid_argument);
  EXPECT_THROW(form.rows->Load(0), std::invalid_argument);
  EXPECT_THROW(form.rows->Unload(0), std::invalid_argument);
  form.rows->Unload(1);
  EXPECT_FALSE(form.rows->Exists(1));
  ASSERT_EQ(Window().destroyed.size(), 1u);
}

TEST_F(Forms, ReloadStartsFromTheDesignAgain) {
  form.Load();
  form.rows->Load(1);
  form.label->SetCaption("changed");
  ASSERT_TRUE(form.Unload());
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_TRUE(platform::LoadedForms().empty());
  EXPECT_EQ(os.forms.windowsDestroyed, 1);
  form.Load();
  EXPECT_EQ(form.builds, 2);
  EXPECT_EQ(form.label->Caption(), "Look below");
  EXPECT_FALSE(form.rows->Exists(1));
}

TEST_F(Forms, QueryUnloadCanKeepTheFormLoaded) {
  form.Load();
  form.cancelQuery = 1;
  EXPECT_FALSE(form.Unload());
  EXPECT_TRUE(form.IsLoaded());
  form.cancelQuery = 0;
  form.OnCloseRequested(platform::kFormControlMenu);
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_EQ(form.lastUnloadMode, platform::kFormControlMenu);
  EXPECT_EQ(form.events.back(), "Form_Unload");
}

TEST_F(Forms, UnloadingFromItsOwnClickHandlerIsSafe) {
  form.Load();
  form.unloadOnClick = true;
  Control& acquire = form.buttons->Load(2);
  form.OnClicked(acquire);  // the control is gone when the handler returns
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_EQ(form.clicks, std::vector<int>{2});
}

TEST_F(Forms, ChangesReachTheWindowOnlyWhileLoaded) {
  form.Load();
  form.label->SetCaption("x");
  ASSERT_FALSE(Window().changes.empty());
  EXPECT_EQ(Window().changes.back().control, form.label);
  EXPECT_EQ(Window().changes.back().aspects, platform::kAspectText);
  form.label->SetLeft(300.5);
  EXPECT_EQ(Window().changes.back().aspects, platform::kAspectGeometry);
  EXPECT_EQ(form.label->Left(), 300.5) << "fractions are kept";
}

TEST_F(Forms, ShowLoadsFirstAndHideKeepsItLoaded) {
  form.Show();
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(Window().visible);
  form.Hide();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(form.IsLoaded());
}

TEST_F(Forms, ZOrderPutsAControlInFrontOrBehind) {
  form.Load();
  form.label->ZOrder(0);
  EXPECT_EQ(form.Controls().back(), form.label);
  form.label->ZOrder(1);
  EXPECT_EQ(form.Controls().front(), form.label);
  EXPECT_GE(Window().zOrderChanges, 2);
}

TEST_F(Forms, MenusChangeTheFrame) {
  form.withMenu = true;
  form.Load();
  const double client = form.ClientHeight();
  form.ControlByName("mnuHelp")->SetVisible(false);
  EXPECT_EQ(form.ClientHeight(), client + 19 * 15);
}

TEST_F(Forms, WithoutAWindowSystemLoadingFails) {
  platform::Services none = platform::Os();
  none.forms = nullptr;
  platform::Install(none);
  EXPECT_THROW(form.Load(), std::logic_error);
  EXPECT_FALSE(form.IsLoaded());
}

TEST_F(Forms, PlacementFromOutsideKeepsMatchingFractions) {
  form.Load();
  form.Move(100.4, 200.6, 6000, 4000);
  // 100.4 -> 7 pixels and 6000 -> 400 still match: kept as set.
  form.OnPlaced(7, 20, 400, 250);
  EXPECT_EQ(form.Left(), 100.4);
  EXPECT_EQ(form.Top(), 300);
  EXPECT_EQ(form.Width(), 6000);
  EXPECT_EQ(form.Height(), 3750);
}

TEST_F(Forms, DiscardedWhenTheWindowSystemGoesAway) {
  auto host = std::make_unique<fakes::FakeOs>();
  TestForm other;
  other.Load();
  host.reset();
  EXPECT_FALSE(other.IsLoaded());
  EXPECT_EQ(std::count(other.events.begin(), other.events.end(), "Form_Unload"), 0);
}

}  // namespace
