#pragma once
// A window system without windows: each loaded form gets a FakeFormWindow
// that records what the model told it, with a frame and a screen as a test
// sets them up.
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "platform/forms.h"

namespace fakes {

class FakeFormHost;

// Every point where the program lets window messages run (DoEvents, a box,
// the shell, a wait for background work), numbered from 1 since the FakeOs
// was made, so that a test can act at each one in turn.
struct MessagePoints {
  int count = 0;
  std::function<void(int point)> at;
  void Reached() {
    ++count;
    if (at) at(count);
  }
};
MessagePoints& Points();

class FakeFormWindow : public platform::FormWindow {
 public:
  struct Change {
    const platform::Control* control;
    unsigned aspects;
  };

  FakeFormWindow(FakeFormHost& host, platform::Form& form, platform::WindowHandle handle);
  ~FakeFormWindow() override;

  platform::WindowHandle Handle() const override { return handle; }
  platform::FrameExtents Frame() const override;
  void FormChanged(unsigned aspects) override { formChanges.push_back(aspects); }
  void ControlCreated(platform::Control& control) override { created.push_back(&control); }
  void ControlChanged(platform::Control& control, unsigned aspects) override {
    changes.push_back({&control, aspects});
  }
  void ControlDestroyed(platform::Control& control) override;
  void ZOrderChanged() override { ++zOrderChanges; }
  void MenusChanged() override;
  void Show() override {
    visible = true;
    ++shows;
  }
  void Hide() override { visible = false; }
  void SetFocus() override { ++focusRequests; }
  void FocusControl(platform::Control& control) override { focused = &control; }
  void Refresh(const platform::Control*) override { ++refreshes; }

  FakeFormHost& host;
  platform::Form& form;
  platform::WindowHandle handle;
  bool visible = false;
  bool hasMenu = false;
  int shows = 0, focusRequests = 0, refreshes = 0, zOrderChanges = 0;
  std::vector<unsigned> formChanges;
  std::vector<const platform::Control*> created;
  std::vector<Change> changes;
  std::vector<const platform::Control*> destroyed;
  const platform::Control* focused = nullptr;
};

class FakeFormHost : public platform::FormHost {
 public:
  FakeFormHost();
  ~FakeFormHost() override;  // discards the forms still loaded into it

  // 1024 x 768 pixels at 96 DPI, with a 30-pixel task bar at the bottom.
  platform::ScreenMetrics screen;
  std::map<platform::FormBorder, platform::FrameExtents> frames{
      {platform::FormBorder::FixedSingle, {6, 25}},
      {platform::FormBorder::FixedToolWindow, {6, 21}},
      {platform::FormBorder::Sizable, {8, 27}},
  };
  int menuHeight = 19;

  std::vector<FakeFormWindow*> windows;  // alive, in creation order
  int windowsCreated = 0;
  int windowsDestroyed = 0;
  int doEvents = 0;

  FakeFormWindow* WindowOf(const platform::Form& form) const;
  // Pixels per twip as the screen is set up.
  void SetDpi(int dpi);

  std::unique_ptr<platform::FormWindow> CreateWindowFor(platform::Form& form) override;
  platform::ScreenMetrics Screen() override { return screen; }
  void Beep() override { ++beeps; }
  // A font's letters are 0.42 of its size wide (CJK ones as wide
  // as it is), its lines 1.1 times its size high; words wrap at spaces,
  // CJK text between any two characters.
  platform::TextExtent MeasureText(const std::string& text, const platform::Font& font,
                                   double wrapWidth, bool mnemonic) override;
  int beeps = 0;
  void DoEvents() override {
    ++doEvents;
    Points().Reached();
    // What waited in the queue: run once, like a message handled there.
    if (whileDoingEvents) std::exchange(whileDoingEvents, nullptr)();
  }
  std::function<void()> whileDoingEvents;
};

}  // namespace fakes
