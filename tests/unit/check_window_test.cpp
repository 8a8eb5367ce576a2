// The check window on the model: a test from load to the rows on screen,
// the "Continue" state, retests, the missing-file question and remedies.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "about/frmAbout.h"
#include "checkwindow/DateStamp.h"
#include "checkwindow/ShellLaunch.h"
#include "checkwindow/frmDialog.h"
#include "checkwindow/frmSystemCheck.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "tests/doubles/fake_os.h"

namespace {

using fakes::Points;
using platform::Control;

const std::string kFolder = "C:\\Program Files\\Zantrix\\Preflect";
const std::string kStampKey = "Software\\VB and VBA Program Settings\\zantrix\\Settings";

std::string Product(const std::string& name, bool present, const std::string& source = "pkg",
                    const std::string& location = "%ZANTRIXDIR%\\Setup.exe",
                    const std::string& sha256 = "") {
  return "<product name=\"" + name + "\"><fileEntry name=\"" + (present ? "have" : "lack") +
         ".dll\" dir=\"%ZANTRIXDIR%\\\"/><remedy source=\"" + source + "\" location=\"" +
         location + "\"" + (sha256.empty() ? "" : " sha256=\"" + sha256 + "\"") + "/></product>\n";
}

struct CheckWindow : ::testing::Test {
  fakes::FakeOs os;
  frmSystemCheck& form = TheSystemCheck();

