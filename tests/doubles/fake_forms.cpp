#include "tests/doubles/fake_forms.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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

platform::TextExtent FakeFormHost::MeasureText(const std::string& text, const platform::Font& font,
                                               double wrapWidth, bool mnemonic) {
  const double em = font.size * 20;
  // Pieces that do not break inside: words, and each CJK character.
  struct Piece {
    double width;
    bool space;
  };
  std::vector<Piece> pieces;
  double word = 0;
  const auto endWord = [&] {
    if (word > 0) pieces.push_back({word, false});
    word = 0;
  };
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    unsigned code = length == 1 ? c : c & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
      code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (mnemonic && code == '&' && (i >= text.size() || text[i] != '&')) continue;
    if (mnemonic && code == '&') ++i;
    if (code == ' ') {
      endWord();
      pieces.push_back({em * 0.42, true});
    } else if (code >= 0x2E80) {
      endWord();
      pieces.push_back({em, false});
    } else {
      word += em * 0.42;
    }
  }
  endWord();
  const double lineHeight = std::round(em * 1.1);
  double widest = 0, line = 0;
  int lines = 1;
  for (const Piece& p : pieces) {
    if (wrapWidth > 0 && !p.space && line > 0 && line + p.width > wrapWidth) {
      ++lines;
      line = 0;
    }
    if (p.space && line == 0 && lines > 1) continue;  // a line starts with no space
    line += p.width;
    widest = std::max(widest, line);
  }
  return {widest, lines * lineHeight};
}

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
