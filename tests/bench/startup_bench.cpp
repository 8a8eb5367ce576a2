// Times, under Wine or Windows, how long a program takes from its start to
// its first visible top-level window: Preflect with 10, 1000 and 32767
// products, each against a floor program (floor.c) that makes the same
// registry and version-resource calls and shows what the check window
// shows when every product is found, all measured in the same run. Not a
// test: it prints its figures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/gui/driver.h"

namespace {

const char* const kBenchKey = "Software\\PreflectBench";
constexpr int kDistinctFiles = 500;

// Milliseconds until a window titled `title` is visible, or -1.
double TimeToWindow(const std::string& exe, const std::string& arguments,
                    const std::string& folder, const char* title) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  gui::Program program(exe, folder, arguments);
  // Polled every 5 ms, since the tests' 50 ms would blur the
  // figures; the title is read without a message, which the program would
  // have to stop and answer.
  HWND w = nullptr;
  for (const DWORD begun = GetTickCount(); !w && GetTickCount() - begun < 600000;) {
    for (HWND top : gui::TopWindows(program.pid())) {
      char text[64] = {};
      GetWindowTextA(top, text, sizeof text);
      if (std::string(text) == title) w = top;
    }
    if (!w) Sleep(5);
  }
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

// One benchmark case: half the products read a registry value, half a
// versioned file (kDistinctFiles of them, named again when there are more
// products); none both, though a product inherits what it does not set. Writes Preflect's requirements file and the floor's list of
// the same calls.
void WriteCase(const std::string& stage, int products) {
  std::string specs = "<systemSearch>\r\n";
  std::string calls;
  for (int i = 0; i < products; ++i) {
    const std::string n = std::to_string(i);
    specs += "<product name=\"Product " + n + "\">\r\n";
    if (i % 2 == 0) {
      const std::string key = std::string(kBenchKey) + "\\" + std::to_string(i / 2);
      // An empty file name ends the file entry the product before set up.
      specs += "<registryEntry root=\"HKEY_CURRENT_USER\" key=\"" + key +
               "\" value=\"v\" type=\"REG_SZ\" data=\"\"/><fileEntry name=\"\"/>\r\n";
      calls += "R " + key + "|v\r\n";
    } else {
      const int file = (i / 2) % kDistinctFiles;
      const std::string name = "f" + std::to_string(file) + ".dll";
      // And an empty key the registry entry.
      specs += "<registryEntry root=\"HKEY_CURRENT_USER\" key=\"\" type=\"REG_SZ\"/><fileEntry name=\"" +
               name + "\" dir=\"%ZANTRIXDIR%\\v\\\" version=\"5.0.0.0\"/>\r\n";
      // The version of a path is read once; the search runs for every product.
      calls += i / 2 < kDistinctFiles ? "F " : "S ";
      calls += stage + "\\v\\" + name + "\r\n";
    }
    specs += "<remedy source=\"web\" location=\"http://www.zantrix.example/" + n + "\"/>\r\n";
    specs += "</product>\r\n";
  }
  gui::WriteText(stage + "\\filespecs.xml", specs + "</systemSearch>\r\n");
  gui::WriteText(stage + "\\floor.txt", calls);
}

void MakeRegistryValues(int count) {
  for (int i = 0; i < count; ++i) {
    HKEY key = nullptr;
    const std::string path = std::string(kBenchKey) + "\\" + std::to_string(i);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
      continue;
    RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("installed"), 10);
    RegCloseKey(key);
  }
}

struct Case {
  int products;
  std::vector<double> preflect, floor;
};

}  // namespace

// startup_bench.exe [RUNS [SIZES]]: SIZES a comma list, 10,1000,32767 by
// default.
int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int bigRuns = std::max(1, std::min(runs, 3));
  const std::string bin = gui::BinFolder();
  const std::string stage = gui::MakeStage("bench");
  for (const char* program : {"Preflect.exe", "floor.exe", "minimal_window.exe"})
    gui::CopyInto(bin + "\\" + program, stage);
  CreateDirectoryA((stage + "\\v").c_str(), nullptr);
  for (int i = 0; i < kDistinctFiles; ++i)
    CopyFileA((bin + "\\fixture_v6123.dll").c_str(),
              (stage + "\\v\\f" + std::to_string(i) + ".dll").c_str(), FALSE);
  std::vector<double> minimal;
  std::vector<Case> cases;
  int most = 0;
  for (const char* at = argc > 2 ? argv[2] : "10,1000,32767"; *at;) {
    char* end = nullptr;
    cases.push_back({static_cast<int>(std::strtol(at, &end, 10)), {}, {}});
    most = std::max(most, cases.back().products);
    at = *end == ',' ? end + 1 : end;
  }
  std::printf("setting up %d registry values...\n", most / 2 + 1);
  std::fflush(stdout);
  MakeRegistryValues(most / 2 + 1);

  for (int r = 0; r < runs; ++r) {
    minimal.push_back(TimeToWindow(stage + "\\minimal_window.exe", "", stage, "Minimal"));
    for (Case& c : cases) {
      if (c.products > 1000 && r >= bigRuns) continue;
      WriteCase(stage, c.products);
      // Each goes first every other run, so that neither pays alone for
      // what the first start after another program costs.
      const auto floor = [&] {
        c.floor.push_back(TimeToWindow(stage + "\\floor.exe", stage + "\\floor.txt", stage, "Floor"));
      };
      const auto preflect = [&] {
        c.preflect.push_back(TimeToWindow(stage + "\\Preflect.exe", "", stage, "Zantrix Preflect"));
      };
      if (r % 2 == 0) {
        floor();
        preflect();
      } else {
        preflect();
        floor();
      }
    }
  }

  bool failed = Median(minimal) < 0, floorFaster = true, close = true;
  std::printf("runs: %d (medians; %d above 1000 products)\n", runs, bigRuns);
  std::printf("one-window program:      %8.1f ms\n", Median(minimal));
  for (const Case& c : cases) {
    const double f = Median(c.floor), p = Median(c.preflect);
    failed = failed || f < 0 || p < 0;
    floorFaster = floorFaster && f < p;
    if (c.products <= 1000) close = close && p <= 1.10 * f;
    std::printf("floor, %5d products:    %8.1f ms\n", c.products, f);
    std::printf("Preflect, %5d products: %8.1f ms  %.2f x its floor\n", c.products, p, p / f);
  }
  std::printf("the floor is faster at every size: %s\n", floorFaster ? "yes" : "no");
  std::printf("Preflect at most 1.10 x its floor up to 1000 products: %s\n", close ? "yes" : "no");
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  gui::RemoveTree(stage);
  return failed ? 1 : 0;
}