  CheckWindow() {
    os.app.folder = kFolder;
    os.files.AddFile(kFolder + "\\have.dll", "MZ");
    modCheck::ProgramFolder = kFolder + "\\";
  }
  ~CheckWindow() override {
    for (platform::Form* f : platform::LoadedForms()) f->Unload();
  }
  void Specs(const std::string& products) {
    os.files.AddFile(kFolder + "\\filespecs.xml", "<systemSearch>\n" + products + "</systemSearch>");
  }
  Control& Named(const char* name) { return *form.ControlByName(name); }
  Control& Row(const char* array, int i) { return (*form.ArrayByName(array))[i]; }
  void Click(Control& c) { form.OnClicked(c); }
  std::optional<fakes::FakeRegistry::Value> Stamp() {
    return os.registry.Get(platform::kHkeyCurrentUser, kStampKey, "syscheck");
  }
};

// A close that waited in the queue while the test ran ends the checker;
// the end of the test must not load the window again.
TEST_F(CheckWindow, ClosedWhileMessagesRunStaysClosed) {
  Specs(Product("Alpha", true) + Product("Beta", false));
  form.Load();
  os.forms.whileDoingEvents = [&] { form.OnCloseRequested(platform::kFormControlMenu); };
  Click(Named("cmdPerform"));
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_TRUE(platform::LoadedForms().empty());
}

// Each row explains itself to the mouse and to screen readers; Acquire
// also says what it opens; Ctrl+C copies the whole report.
TEST_F(CheckWindow, RowsExplainThemselvesAndCtrlCCopiesTheReport) {
  Specs(Product("Alpha", true) +
        Product("Beta", false, "web", "http://www.zantrix.example/beta.htm") +
        Product("Gamma", false));
  form.SetDataFolder("C:\\ProgramData\\Zantrix Software\\Q\\");
  form.Load();
  struct RowCase {
    int index;
    std::string state;  // the icon's accessible name
    std::string why, action;
  };
  const RowCase rows[] = {
      {0, "Found: Alpha", "Found: " + kFolder + "\\have.dll is there; no version is required.", ""},
      {1, "Missing: Beta", "Missing: " + kFolder + "\\lack.dll does not exist.",
       "Acquire opens http://www.zantrix.example/beta.htm in your web browser."},
      {2, "Missing: Gamma", "Missing: " + kFolder + "\\lack.dll does not exist.",
       "Acquire runs " + kFolder + "\\Setup.exe."},
  };
  for (const RowCase& r : rows) {
    SCOPED_TRACE(r.index);
    EXPECT_EQ(Row("lblDisplayName", r.index).Properties().toolTipText, r.why);
    const auto& icon = Row("imgCheck", r.index).Properties();
    EXPECT_EQ(icon.toolTipText, r.why);
    EXPECT_EQ(icon.accessibleName, r.state);
    EXPECT_EQ(icon.accessibleDescription, r.why);
    if (!r.action.empty()) {
      // The caption stays "Acquire"; a screen reader hears which product.
      const auto& acquire = Row("cmdAcquire", r.index).Properties();
      EXPECT_EQ(acquire.caption, "Acquire");
      EXPECT_EQ(acquire.accessibleName, "Acquire " + r.state.substr(9));
      EXPECT_EQ(acquire.accessibleDescription, r.why + "\r\n" + r.action);
      EXPECT_EQ(acquire.toolTipText, r.why + "\r\n" + r.action + "\r\n" + frmSystemCheck::kCopyHint);
    }
  }
  EXPECT_EQ(Named("Label1").Properties().toolTipText, frmSystemCheck::kCopyHint);

  // The main button has the focus; Tab goes down the Acquire buttons, then
  // to it, and round.
  EXPECT_EQ(os.forms.WindowOf(form)->focused, &Named("cmdPerform"));
  Control* at = &Named("cmdPerform");
  std::vector<const Control*> order;
  for (int i = 0; i < 3; ++i) order.push_back(at = form.NextTabStop(at, true));
  EXPECT_EQ(order, (std::vector<const Control*>{&Row("cmdAcquire", 1), &Row("cmdAcquire", 2),
                                               &Named("cmdPerform")}));
  EXPECT_EQ(form.NextTabStop(&Row("cmdAcquire", 1), false), &Named("cmdPerform"));

  int key = 'C';
  EXPECT_TRUE(form.OnKeyDown(key, platform::kCtrlMask));
  EXPECT_FALSE(form.OnKeyDown('C', 0)) << "a plain C is the focused control's";
  EXPECT_EQ(os.clipboard.text,
            "Zantrix Preflect 7.0 Build 12\r\n"
            "Checked on: 2026-12-08 14:05:09\r\n"
            "Program folder: " + kFolder + "\r\n"
            "Data folder: C:\\ProgramData\\Zantrix Software\\Q\\\r\n\r\n"
            "Alpha - " + rows[0].why + "\r\n"
            "Beta - " + rows[1].why + "\r\n"
            "Gamma - " + rows[2].why + "\r\n");
}

TEST_F(CheckWindow, TwoRowsOneMissing) {
  Specs(Product("Alpha", true) + Product("Beta", false));
  form.Load();
  ASSERT_TRUE(form.Visible());
  EXPECT_FALSE(TheDialog().IsLoaded());
  EXPECT_EQ(form.Caption(), "Zantrix Preflect");

  struct RowCase {
    int index;
    double top;
    const char* picture;
    bool acquire;
  };
  for (const RowCase& r : {RowCase{0, 2280, "FOUND", false}, RowCase{1, 3135, "MISSING", true}}) {
    SCOPED_TRACE(r.index);
    EXPECT_EQ(Row("lblDisplayName", r.index).Top(), r.top);
    EXPECT_EQ(Row("lblDisplayName", r.index).Left(), 220);
    EXPECT_EQ(Row("imgCheck", r.index).Top(), r.top - 75);
    EXPECT_EQ(Row("imgCheck", r.index).Left(), 4080);
    EXPECT_EQ(Row("imgCheck", r.index).Picture(), r.picture);
    EXPECT_EQ(Row("cmdAcquire", r.index).Visible(), r.acquire);
    EXPECT_EQ(Row("cmdAcquire", r.index).Left(), 4800);
  }
  EXPECT_EQ(Row("lblDisplayName", 1).Caption(), "Beta");
  EXPECT_EQ(Named("Line3").Y1(), 3705);
  EXPECT_EQ(Named("Line3").Y2(), 3705);
  EXPECT_EQ(Named("Line4").Y1(), 3720);
  Control& perform = Named("cmdPerform");
  EXPECT_EQ(perform.Top(), 3770);
  EXPECT_EQ(perform.Left(), form.ClientWidth() / 2 - 975 / 2.0);
  EXPECT_EQ(perform.Caption(), "Perform Retest");
  // The smallest height whose client area holds the button and 25 twips.
  EXPECT_GE(form.ClientHeight(), 4410);
  EXPECT_LT(form.ClientHeight(), 4410 + 15);
  EXPECT_EQ(Named("lblNote").Caption(),
            "Look below for the search results!  You are missing 1 required components.");
  const auto screen = platform::Screen();
  EXPECT_EQ(form.Left(), (screen.width - form.Width()) / 2);
  EXPECT_EQ(form.Top(), (screen.height - form.Height()) / 2);
  EXPECT_FALSE(Stamp());
  EXPECT_EQ(os.forms.doEvents, 1);
}

TEST_F(CheckWindow, NoProductsMeansContinue) {
  for (const std::string& specs : {std::string(), std::string("<product></product>")}) {
    SCOPED_TRACE(specs);
    Specs(specs);
    form.Load();
    EXPECT_EQ(Named("Label1").Caption(),
              "All required components found.  Click continue to load the simulator.");
    EXPECT_EQ(Named("cmdPerform").Caption(), "Continue");
    EXPECT_EQ(Named("cmdPerform").Top(), 930);
    for (const char* hidden : {"Label2", "Label3", "lblNote", "Line1", "Line2"})
      EXPECT_FALSE(Named(hidden).Visible()) << hidden;
    EXPECT_FALSE(Row("imgValid", 0).Visible());
    EXPECT_FALSE(Row("imgValid", 1).Visible());
    EXPECT_GE(form.ClientHeight(), 930 + 615 + 50);
    const auto stamp = Stamp();
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->type, platform::kRegSz);
    EXPECT_EQ(stamp->bytes, std::string("12/08/2026\0", 11));
    form.Unload();
  }
}

