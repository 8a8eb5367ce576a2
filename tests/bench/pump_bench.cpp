// What the look at the window messages during a search costs: a check of
// 1000 products (half registry values, half versioned files, as the
// start-up benchmark has them) with the real progress dialog on screen,
// once as Preflect runs it and once with a window system whose DoEvents
// does nothing, alternated, best of the runs. Not a test: it prints its
// figures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checkwindow/frmDialog.h"
#include "platform/win32/forms_win32.h"
#include "requirements/modCheck.h"
#include "requirements/progress.h"
#include "tests/bench/best_of.h"
#include "tests/gui/driver.h"

namespace {

const char* const kKey = "Software\\PreflectPumpBench";
constexpr int kProducts = 1000;

// The real window system; DoEvents only when `looks` says so, and timed.
class Host : public platform::FormHost {
 public:
  bool looks = true;
  int calls = 0;
  double spentMs = 0;
  std::unique_ptr<platform::FormWindow> CreateWindowFor(platform::Form& form) override {
    return real_.CreateWindowFor(form);
  }
  platform::ScreenMetrics Screen() override { return real_.Screen(); }
  platform::TextExtent MeasureText(const std::string& text, const platform::Font& font,
                                   double wrapWidth, bool mnemonic) override {
    return real_.MeasureText(text, font, wrapWidth, mnemonic);
  }
  void DoEvents() override {
    ++calls;
    if (looks) spentMs += 1000 * bench::BestSeconds(1, [this] { real_.DoEvents(); });
  }

 private:
  platform::win32::WinFormHost real_;
};

void Stage(const std::string& stage) {
  const std::string bin = gui::BinFolder();
  CreateDirectoryA((stage + "\\v").c_str(), nullptr);
  std::string specs = "<systemSearch>\r\n";
  for (int i = 0; i < kProducts; ++i) {
    const std::string n = std::to_string(i), key = std::string(kKey) + "\\" + n;
    specs += "<product name=\"Product " + n + "\">";
    if (i % 2 == 0) {
      HKEY h = nullptr;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                          nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(h, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("installed"), 10);
        RegCloseKey(h);
      }
      specs += "<registryEntry root=\"HKEY_CURRENT_USER\" key=\"" + key +
               "\" value=\"v\" type=\"REG_SZ\" data=\"\"/><fileEntry name=\"\"/>";
    } else {
      CopyFileA((bin + "\\fixture_v6123.dll").c_str(), (stage + "\\v\\f" + n + ".dll").c_str(),
                FALSE);
      specs += "<registryEntry key=\"\"/><fileEntry name=\"f" + n +
               ".dll\" dir=\"%ZANTRIXDIR%\\v\\\" version=\"5.0.0.0\"/>";
    }
    specs += "<remedy source=\"web\" location=\"http://www.zantrix.example/\"/></product>\r\n";
  }
  gui::WriteText(stage + "\\filespecs.xml", specs + "</systemSearch>\r\n");
}

// One test's search as the check window runs it, in milliseconds.
double Check(Host& host, bool looks) {
  host.looks = looks;
  return 1000 * bench::BestSeconds(1, [] {
    modCheck::ResetRequirements();
    frmDialog& dialog = TheDialog();
    dialog.Show();
    dialog.SetTheBar(1);
    modCheck::ReadRequirements();
    dialog.SetTheBar(33);
    modCheck::RunChecks();
    dialog.SetTheBar(100);
    dialog.Unload();
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  platform::win32::HardenProcess();
  platform::win32::InstallServices();
  Host host;
  platform::Services services = platform::Os();
  services.forms = &host;
  platform::Install(services);
  modCheck::SetProgressTarget(&DialogProgress());
  const std::string stage = gui::MakeStage("pump");
  Stage(stage);
  modCheck::ProgramFolder = stage + "\\";

  Check(host, true);  // warms the caches: files, registry, fonts
  double looking = 1e300, blind = 1e300, spent = 0;
  int pumps = 0;
  for (int r = 0; r < runs; ++r) {
    host.calls = 0;
    host.spentMs = 0;
    const double t = Check(host, true);
    if (t < looking) {
      looking = t;
      pumps = host.calls;
      spent = host.spentMs;
    }
    blind = std::min(blind, Check(host, false));
  }
  std::printf("%d products, best of %d runs\n", kProducts, runs);
  std::printf("check, messages not looked at: %8.1f ms\n", blind);
  std::printf("check, as Preflect runs it:    %8.1f ms\n", looking);
  std::printf("%d looks at the queue took %.2f ms: %.2f %% of the check\n", pumps, spent,
              100.0 * spent / looking);
  RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
  gui::RemoveTree(stage);
  return 0;
}
