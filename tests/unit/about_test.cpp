// The About box on the model: texts and layout at load, the two fits for
// given frames and DPI, the system information tool's lookups, the home
// page question and showing the box a second time.
#include "about/frmAbout.h"

#include <gtest/gtest.h>

#include "tests/doubles/fake_os.h"

namespace {

using platform::Control;
using platform::kHkeyLocalMachine;

const std::string kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kUnavailable = "System Information Is Unavailable At This Time";

struct About : ::testing::Test {
  fakes::FakeOs os;
  frmAbout form;

  ~About() override {
    for (platform::Form* f : platform::LoadedForms()) f->Unload();
  }
  Control& Named(const char* name) { return *form.ControlByName(name); }
  Control& Line(int i) { return (*form.ArrayByName("Line1"))[i]; }
  fakes::FakeFormWindow& Window() { return *os.forms.WindowOf(form); }
};

TEST_F(About, VersionLineInPlainDecimal) {
  struct Case {
    platform::AppVersion version;
    const char* line;
  };
  for (const Case& c : {Case{{7, 5, 0}, "Version 7.5 Build 0"},
                        Case{{7, 34, 0}, "Version 7.34 Build 0"},
                        Case{{7, 0, 12}, "Version 7.0 Build 12"},
                        Case{{10, 0, 65535}, "Version 10.0 Build 65535"}}) {
    os.app.version = c.version;
    form.Load();
    EXPECT_EQ(Named("lblVersion").Caption(), c.line);
    form.Unload();
  }
}

TEST_F(About, TextsComeFromTheVersionInformation) {
  os.app.title = "Zantrix Preflect";
  os.app.description = "Checks things.";
  form.Load();
  EXPECT_EQ(form.Caption(), "About Zantrix Preflect");
  EXPECT_EQ(Named("lblTitle").Caption(), "Zantrix Preflect");
  EXPECT_EQ(Named("lblDescription").Caption(), "Checks things.");
  EXPECT_EQ(Named("lblDisclaimer").Caption(), frmAbout::kLicenceNotice);
  EXPECT_EQ(Named("lblDisclaimer").TextFont().size, 8);
  EXPECT_EQ(Named("lblDescription").TextFont().size, 9.75);
  EXPECT_EQ(Named("picIcon").Properties().toolTipText,
            "Double Click here to visit Zantrixweb\xC2\xAE");
  EXPECT_EQ(Named("picIcon").Picture(), "PRODUCT");
  EXPECT_EQ(Named("lblCopy").Caption(), frmAbout::kCopyright);
  EXPECT_TRUE(Named("cmdOK").Properties().isDefault);
  EXPECT_TRUE(Named("cmdOK").Properties().isCancel);
  EXPECT_EQ(Named("cmdSysInfo").Caption(), "&System Info...");
  // The window got its icons, big and small.
  EXPECT_NE(os.windows.IconOf(form.hWnd(), platform::kIconBig), 0u);
  EXPECT_NE(os.windows.IconOf(form.hWnd(), platform::kIconSmall), 0u);
}

TEST_F(About, ControlsMovedFromTheirDesignAtLoad) {
  form.Load();
  struct Case {
    const char* name;
    double left, top, height;
  };
  for (const Case& c : {Case{"lblTitle", 2045, 120, 480}, Case{"lblVersion", 2045, 720, 225},
                        Case{"lblDescription", 2045, 1065, 450},
                        Case{"lblDisclaimer", 2045, 1570, 1650}, Case{"lblCopy", 1680, 2875, 255},
                        Case{"cmdOK", 6240, 120, 345}, Case{"picIcon", 360, 480, 2295}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Named(c.name).Left(), c.left);
    EXPECT_EQ(Named(c.name).Top(), c.top);
    EXPECT_EQ(Named(c.name).Height(), c.height);
  }
  struct LineCase {
    int index;
    double x1, y1, x2, y2;
  };
  for (const LineCase& l : {LineCase{0, 1950, 1530, 7619, 1530}, LineCase{1, 1950, 1545, 7619, 1545},
                            LineCase{2, 1945, 0, 1945, 3315}, LineCase{3, 1935, 0, 1935, 3315},
                            LineCase{4, 0, 2800, 7590, 2800}}) {
    SCOPED_TRACE(l.index);
    EXPECT_EQ(Line(l.index).X1(), l.x1);
    EXPECT_EQ(Line(l.index).Y1(), l.y1);
    EXPECT_EQ(Line(l.index).X2(), l.x2);
    EXPECT_EQ(Line(l.index).Y2(), l.y2);
  }
}

// Height target: bottom of lblCopy (2875 + 255) + 10 = 3140; width target:
// x2 of Line1(0) = 7619. Each fit starts at the target and takes at least
// one twip.
TEST_F(About, FitsForGivenFramesAndDpi) {
  struct Case {
    int dpi;
    platform::FrameExtents frame;
    double line4X2;  // the client width before the width fit
    double outerWidth, outerHeight, clientWidth, clientHeight;
  };
  const Case cases[] = {
      {96, {6, 25}, 7590, 7703, 3518, 7620, 3150},
      // Already wide enough at the target: the one step is still taken.
      {96, {0, 0}, 7590, 7620, 3143, 7620, 3150},
      {96, {8, 40}, 7590, 7733, 3743, 7620, 3150},
      {120, {6, 25}, 7596, 7686, 3438, 7620, 3144},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.dpi << " dpi, frame " << c.frame.width << "x"
                                      << c.frame.height);
    os.forms.SetDpi(c.dpi);
    os.forms.frames[platform::FormBorder::FixedSingle] = c.frame;
    form.Load();
    EXPECT_EQ(form.Width(), c.outerWidth);
    EXPECT_EQ(form.Height(), c.outerHeight);
    EXPECT_EQ(form.ClientWidth(), c.clientWidth);
    EXPECT_EQ(form.ClientHeight(), c.clientHeight);
    // One twip less would not have held the target.
    EXPECT_LT(form.ClientHeightFor(form.Height() - 1), 3140);
    EXPECT_GE(form.ClientHeight(), 3140);
    EXPECT_GE(form.ClientWidth(), 7619);
    // Line1(4) keeps the length it got before the window was widened.
    EXPECT_EQ(Line(4).X2(), c.line4X2);
    form.Unload();
  }
}

