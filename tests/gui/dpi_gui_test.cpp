// Crisp at high DPI: on a 120, 144 or 192 DPI screen the found and missing
// icons and the About picture come from artwork drawn for that size. The
// screen's DPI is read once when a program starts, so each DPI is tried in
// a new run of this program, with the prefix's DPI set for it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/forms.h"
#include "platform/win32/win32.h"
#include "tests/gui/driver.h"

namespace {

const char* const kDesktopKey = "Control Panel\\Desktop";

// The screen's DPI for the programs started while it lives.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof previous_;
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS;
    RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  ~ScreenDpi() {
    if (had_)
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_),
                     sizeof previous_);
    else
      RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  DWORD previous_ = 0;
  bool had_ = false;
};

class Pictures : public platform::Form {
 public:
  Pictures() : Form("frmPictures") {}
  platform::Control* found = nullptr;
  platform::Control* missing = nullptr;
  platform::Control* product = nullptr;

 protected:
  void Build() override {
    SetDesignClientSize(6000, 3000);
    found = &AddControl(platform::ControlKind::Image, "imgFound");
    found->SetPicture("FOUND");
    found->Move(120, 120, 375, 375);
    missing = &AddControl(platform::ControlKind::Image, "imgMissing");
    missing->SetPicture("MISSING");
    missing->Move(600, 120, 375, 375);
    product = &AddControl(platform::ControlKind::Image, "picIcon");
    product->SetPicture("PRODUCT");
    product->Move(1200, 120, 1110, 2295);
  }
};

SIZE BitmapSize(HWND image) {
  SIZE size{0, 0};
  BITMAP info{};
  const auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(image, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (bitmap && GetObjectA(bitmap, sizeof info, &info)) size = {info.bmWidth, info.bmHeight};
  return size;
}

// Run by the test below in a program of its own, at the DPI it set.
TEST(Dpi, DISABLED_PicturesAreDrawnForTheScreensDpi) {
  platform::win32::InstallServices();
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  const char* wanted = std::getenv("ZANTRIX_EXPECTED_DPI");
  ASSERT_NE(wanted, nullptr);
  ASSERT_EQ(dpi, std::atoi(wanted)) << "the screen's DPI was not set";
  struct Expected {
    int dpi, icon, productWidth, productHeight;
  };
  const Expected table[] = {{96, 25, 74, 153},   {120, 31, 93, 191},
                            {144, 38, 111, 230}, {192, 50, 148, 306}};
  Pictures form;
  form.Show();
  for (const Expected& e : table) {
    if (e.dpi != dpi) continue;
    for (platform::Control* icon : {form.found, form.missing}) {
      HWND hwnd = GetDlgItem(reinterpret_cast<HWND>(form.hWnd()), icon->Id());
      const SIZE size = BitmapSize(hwnd);
      EXPECT_EQ(size.cx, e.icon) << icon->Name();
      EXPECT_EQ(size.cy, e.icon) << icon->Name();
      RECT r;
      GetClientRect(hwnd, &r);
      EXPECT_EQ(r.right, e.icon) << "the box and the picture are one size";
    }
    HWND product = GetDlgItem(reinterpret_cast<HWND>(form.hWnd()), form.product->Id());
    const SIZE size = BitmapSize(product);
    EXPECT_EQ(size.cx, e.productWidth);
    EXPECT_EQ(size.cy, e.productHeight);
  }
  form.Unload();
}

TEST(Dpi, PicturesAreDrawnForEachDpi) {
  for (const DWORD dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    std::string exe(MAX_PATH, '\0');
    exe.resize(GetModuleFileNameA(nullptr, exe.data(), MAX_PATH));
    ScreenDpi screen(dpi);
    SetEnvironmentVariableA("ZANTRIX_EXPECTED_DPI", std::to_string(dpi).c_str());
    gui::Program child(exe, gui::BinFolder(),
                       "--gtest_also_run_disabled_tests "
                       "--gtest_filter=Dpi.DISABLED_PicturesAreDrawnForTheScreensDpi");
    EXPECT_TRUE(child.Ends(60000)) << "the run at this DPI";
  }
}

}  // namespace
