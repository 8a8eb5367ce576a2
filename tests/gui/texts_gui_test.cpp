// The programs in the user's language, as Wine gives it from LC_ALL and
// LANG: the check window, its question box, the About box, the progress
// dialog and Linkora show the language's texts (as this program's own
// string tables, made from the .po files, give them) and no English left; no
// label or button is cut at 96, 120, 144 or 192 DPI; Japanese and Chinese show real
// glyphs; English (LC_ALL=C) is exactly the sources' own. Wine takes the
// language of a process from the Unix environment it was started in, so
// scripts/test runs this program once for each language, naming its .po
// file in ZANTRIX_LANGUAGE (none: English); each DPI is a run of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "about/frmAbout.h"
#include "checkwindow/frmDialog.h"
#include "checkwindow/frmSystemCheck.h"
#include "platform/forms.h"
#include "platform/win32/win32.h"
#include "requirements/modCheck.h"
#include "tests/gui/driver.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The screen's DPI for the programs started while it lives.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  ~ScreenDpi() {
    RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
};

std::wstring WindowText(HWND w) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

// Whether a character drawn in `font` is the font's box for a glyph it has
// not (what a private-use character gets), after font linking.
bool DrawnAsABox(HFONT font, wchar_t c) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 48, 48);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  const HGDIOBJ oldFont = SelectObject(dc, font);
  const auto draw = [&](wchar_t ch) {
    RECT r{0, 0, 48, 48};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawTextW(dc, &ch, 1, &r, DT_NOPREFIX);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x) pixels.push_back(GetPixel(dc, x, y));
    return pixels;
  };
  const bool box = draw(c) == draw(L'\xE000');

  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return box;
}

// One run: the forms of this process in the language and DPI it started
// with (the parent test sets them).
TEST(Languages, DISABLED_FormsInThisLanguage) {
  platform::win32::InstallServices();
  platform::win32::InstallCatalogue();
  const std::string po = Env("ZANTRIX_LANGUAGE");
  const std::string stage = gui::MakeStage("languages");
  gui::WriteText(stage + "\\filespecs.xml",
                 "<product name=\"Component Beta\"><fileEntry name=\"none.dll\" dir=\"%ZANTRIXDIR%\\\"/>"
                 "<remedy source=\"pkg\" location=\"x.exe\"/></product>");
  modCheck::ProgramFolder = stage + "\\";
  TheSystemCheck().Load();
  ShowAboutBox();
  TheDialog().Show();
  platform::DoEvents();
  gui::RemoveTree(stage);
  const bool cjk = po == "ja" || po == "zh_CN";
  int checked = 0;
  for (platform::Form* form : platform::LoadedForms()) {
    std::vector<const platform::Control*> captioned;
    for (const platform::Control* c : form->Controls())
      if (c->Visible() && !c->Caption().empty() &&
          (c->Kind() == platform::ControlKind::Label || c->Kind() == platform::ControlKind::Button))
        captioned.push_back(c);
    for (const platform::Control* c : form->Menus()) captioned.push_back(c);
    for (const platform::Control* c : captioned) {
      SCOPED_TRACE(form->Name() + "." + c->Name() + " \"" + c->Caption() + "\"");
      // A text of the template shown as it is, though the language has it
      // otherwise: English left on the form.
      // An English text of the sources, shown though the language's table
      // has it otherwise: English left on the form.
      EXPECT_EQ(platform::T(c->Caption()), c->Caption()) << "left in English";
      if (c->Kind() == platform::ControlKind::Menu) continue;
      // The whole text in the control's own font, in its client area less a
      // button's edges.
      HWND child = GetDlgItem(reinterpret_cast<HWND>(form->hWnd()), c->Id());
      ASSERT_NE(child, nullptr);
      RECT client;
      GetClientRect(child, &client);
      const bool button = c->Kind() == platform::ControlKind::Button;
      const int roomX = client.right - (button ? 6 : 0), roomY = client.bottom - (button ? 4 : 0);
      HDC dc = GetDC(child);
      const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
      const HGDIOBJ old = SelectObject(dc, font);
      const std::wstring text = WindowText(child);
      RECT need{0, 0, roomX, 0};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS |
                    (c->Properties().useMnemonic ? 0 : DT_NOPREFIX));
      SelectObject(dc, old);
      ReleaseDC(child, dc);
      EXPECT_LE(need.right, roomX) << "cut at the right: " << need.right << " px of " << roomX;
      EXPECT_LE(need.bottom, roomY) << "cut at the bottom: " << need.bottom << " px of " << roomY;
      ++checked;
      if (cjk)
        for (const wchar_t ch : text)
          if (ch >= 0x3000) {
            EXPECT_FALSE(DrawnAsABox(font, ch)) << "a box for U+" << std::hex << unsigned(ch);
            break;
          }
    }
  }
  EXPECT_GE(checked, 15) << "the forms' labels and buttons";
  for (platform::Form* form : platform::LoadedForms()) form->Unload();
  platform::DoEvents();
}