TEST_F(About, FittingDoesNotResizeTheWindowTwipByTwip) {
  form.Load();
  int moves = 0;
  for (unsigned aspects : Window().formChanges)
    if (aspects & platform::kAspectGeometry) ++moves;
  // Load, each fit's start and end, the placement: not one per twip.
  EXPECT_LE(moves, 6);
}

TEST_F(About, FirstPlacedInTheMiddleOfTheWorkingArea) {
  form.Load();
  // 1024 x 738 pixels of working area at 15 twips a pixel.
  EXPECT_EQ(form.Left(), 3828);  // (15360 - 7703) / 2, down to whole twips
  EXPECT_EQ(form.Top(), 3776);   // (11070 - 3518) / 2
}

TEST_F(About, OkUnloads) {
  form.Show();
  form.OnClicked(Named("cmdOK"));
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_EQ(os.forms.windowsDestroyed, 1);
}

struct SysInfoCase {
  const char* name;
  std::function<void(fakes::FakeOs&)> setup;
  std::vector<std::string> started;
  bool unavailable;
};

TEST_F(About, SystemInformationTool) {
  const auto path = [](fakes::FakeOs& os, std::uint32_t type, const std::string& bytes) {
    os.registry.Put(kHkeyLocalMachine, kMsinfoKey, "PATH", type, bytes);
  };
  const auto folder = [](fakes::FakeOs& os, const std::string& text) {
    os.registry.PutString(kHkeyLocalMachine, kLocationKey, "MSINFO", text);
  };
  const SysInfoCase cases[] = {
      {"first entry started as it is, even when missing",
       [&](auto& os) { os.registry.PutString(kHkeyLocalMachine, kMsinfoKey, "PATH", "C:\\Tools\\none.exe"); },
       {"\"C:\\Tools\\none.exe\""}, false},
      {"first entry that cannot be started",
       [&](auto& os) {
         os.registry.PutString(kHkeyLocalMachine, kMsinfoKey, "PATH", "C:\\Tools\\none.exe");
         os.shell.startSucceeds = false;
       },
       {"\"C:\\Tools\\none.exe\""}, true},
      {"first entry already quoted",
       [&](auto& os) { os.registry.PutString(kHkeyLocalMachine, kMsinfoKey, "PATH", "\"C:\\A B\\x.exe\""); },
       {"\"C:\\A B\\x.exe\""}, false},
      {"first entry wins over the second",
       [&](auto& os) {
         os.registry.PutString(kHkeyLocalMachine, kMsinfoKey, "PATH", "C:\\One\\msinfo32.exe");
         folder(os, "C:\\Two");
         os.files.AddFile("C:\\Two\\MSINFO32.EXE", "MZ");
       },
       {"\"C:\\One\\msinfo32.exe\""}, false},
      {"only the second entry, with the tool in its folder",
       [&](auto& os) {
         folder(os, "C:\\Program Files\\Info");
         os.files.AddFile("C:\\Program Files\\Info\\msinfo32.exe", "MZ");
       },
       {"\"C:\\Program Files\\Info\\MSINFO32.EXE\""}, false},
      {"only the second entry, without the tool", [&](auto& os) { folder(os, "C:\\Info"); }, {},
       true},
      {"only the second entry, the tool hidden",
       [&](auto& os) {
         folder(os, "C:\\Info");
         os.files.AddFile("C:\\Info\\MSINFO32.EXE", "MZ", true);
       },
       {}, true},
      {"neither entry", [](auto&) {}, {}, true},
      {"first entry REG_EXPAND_SZ: an empty path",
       [&](auto& os) { path(os, platform::kRegExpandSz, std::string("%WINDIR%\\x.exe\0", 15)); },
       {""}, true},
      {"first entry of zero bytes falls through to the second",
       [&](auto& os) {
         path(os, platform::kRegSz, "");
         folder(os, "C:\\Info");
         os.files.AddFile("C:\\Info\\MSINFO32.EXE", "MZ");
       },
       {"\"C:\\Info\\MSINFO32.EXE\""}, false},
      {"second entry a REG_DWORD",
       [&](auto& os) {
         os.registry.Put(kHkeyLocalMachine, kLocationKey, "MSINFO", platform::kRegDword,
                         std::string("\x01\0\0\0", 4));
       },
       {}, true},
  };
  for (const SysInfoCase& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeOs fresh;
    frmAbout box;
    c.setup(fresh);
    box.Load();
    box.OnClicked(*box.ControlByName("cmdSysInfo"));
    EXPECT_EQ(fresh.shell.started, c.started);
    EXPECT_TRUE(fresh.shell.calls.empty());
    if (c.unavailable) {
      ASSERT_EQ(fresh.messageBoxes.shown.size(), 1u);
      EXPECT_EQ(fresh.messageBoxes.shown[0].text, kUnavailable);
      EXPECT_EQ(fresh.messageBoxes.shown[0].title, "Zantrix Preflect");
      EXPECT_EQ(fresh.messageBoxes.shown[0].style, platform::kMbOk);
    } else {
      EXPECT_TRUE(fresh.messageBoxes.shown.empty());
    }
    // The box stays open whatever happened.
    EXPECT_TRUE(box.IsLoaded());
    EXPECT_EQ(fresh.registry.openHandles(), 0);
    box.Unload();
  }
}