TEST_F(CheckWindow, ContinueStartsTheSimulatorInAnyCase) {
  Specs("");
  form.Load();
  for (const char* caption : {"Continue", "CONTINUE", "continue"}) {
    if (!form.IsLoaded()) form.Load();
    os.shell.calls.clear();
    Named("cmdPerform").SetCaption(caption);
    Click(Named("cmdPerform"));
    ASSERT_EQ(os.shell.calls.size(), 1u) << caption;
    EXPECT_EQ(os.shell.calls[0].file, kFolder + "\\Zantrix_Quillon.exe");
    EXPECT_EQ(os.shell.calls[0].directory, kFolder);
    EXPECT_EQ(os.shell.calls[0].show, platform::kSwShowDefault);
    EXPECT_FALSE(form.IsLoaded());
  }
  // Any other caption runs a test instead.
  form.Load();
  os.shell.calls.clear();
  Named("cmdPerform").SetCaption("Continue now");
  Click(Named("cmdPerform"));
  EXPECT_TRUE(os.shell.calls.empty());
  EXPECT_EQ(Named("cmdPerform").Caption(), "Continue");
}

TEST_F(CheckWindow, RetestsReuseRowsAndHideLeftovers) {
  Specs(Product("A", false) + Product("B", true) + Product("C", false));
  form.Load();
  EXPECT_EQ(form.ArrayByName("lblDisplayName")->Count(), 3);
  Row("cmdAcquire", 0).SetEnabled(false);
  Click(Named("cmdPerform"));
  EXPECT_EQ(form.ArrayByName("lblDisplayName")->Count(), 3);
  EXPECT_TRUE(Row("cmdAcquire", 0).Enabled());

  Specs(Product("Only", false));
  Click(Named("cmdPerform"));
  EXPECT_TRUE(Row("lblDisplayName", 0).Visible());
  for (int i : {1, 2}) {
    EXPECT_FALSE(Row("lblDisplayName", i).Visible()) << i;
    EXPECT_FALSE(Row("imgCheck", i).Visible()) << i;
    EXPECT_FALSE(Row("cmdAcquire", i).Visible()) << i;
  }
  EXPECT_EQ(Named("cmdPerform").Top(), 2280 + 855 - 285 + 15 + 50);
}

// Rows the working area cannot hold: 738 pixels of 768 on the fake screen,
// so a client area of 694 pixels (10410 twips) and room for nine rows.
struct LongList : CheckWindow {
  static constexpr int kRows = 40;
  static std::string Products(int rows, bool allFound = false) {
    std::string specs;
    for (int i = 0; i < rows; ++i)
      specs += Product("Product " + std::to_string(i), allFound || i % 2 == 0, "pkg",
                       "%ZANTRIXDIR%\\Setup" + std::to_string(i) + ".exe");
    return specs;
  }
  Control& Bar() { return Named("vsbRows"); }
  std::vector<int> VisibleRows() {
    std::vector<int> rows;
    for (int i = 0; form.ArrayByName("lblDisplayName")->Exists(i); ++i)
      if (Row("lblDisplayName", i).Visible()) rows.push_back(i);
    return rows;
  }
  std::vector<int> Range(int first, int last) {
    std::vector<int> rows;
    for (int i = first; i <= last; ++i) rows.push_back(i);
    return rows;
  }
  void ExpectRowsFrom(int first) {
    EXPECT_EQ(VisibleRows(), Range(first, first + 8));
    for (int i = first; i <= first + 8; ++i) {
      SCOPED_TRACE(i);
      const double top = 2280 + (i - first) * 855;
      EXPECT_EQ(Row("lblDisplayName", i).Top(), top);
      EXPECT_EQ(Row("imgCheck", i).Top(), top - 75);
      EXPECT_EQ(Row("imgCheck", i).Visible(), true);
      EXPECT_EQ(Row("cmdAcquire", i).Top(), top);
      EXPECT_EQ(Row("cmdAcquire", i).Visible(), i % 2 == 1);
    }
  }
};

TEST_F(LongList, WindowStopsAtTheWorkingAreaAndTheRowsScroll) {
  Specs(Products(kRows));
  form.Load();
  const auto screen = platform::Screen();
  EXPECT_EQ(form.Height(), screen.workHeight);
  EXPECT_GE(form.Top(), screen.workTop);
  EXPECT_LE(form.Top() + form.Height(), screen.workTop + screen.workHeight);
  EXPECT_EQ(form.ClientHeight(), 10410);

  // The main button and the separator stay at the foot of the window.
  Control& perform = Named("cmdPerform");
  EXPECT_EQ(perform.Top(), 10410 - 25 - 615);
  EXPECT_EQ(perform.Caption(), "Perform Retest");
  EXPECT_EQ(Named("Line4").Y1(), perform.Top() - 50);
  EXPECT_EQ(Named("Line3").Y1(), perform.Top() - 65);
  EXPECT_EQ(perform.Left(), form.ClientWidth() / 2 - 975 / 2.0);

  // The bar stands right of the rows, between the separators; the window
  // and the header grew by its width.
  Control& bar = Bar();
  EXPECT_TRUE(bar.Visible());
  EXPECT_EQ(bar.Left(), 6075);
  EXPECT_EQ(bar.Width(), 255);
  EXPECT_EQ(form.ClientWidth(), 6075 + 255);
  EXPECT_EQ(Named("Shape1").Width(), 6080 + 255);
  EXPECT_EQ(Named("Line5").X2(), 6120 + 255);
  EXPECT_GT(bar.Top(), Named("Line2").Y1());
  EXPECT_LT(bar.Top() + bar.Height(), Named("Line3").Y1());
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), kRows - 9);
  EXPECT_EQ(bar.LargeChange(), 9);
  EXPECT_EQ(bar.SmallChange(), 1);

  ExpectRowsFrom(0);
  // Rows below keep the places the layout gave them, past 16 bits.
  EXPECT_EQ(Row("lblDisplayName", kRows - 1).Top(), 2280 + (kRows - 1) * 855);
  EXPECT_GT(Row("lblDisplayName", kRows - 1).Top(), 32767);

  for (int value : {1, 20, kRows - 9, 3}) {
    SCOPED_TRACE(value);
    form.OnScrolled(bar, value);
    ExpectRowsFrom(value);
  }
  form.OnScrolled(bar, 1000);
  EXPECT_EQ(bar.Value(), kRows - 9);
  ExpectRowsFrom(kRows - 9);

  // The last row's remedy can be reached.
  os.messageBoxes.answers = {platform::kIdYes};
  Click(Row("cmdAcquire", kRows - 1));
  ASSERT_EQ(os.shell.calls.size(), 1u);
  EXPECT_EQ(os.shell.calls[0].file, kFolder + "\\Setup39.exe");
}