TEST(Languages, EveryFormAtEachDpi) {
  std::string exe(MAX_PATH, '\0');
  exe.resize(GetModuleFileNameA(nullptr, exe.data(), MAX_PATH));
  for (const DWORD dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    const ScreenDpi screen(dpi);
    gui::Program child(exe, gui::BinFolder(),
                       "--gtest_also_run_disabled_tests "
                       "--gtest_filter=Languages.DISABLED_FormsInThisLanguage");
    EXPECT_TRUE(child.Ends(60000)) << "the run failed (its output is above)";
  }
}

// The real programs: the check window and its question, and Linkora's.
TEST(Languages, TheProgramsSpeakIt) {
  const std::string bin = gui::BinFolder();
  {
    // The language's texts as this program's own tables give them: the
    // programs it starts must show the same.
    platform::win32::InstallServices();
    platform::win32::InstallCatalogue();
    const auto text = [](const char* english) { return platform::T(english); };
    EXPECT_EQ(text("Acquire") == "Acquire", Env("ZANTRIX_LANGUAGE").empty())
        << "the tables of the language were not picked";
    const std::string stage = gui::MakeStage("speaks");
    gui::CopyInto(bin + "\\Preflect.exe", stage);
    gui::WriteText(stage + "\\filespecs.xml",
                   "<product name=\"Component Beta\"><fileEntry name=\"none.dll\" dir=\"%ZANTRIXDIR%\\\"/>"
                   "<remedy source=\"pkg\" location=\"x.exe\"/></product>");
    {
      gui::Program preflect(stage + "\\Preflect.exe", stage);
      HWND window = gui::WaitFor([&]() -> HWND {
        for (HWND w : gui::TopWindows(preflect.pid()))
          if (gui::ClassName(w) != "#32770" && gui::Text(w) == "Zantrix Preflect") return w;
        return nullptr;
      }, 30000);
      ASSERT_NE(window, nullptr);
      HWND acquire = nullptr, retest = nullptr;
      for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string shown = IsWindowVisible(c) ? Utf8(WindowText(c)) : "";
        if (shown == text("Acquire")) acquire = c;
        if (shown == text("Perform Retest")) retest = c;
      }
      EXPECT_NE(retest, nullptr) << "no " << text("Perform Retest");
      ASSERT_NE(acquire, nullptr);
      PostMessageA(acquire, BM_CLICK, 0, 0);
      HWND box = gui::WaitFor([&] { return gui::FindMessageBox(preflect.pid()); }, 15000);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(gui::MessageBoxText(box),
                text("The file necessary has already been packaged with your installation.") +
                    "\r\n" + text("Would you like to run it?"));
      PostMessageA(box, WM_COMMAND, IDNO, 0);
      ASSERT_TRUE(gui::WaitFor([&]() -> HWND { return IsWindow(box) ? nullptr : box; }, 10000));
      EXPECT_TRUE(preflect.Close(10000));
    }
    {
      gui::Program linkora(bin + "\\Linkora.exe", stage);
      HWND box = gui::WaitFor([&] { return gui::FindMessageBox(linkora.pid()); }, 15000);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(gui::Text(box), text("Visit Zantrixweb\xC2\xAE"));
      std::string visit = text("You are about to visit %1 using your default Web Browser.");
      visit.replace(visit.find("%1"), 2, "http://www.zantrix.example");
      EXPECT_EQ(gui::MessageBoxText(box),
                visit + "\r\n" + text("Please ensure you have an active connection to the Internet."));
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      EXPECT_TRUE(linkora.Ends(10000));
    }
    gui::RemoveTree(stage);
  }
}

}  // namespace
