// Times, under Wine or Windows, how long a program takes from its start to
// its first visible top-level window: Preflect with a short and a long
// requirements file, against a minimal program that shows one window.
// Not a test: it prints its figures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/gui/driver.h"

namespace {

// Milliseconds until `title` is visible, or -1.
double TimeToWindow(const std::string& exe, const std::string& folder, const char* title) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  gui::Program program(exe, folder);
  HWND w = gui::WaitFor(
      [&]() -> HWND {
        for (HWND top : gui::TopWindows(program.pid()))
          if (gui::Text(top) == title) return top;
        return nullptr;
      },
      120000);
  QueryPerformanceCounter(&now);
  program.Close(5000);
  if (!w) return -1;
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Half registry and half file-version entries; or registry entries only,
// which leaves out the version resources Wine reads slowly.
std::string Requirements(int products, bool registryOnly = false) {
  std::string text = "<systemSearch>\r\n";
  for (int i = 0; i < products; ++i) {
    const std::string n = std::to_string(i);
    text += "<product name=\"Product " + n + "\">\r\n";
    if (registryOnly || i % 2 == 0)
      text += "<registryEntry root=\"HKEY_CURRENT_USER\" key=\"Software\\Bench\\" + n +
              "\" value=\"v\" type=\"REG_SZ\" data=\"\"/>\r\n";
    else
      text += "<fileEntry name=\"comctl32.dll\" dir=\"%SYSTEMDIR%\\\" version=\"5.0.0.0\"/>\r\n";
    text += "<remedy source=\"web\" location=\"http://www.zantrix.example/" + n + "\"/>\r\n";
    text += "</product>\r\n";
  }
  return text + "</systemSearch>\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string bin = gui::BinFolder();
  const std::string stage = gui::MakeStage("bench");
  gui::CopyInto(bin + "\\Preflect.exe", stage);
  gui::CopyInto(bin + "\\minimal_window.exe", stage);

  std::vector<double> minimal, small, large, registry;
  for (int r = 0; r < runs; ++r) {
    minimal.push_back(TimeToWindow(stage + "\\minimal_window.exe", stage, "Minimal"));
    gui::WriteText(stage + "\\filespecs.xml", Requirements(10));
    small.push_back(TimeToWindow(stage + "\\Preflect.exe", stage, "Zantrix Preflect"));
    gui::WriteText(stage + "\\filespecs.xml", Requirements(1000));
    large.push_back(TimeToWindow(stage + "\\Preflect.exe", stage, "Zantrix Preflect"));
    gui::WriteText(stage + "\\filespecs.xml", Requirements(1000, true));
    registry.push_back(TimeToWindow(stage + "\\Preflect.exe", stage, "Zantrix Preflect"));
  }
  const double m = Median(minimal), s = Median(small), l = Median(large), r = Median(registry);
  std::printf("runs: %d (medians)\n", runs);
  std::printf("minimal window:          %8.1f ms\n", m);
  std::printf("Preflect, 10 products:   %8.1f ms  ratio to minimal %.2f\n", s, s / m);
  std::printf("Preflect, 1000 products: %8.1f ms  ratio to minimal %.2f\n", l, l / m);
  std::printf("1000 vs 10 products: %.2f\n", l / s);
  std::printf("Preflect, 1000 products, registry entries only: %8.1f ms  ratio to minimal %.2f, "
              "to 10 products %.2f\n", r, r / m, r / s);
  gui::RemoveTree(stage);
  return (m < 0 || s < 0 || l < 0 || r < 0) ? 1 : 0;
}