TEST_F(LongList, RetestsKeepThePlaceOrGoBackToTheFittedLayout) {
  Specs(Product("Alpha", true) + Product("Beta", false));
  form.Load();
  const double fittedWidth = form.Width(), fittedHeight = form.Height();

  Specs(Products(kRows));
  Click(Named("cmdPerform"));
  form.OnScrolled(Bar(), 12);
  Click(Named("cmdPerform"));
  EXPECT_EQ(Bar().Value(), 12);
  ExpectRowsFrom(12);
  EXPECT_EQ(form.Width(), fittedWidth + 255);
  // Fewer rows than the place: the last page.
  Specs(Products(15));
  Click(Named("cmdPerform"));
  EXPECT_EQ(Bar().Value(), 6);
  ExpectRowsFrom(6);

  // Rows that fit: exactly the layout of a first test.
  Specs(Product("Alpha", true) + Product("Beta", false));
  Click(Named("cmdPerform"));
  EXPECT_FALSE(Bar().Visible());
  EXPECT_EQ(form.Width(), fittedWidth);
  EXPECT_EQ(form.Height(), fittedHeight);
  EXPECT_EQ(form.ClientWidth(), 6075);
  EXPECT_EQ(Named("Shape1").Width(), 6080);
  EXPECT_EQ(Named("Line6").X2(), 6120);
  EXPECT_EQ(Row("lblDisplayName", 0).Top(), 2280);
  EXPECT_EQ(Row("lblDisplayName", 1).Top(), 3135);
  EXPECT_EQ(Named("Line3").Y1(), 3705);
  EXPECT_EQ(Named("cmdPerform").Top(), 3770);
  EXPECT_EQ(VisibleRows(), Range(0, 1));
  const auto screen = platform::Screen();
  EXPECT_EQ(form.Top(), (screen.height - form.Height()) / 2);

  // All found: the short "Continue" window, no bar.
  Specs(Products(kRows, true));
  Click(Named("cmdPerform"));
  EXPECT_EQ(Named("cmdPerform").Caption(), "Continue");
  EXPECT_EQ(Named("cmdPerform").Top(), 930);
  EXPECT_FALSE(Bar().Visible());
  EXPECT_EQ(form.Width(), fittedWidth);
}

TEST_F(CheckWindow, MissingFileQuestion) {
  // No: the window comes back as it was, uncentred, ready to test again.
  os.messageBoxes.answers = {platform::kIdOk, platform::kIdNo};
  form.Load();
  ASSERT_EQ(os.messageBoxes.shown.size(), 2u);
  EXPECT_EQ(os.messageBoxes.shown[0].title, "Error");
  const auto& question = os.messageBoxes.shown[1];
  EXPECT_EQ(question.text, frmSystemCheck::kMissingFileQuestion);
  EXPECT_EQ(question.title, "Error");
  EXPECT_EQ(question.style, platform::kMbYesNo);
  EXPECT_TRUE(form.Visible());
  EXPECT_FALSE(TheDialog().IsLoaded());
  EXPECT_EQ(Named("cmdPerform").Caption(), "Perform Test");
  EXPECT_EQ(Named("cmdPerform").Left(), 2640) << "English moves nothing";
  EXPECT_EQ(form.Left(), 0);
  EXPECT_TRUE(os.shell.calls.empty());
  EXPECT_FALSE(Stamp());
  form.Unload();

  // Yes: stamp, simulator, and the checker ends without showing a window.
  os.messageBoxes.answers = {platform::kIdOk, platform::kIdYes};
  os.files.AddFile(kFolder + "\\Demo Zantrix_Quillon.exe", "MZ");
  form.Load();
  EXPECT_TRUE(Stamp());
  ASSERT_EQ(os.shell.calls.size(), 1u);
  EXPECT_EQ(os.shell.calls[0].file, kFolder + "\\Demo Zantrix_Quillon.exe");
  EXPECT_TRUE(platform::LoadedForms().empty());
}

