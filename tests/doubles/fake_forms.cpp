#include "tests/doubles/fake_forms.h"

#include <algorithm>

namespace fakes {

MessagePoints& Points() {
  static MessagePoints points;
  return points;
}

FakeFormWindow::FakeFormWindow(FakeFormHost& owner, platform::Form& shown,
                               platform::WindowHandle h)
    : host(owner), form(shown), handle(h) {}

FakeFormWindow::~FakeFormWindow() {
  auto& list = host.windows;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  ++host.windowsDestroyed;
}

platform::FrameExtents FakeFormWindow::Frame() const {
  platform::FrameExtents frame = host.frames.at(form.BorderStyle());
  if (hasMenu) frame.height += host.menuHeight;
  return frame;
}

void FakeFormWindow::ControlDestroyed(platform::Control& control) {
  destroyed.push_back(&control);
}

void FakeFormWindow::MenusChanged() {
  hasMenu = false;
  for (const platform::Control* menu : form.Menus())
    if (menu->Properties().menuParent.empty() && menu->Visible()) hasMenu = true;
}

FakeFormHost::FakeFormHost() { SetDpi(96); }

FakeFormHost::~FakeFormHost() {
  for (platform::Form* form : platform::LoadedForms())
    if (WindowOf(*form)) form->Discard();
}

void FakeFormHost::SetDpi(int dpi) {
  const double twips = 1440.0 / dpi;
  const int widthPx = 1024, heightPx = 768, taskBarPx = 30;
  screen.twipsPerPixelX = screen.twipsPerPixelY = twips;
  screen.width = widthPx * twips;
  screen.height = heightPx * twips;
  screen.workLeft = screen.workTop = 0;
  screen.workWidth = widthPx * twips;
  screen.workHeight = (heightPx - taskBarPx) * twips;
  screen.scrollBarWidth = 17 * twips;
}

FakeFormWindow* FakeFormHost::WindowOf(const platform::Form& form) const {
  for (FakeFormWindow* window : windows)
    if (&window->form == &form) return window;
  return nullptr;
}

std::unique_ptr<platform::FormWindow> FakeFormHost::CreateWindowFor(platform::Form& form) {
  ++windowsCreated;
  auto window = std::make_unique<FakeFormWindow>(
      *this, form, static_cast<platform::WindowHandle>(0x10000 + 0x10 * windowsCreated));
  windows.push_back(window.get());
  return window;
}

}  // namespace fakes