TEST_F(About, HomePageOnlyOnYes) {
  os.app.folder = "C:\\Program Files\\Zantrix\\Preflect";
  for (int answer : {platform::kIdNo, platform::kIdYes}) {
    SCOPED_TRACE(answer);
    os.messageBoxes.shown.clear();
    os.shell.calls.clear();
    os.messageBoxes.answers = {answer};
    form.Load();
    form.OnDoubleClicked(Named("picIcon"));
    ASSERT_EQ(os.messageBoxes.shown.size(), 1u);
    const auto& box = os.messageBoxes.shown[0];
    EXPECT_EQ(box.text, "Would you like to visit the Zantrix Software website?");
    EXPECT_EQ(box.title, "Visit Zantrixweb\xC2\xAE");
    EXPECT_EQ(box.style, platform::kMbYesNo | platform::kMbIconQuestion);
    if (answer == platform::kIdNo) {
      EXPECT_TRUE(os.shell.calls.empty());
    } else {
      ASSERT_EQ(os.shell.calls.size(), 1u);
      const auto& call = os.shell.calls[0];
      EXPECT_EQ(call.verb, "Open");
      EXPECT_EQ(call.file, "http://www.zantrix.example");
      EXPECT_FALSE(call.parameters.has_value());
      EXPECT_EQ(call.directory, "C:\\Program Files\\Zantrix\\Preflect");
      EXPECT_EQ(call.show, platform::kSwShowNormal);
    }
    form.Unload();
  }
}