TEST_F(CheckWindow, AcquireAsksByRemedyKind) {
  // A pinned installer is started only when its bytes are the ones pinned.
  os.files.AddFile(kFolder + "\\Setup.exe", "MZ the vendor's installer");
  platform::Sha256Digest digest{};
  os.hasher.Sha256(kFolder + "\\Setup.exe", digest);
  const std::string pin = modCheck::Sha256Text(digest), other(64, 'a');
  os.hasher.calls = 0;
  Specs(Product("Web", false, "web", "http://www.zantrix.example/x") +
        Product("Case", false, "Web", "%ZANTRIXDIR%\\Setup.exe") +
        Product("Pinned", false, "pkg", "%ZANTRIXDIR%\\Setup.exe", pin) +
        Product("Swapped", false, "pkg", "%ZANTRIXDIR%\\Setup.exe", other) +
        Product("Gone", false, "pkg", "%ZANTRIXDIR%\\Gone.exe", pin) +
        Product("Web pin", false, "web", "http://www.zantrix.example/y", other) +
        Product("Relative", false, "pkg", "Installers\\Setup.exe", pin) +
        Product("Folder", false, "pkg", "%ZANTRIXDIR%\\Installers", pin) +
        Product("Device", false, "pkg", "%ZANTRIXDIR%\\COM1") +
        Product("Share", false, "pkg", "\\\\server\\share\\Setup.exe"));
  os.files.AddFile(kFolder + "\\Installers\\Setup.exe", "MZ the vendor's installer");
  os.files.AddDevice(kFolder + "\\COM1");
  os.files.AddFile("\\\\server\\share\\Setup.exe", "MZ");
  form.Load();
  EXPECT_EQ(os.hasher.calls, 0) << "nothing is hashed before the user's Yes";
  struct Case {
    int row;
    int answer;
    const char* question;
    const char* opened;
    const char* refusal = nullptr;  // the box that says it was not started
  };
  const Case cases[] = {
      {0, platform::kIdNo,
       "We need to go out to the internet to complete your request.  Your default web browser "
       "will open and be directed to the Vendor's address so that you can acquire the necessary "
       "files that you need.\r\nIs this ok?",
       nullptr},
      {0, platform::kIdYes, nullptr, "http://www.zantrix.example/x"},
      {1, platform::kIdYes,
       "The file necessary has already been packaged with your installation.\r\nWould you like "
       "to run it?",
       "C:\\Program Files\\Zantrix\\Preflect\\Setup.exe"},
      {2, platform::kIdYes, nullptr, "C:\\Program Files\\Zantrix\\Preflect\\Setup.exe"},
      {3, platform::kIdYes, nullptr, nullptr,
       "The installer \"C:\\Program Files\\Zantrix\\Preflect\\Setup.exe\" is damaged or is not "
       "the one packaged with your installation, so it was not started.\r\nGet the installer again "
       "from where you got the simulator, or reinstall the simulator."},
      {4, platform::kIdYes, nullptr, nullptr,
       "The installer \"C:\\Program Files\\Zantrix\\Preflect\\Gone.exe\" could not be read (File "
       "not found.), so it was not started."},
      {5, platform::kIdYes, nullptr, "http://www.zantrix.example/y"},
      {6, platform::kIdYes, nullptr, "C:\\Program Files\\Zantrix\\Preflect\\Installers\\Setup.exe"},
      {7, platform::kIdYes, nullptr, nullptr,
       "The installer \"C:\\Program Files\\Zantrix\\Preflect\\Installers\" is a folder, not a "
       "file, so it was not started."},
      {8, platform::kIdYes, nullptr, nullptr,
       "The installer \"C:\\Program Files\\Zantrix\\Preflect\\COM1\" is a device or a pipe, not "
       "a file, so it was not started."},
      {9, platform::kIdYes, nullptr, "\\\\server\\share\\Setup.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    os.messageBoxes.shown.clear();
    os.shell.calls.clear();
    os.messageBoxes.answers = {c.answer};
    Row("cmdAcquire", c.row).SetEnabled(true);
    // Someone swaps the installer while the shell's prompt waits: the file
    // checked is held, so the one started is still the one checked.
    platform::Status swapped = platform::kOk;
    const bool packaged = c.opened && std::string(c.opened).rfind("http", 0) != 0;
    os.shell.whileOpening = [&] { swapped = os.files.WriteFile(c.opened, "MZ swapped"); };
    Click(Row("cmdAcquire", c.row));
    ASSERT_EQ(os.messageBoxes.shown.size(), c.refusal ? 2u : 1u);
    if (c.refusal) {
      EXPECT_EQ(os.messageBoxes.shown[1].text.rfind(c.refusal, 0), 0u) << os.messageBoxes.shown[1].text;
      EXPECT_EQ(os.messageBoxes.shown[1].title, "Zantrix Preflect");
      EXPECT_TRUE(os.shell.calls.empty()) << "started all the same";
      EXPECT_FALSE(Row("cmdAcquire", c.row).Enabled()) << "as after any Yes";
      continue;
    }
    if (c.question) {
      EXPECT_EQ(os.messageBoxes.shown[0].text, c.question);
    }
    EXPECT_EQ(os.messageBoxes.shown[0].title, "Zantrix Preflect");
    EXPECT_EQ(os.messageBoxes.shown[0].style, 36u);
    if (!c.opened) {
      EXPECT_TRUE(os.shell.calls.empty());
      EXPECT_TRUE(Row("cmdAcquire", c.row).Enabled());
      continue;
    }
    ASSERT_EQ(os.shell.calls.size(), 1u);
    EXPECT_EQ(os.shell.calls[0].file, c.opened);
    EXPECT_EQ(os.shell.calls[0].directory, kFolder);
    EXPECT_EQ(os.shell.calls[0].owner, form.hWnd()) << "the prompts come up in front of it";
    EXPECT_FALSE(Row("cmdAcquire", c.row).Enabled());
    if (packaged) {
      EXPECT_EQ(swapped, platform::kErrorSharingViolation);
      EXPECT_FALSE(os.files.Held(c.opened)) << "held past the shell";
    }
  }
}

TEST_F(CheckWindow, StaleRowsOfferNothing) {
  Specs(Product("A", false) + Product("B", false));
  form.Load();
  os.files.DeleteFile(kFolder + "\\filespecs.xml");
  os.messageBoxes.answers = {platform::kIdOk, platform::kIdNo};
  Click(Named("cmdPerform"));
  os.messageBoxes.shown.clear();
  for (int row : {0, 1, 5, -1}) form.cmdAcquire_Click(row);
  EXPECT_TRUE(os.messageBoxes.shown.empty());
  EXPECT_TRUE(os.shell.calls.empty());
}

TEST_F(CheckWindow, ClosedWhileABoxIsOpen) {
  // Behind the reader's "Error" box: nothing more is asked or started.
  os.messageBoxes.whileShown = [&] { form.OnCloseRequested(platform::kFormControlMenu); };
  form.Load();
  EXPECT_EQ(os.messageBoxes.shown.size(), 1u);
  EXPECT_TRUE(platform::LoadedForms().empty());
  EXPECT_TRUE(os.shell.calls.empty());

  // Behind the Acquire question: the remedy is not opened.
  Specs(Product("A", false));
  form.Load();
  os.messageBoxes.answers = {platform::kIdYes};
  os.messageBoxes.whileShown = [&] { form.OnCloseRequested(platform::kFormControlMenu); };
  Click(Row("cmdAcquire", 0));
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_TRUE(os.shell.calls.empty());
}

// The shell may run window messages before it returns (a security prompt
// of its own): a second click meanwhile starts nothing more, and a close
// leaves nothing of the form for the handler to touch afterwards.
TEST_F(CheckWindow, ClickedOrClosedWhileTheShellRuns) {
  enum class Start { Acquire, Continue, HomePage };
  const auto close = [&] { form.OnCloseRequested(platform::kFormControlMenu); };
  const auto acquire = [&](int row) { return [&, row] { Click(Row("cmdAcquire", row)); }; };
  const auto homePage = [] { TheAbout().OnDoubleClicked(*TheAbout().ControlByName("picIcon")); };
  struct Case {
    const char* name;
    Start start;
    std::function<void()> meanwhile;
    bool stillLoaded;
  };
  const Case cases[] = {
      {"Acquire, clicked again", Start::Acquire, acquire(0), true},
      {"Acquire, another row", Start::Acquire, acquire(1), true},
      {"Acquire, closed", Start::Acquire, close, false},
      {"Continue, clicked again", Start::Continue, [&] { Click(Named("cmdPerform")); }, false},
      {"Continue, closed", Start::Continue, close, false},
      {"home page, double-clicked again", Start::HomePage, homePage, true},
      {"home page, the checker closed", Start::HomePage, close, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (platform::Form* f : platform::LoadedForms()) f->Unload();
    Specs(c.start == Start::Continue ? Product("A", true) : Product("A", false) + Product("B", false));
    form.Load();
    os.shell.calls.clear();
    os.messageBoxes.answers.clear();  // Yes to every question
    os.shell.whileOpening = c.meanwhile;
    if (c.start == Start::Acquire) Click(Row("cmdAcquire", 0));
    if (c.start == Start::Continue) Click(Named("cmdPerform"));
    if (c.start == Start::HomePage) {
      ShowAboutBox();
      homePage();
    }
    EXPECT_EQ(os.shell.calls.size(), 1u);
    EXPECT_EQ(form.IsLoaded(), c.stillLoaded);
    if (c.stillLoaded && c.start == Start::Acquire) {
      EXPECT_FALSE(Row("cmdAcquire", 0).Enabled());
      EXPECT_TRUE(Row("cmdAcquire", 1).Enabled());
    }
  }
}

// A long search lets the waiting messages run between its steps, at the
// pace the bar is painted: a click then starts no second test, and closing
// either window ends the checker and stops the search where it is.
TEST_F(CheckWindow, MessagesRunWhileTheSearchRuns) {
  std::string products;
  for (int i = 0; i < 40; ++i) products += Product("P" + std::to_string(i), i % 2 == 0);
  Specs(products);
  const auto close = [](platform::Form& f) {
    return [&f] { f.OnCloseRequested(platform::kFormControlMenu); };
  };
  struct Case {
    const char* name;
    std::function<void()> meanwhile;
    bool ends;
  };
  const Case cases[] = {
      {"nothing waits", nullptr, false},
      {"the main button clicked", [&] { Click(Named("cmdPerform")); }, false},
      {"the check window closed", close(form), true},
      {"the progress dialog closed", close(TheDialog()), true},
  };
  modCheck::SetProgressTarget(&DialogProgress());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (platform::Form* f : platform::LoadedForms()) f->Unload();
    os.clock.step = 50;
    os.forms.doEvents = 0;
    os.forms.whileDoingEvents = c.meanwhile;
    form.Load();
    EXPECT_GT(os.forms.doEvents, c.ends ? 0 : 5) << "no messages ran between the steps";
    EXPECT_EQ(form.IsLoaded(), !c.ends);
    const auto checked = std::count_if(modCheck::Evidences.begin(), modCheck::Evidences.end(),
                                       [](const modCheck::Evidence& e) { return e.file.ran; });
    if (c.ends) {
      EXPECT_TRUE(platform::LoadedForms().empty());
      EXPECT_LT(checked, 40) << "the search went on";
      continue;
    }
    EXPECT_EQ(checked, 40);
    EXPECT_EQ(os.forms.WindowOf(form)->shows, 1) << "a second test ran";
    EXPECT_EQ(Named("lblNote").Caption(),
              "Look below for the search results!  You are missing 20 required components.");
  }
  modCheck::SetProgressTarget(nullptr);
}

// A close, the end of the session or a second click can come at every point
// where the checker lets messages run: the search's steps, the boxes, the
// shell, work away from the window. An ending leaves no form loaded and
// starts, writes or asks nothing after it (AddressSanitizer catches any
// touch of a control it unloaded); a second click changes nothing.
TEST_F(CheckWindow, EndedOrClickedAtEveryPointWhereMessagesRun) {
  os.files.AddFile(kFolder + "\\Setup.exe", "MZ the vendor's installer");
  platform::Sha256Digest digest{};
  os.hasher.Sha256(kFolder + "\\Setup.exe", digest);
  os.files.AddFile("\\\\server\\share\\have.dll", "MZ");
  const std::string onShare =
      "<product name=\"Shared\"><fileEntry name=\"have.dll\" dir=\"\\\\server\\share\\\"/></product>";
  enum class Action { Load, Acquire, Continue };
  struct Scenario {
    const char* name;
    std::optional<std::string> specs;  // none: no requirements file
    Action action;
    bool stampsAtItsEnd = false;  // an ending at any point leaves no stamp
  };
  const Scenario scenarios[] = {
      {"a test, one product on a share", Product("A", true) + Product("B", false) + onShare,
       Action::Load},
      {"a test, all found", Product("A", true), Action::Load, true},
      {"no requirements file, Yes to go on", std::nullopt, Action::Load},
      {"Acquire a pinned installer",
       Product("A", false, "pkg", "%ZANTRIXDIR%\\Setup.exe", modCheck::Sha256Text(digest)),
       Action::Acquire},
      {"Continue", Product("A", true), Action::Continue},
  };
  enum class Meanwhile { CloseWindow, CloseDialog, EndSession, ClickAgain };
  const std::string unset("unset\0", 6);
  modCheck::SetProgressTarget(&DialogProgress());
  os.clock.step = 50;  // the bar lets messages run at every step
  struct Result {
    std::size_t started, boxes;
    std::string stamp;
  };
  const auto run = [&](const Scenario& sc, std::function<void(int)> at) {
    for (platform::Form* f : platform::LoadedForms()) f->Unload();
    os.files.DeleteFile(kFolder + "\\filespecs.xml");
    if (sc.specs) Specs(*sc.specs);
    os.registry.Put(platform::kHkeyCurrentUser, kStampKey, "syscheck", platform::kRegSz, unset);
    os.messageBoxes.answers.clear();  // the first button: OK, Yes
    os.messageBoxes.whileShown = nullptr;
    os.shell.calls.clear();
    os.messageBoxes.shown.clear();
    if (sc.action != Action::Load) form.Load();
    Points() = {};
    Points().at = std::move(at);
    if (sc.action == Action::Load) form.Load();
    if (sc.action == Action::Acquire) Click(Row("cmdAcquire", 0));
    if (sc.action == Action::Continue) Click(Named("cmdPerform"));
    Points().at = nullptr;
  };
  const auto now = [&] {
    return Result{os.shell.calls.size(), os.messageBoxes.shown.size(), Stamp()->bytes};
  };
  for (const Scenario& sc : scenarios) {
    run(sc, nullptr);
    const int points = Points().count;
    const Result whole = now();
    ASSERT_GE(points, 1) << sc.name;
    for (Meanwhile how : {Meanwhile::CloseWindow, Meanwhile::CloseDialog, Meanwhile::EndSession,
                          Meanwhile::ClickAgain})
      for (int k = 1; k <= points; ++k) {
        SCOPED_TRACE(std::string(sc.name) + ", point " + std::to_string(k) + ", meanwhile " +
                     std::to_string(static_cast<int>(how)));
        Result atEnd{};
        const int beeps = os.forms.beeps;
        run(sc, [&](int point) {
          if (point != k) return;
          atEnd = now();
          if (how == Meanwhile::ClickAgain) return Click(Named("cmdPerform"));
          if (how == Meanwhile::EndSession) {
            form.OnSessionEnding();
            return platform::Form::OnSessionEnded();
          }
          platform::Form& closed =
              how == Meanwhile::CloseDialog && TheDialog().IsLoaded()
                  ? static_cast<platform::Form&>(TheDialog())
                  : form;
          closed.OnCloseRequested(platform::kFormControlMenu);
        });
        if (how == Meanwhile::ClickAgain) {
          EXPECT_EQ(os.forms.beeps, beeps + 1) << "a refused click is heard";
          EXPECT_EQ(os.shell.calls.size(), whole.started);
          EXPECT_EQ(Stamp()->bytes, whole.stamp);
          continue;
        }
        EXPECT_TRUE(platform::LoadedForms().empty());
        EXPECT_EQ(os.shell.calls.size(), atEnd.started) << "started after the end";
        EXPECT_EQ(os.messageBoxes.shown.size(), atEnd.boxes) << "asked after the end";
        EXPECT_EQ(Stamp()->bytes, atEnd.stamp) << "stamped after the end";
        if (sc.stampsAtItsEnd) {
          EXPECT_EQ(Stamp()->bytes, unset) << "stamped a test that was ended";
        }
      }
  }
  modCheck::SetProgressTarget(nullptr);
}

// Windows asks whether the session may end while a search runs: yes, and
// the search stops; what it found so far is neither shown nor stamped, and
// the window is shown as it was. When another program says no, the session
// goes on and what the user starts runs to its end; the end itself unloads
// every form and starts nothing.
TEST_F(CheckWindow, SessionEndingStopsTheSearch) {
  os.files.AddFile(kFolder + "\\Setup.exe", "MZ");
  platform::Sha256Digest digest{};
  os.hasher.Sha256(kFolder + "\\Setup.exe", digest);
  std::string products;
  for (int i = 0; i < 40; ++i) products += Product("P" + std::to_string(i), true);
  Specs(products + Product("Pinned", false, "pkg", "%ZANTRIXDIR%\\Setup.exe",
                           modCheck::Sha256Text(digest)));
  modCheck::SetProgressTarget(&DialogProgress());
  os.clock.step = 50;
  os.forms.whileDoingEvents = [&] { TheDialog().OnSessionEnding(); };
  form.Load();
  EXPECT_TRUE(form.Visible());
  EXPECT_FALSE(TheDialog().IsLoaded());
  EXPECT_EQ(Named("cmdPerform").Caption(), "Perform Test");
  EXPECT_FALSE(Stamp());
  Click(Named("cmdPerform"));
  form.OnSessionEnding();
  form.OnSessionResumed();
  Click(Row("cmdAcquire", 40));
  EXPECT_EQ(os.shell.calls.size(), 1u) << "the installer was not started after the logoff stopped";
  platform::Form::OnSessionEnded();
  EXPECT_TRUE(platform::LoadedForms().empty());
  EXPECT_EQ(os.shell.calls.size(), 1u);
  modCheck::SetProgressTarget(nullptr);
}

TEST_F(CheckWindow, ClosingEndsEveryForm) {
  Specs(Product("A", false));
  form.Load();
  TheDialog().Load();
  ASSERT_EQ(platform::LoadedForms().size(), 2u);
  form.OnCloseRequested(platform::kFormControlMenu);
  EXPECT_TRUE(platform::LoadedForms().empty());
}

TEST(ShellLaunch, FindsTheSimulatorInTheProgramFolder) {
  struct Case {
    std::string folder;
    std::vector<std::string> files;
    std::string expected;
  };
  const Case cases[] = {
      {kFolder, {}, kFolder + "\\Zantrix_Quillon.exe"},
      {kFolder, {"Demo_Zantrix_Quillon.exe"}, kFolder + "\\Demo_Zantrix_Quillon.exe"},
      {kFolder, {"Zantrix_Quillon.exe.bak"}, kFolder + "\\Zantrix_Quillon.exe"},
      {"C:\\", {}, "C:\\Zantrix_Quillon.exe"},
      {"C:\\", {"zantrix_quillon.exe"}, "C:\\zantrix_quillon.exe"},
  };
  for (const Case& c : cases) {
    fakes::FakeOs os;
    os.app.folder = c.folder;
    for (const auto& f : c.files) os.files.AddFile(platform::WithTrailingBackslash(c.folder) + f);
    // Another folder's simulator is never taken.
    os.files.AddFile("C:\\elsewhere\\Other_Zantrix_Quillon.exe");
    EXPECT_EQ(shell_launch::FindSimulator(), c.expected) << c.folder;
  }
}

TEST(DateStamp, UsesTheUsersSeparator) {
  EXPECT_EQ(date_stamp::Format({2026, 12, 8}, "/"), "12/08/2026");
  EXPECT_EQ(date_stamp::Format({2027, 1, 31}, "."), "01.31.2027");
  EXPECT_EQ(date_stamp::Format({999, 1, 1}, "-"), "01-01-0999");
}

}  // namespace