TEST_F(About, ShownAgainItIsOnlyBroughtForward) {
  ShowAboutBox();
  frmAbout& box = TheAbout();
  ASSERT_TRUE(box.Visible());
  const platform::WindowHandle first = box.hWnd();
  box.ControlByName("lblVersion")->SetCaption("changed");
  ShowAboutBox();
  EXPECT_EQ(os.forms.windowsCreated, 1);
  EXPECT_EQ(box.hWnd(), first);
  // Form_Load did not run again.
  EXPECT_EQ(box.ControlByName("lblVersion")->Caption(), "changed");
  EXPECT_EQ(os.forms.WindowOf(box)->focusRequests, 1);
  // Closed, the next showing loads it afresh.
  box.OnClicked(*box.ControlByName("cmdOK"));
  ShowAboutBox();
  EXPECT_EQ(os.forms.windowsCreated, 2);
  EXPECT_EQ(box.ControlByName("lblVersion")->Caption(), "Version 7.0 Build 12");
  EXPECT_EQ(platform::LoadedForms().size(), 1u);
}

// A standard user may not open HKLM keys for writing.
class ReadOnlyMachineKeys : public fakes::FakeRegistry {
 public:
  std::vector<std::uint32_t> accesses;
  long OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
               platform::RegKeyHandle& key) override {
    accesses.push_back(access);
    if (root == kHkeyLocalMachine && (access & 0x0006) != 0) {
      key = 0;
      return platform::kErrorAccessDenied;
    }
    return FakeRegistry::OpenKey(root, subKey, access, key);
  }
};

TEST_F(About, KeyOpenedReadOnlyWhereWritingIsDenied) {
  ReadOnlyMachineKeys registry;
  registry.PutString(kHkeyLocalMachine, kMsinfoKey, "PATH", "C:\\msinfo32.exe");
  platform::Services services = platform::Os();
  services.registry = &registry;
  platform::Install(services);
  std::string value = "before";
  EXPECT_TRUE(frmAbout::GetKeyValue(kHkeyLocalMachine, kMsinfoKey, "PATH", value));
  EXPECT_EQ(value, "C:\\msinfo32.exe");
  EXPECT_EQ(registry.accesses, (std::vector<std::uint32_t>{0x2003F, 0x20019}));
  EXPECT_EQ(registry.openHandles(), 0);
  // Where the first access is granted it is the only one asked for.
  registry.accesses.clear();
  registry.PutString(platform::kHkeyCurrentUser, "Software\\X", "v", "y");
  EXPECT_TRUE(frmAbout::GetKeyValue(platform::kHkeyCurrentUser, "Software\\X", "v", value));
  EXPECT_EQ(registry.accesses, (std::vector<std::uint32_t>{0x2003F}));
}

}  // namespace
