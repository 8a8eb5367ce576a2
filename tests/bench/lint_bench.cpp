// How long preflect-check's lint takes on a large requirements file, against
// the reader alone on the same bytes, in one run. Not a test: it prints the
// figures.
//   lint_bench [products]   (default 40000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checktool/Lint.h"
#include "preflectcheck/offline_services.h"
#include "tests/bench/best_of.h"
#include "requirements/reader.h"

namespace {


// Products as packagers write them, each with its own entries, about 240
// bytes apiece: 40 000 make a file of some 9.6 MB.
std::string MakeFile(int products) {
  std::string text = "<?xml version=\"1.0\"?>\r\n<systemSearch>\r\n";
  for (int i = 0; i < products; ++i) {
    const std::string n = std::to_string(i);
    text += "  <product name=\"Component " + n + "\">\r\n"
            "    <registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"\\Software\\Vendor\\Part" + n +
            "\" value=\"Version\" type=\"REG_SZ\" data=\"\"/>\r\n"
            "    <fileEntry name=\"part" + n + ".dll\" dir=\"%SYSTEMDIR%\\\" version=\"6.1.2.3\"/>\r\n"
            "    <remedy source=\"web\" location=\"http://www.zantrix.example/p" + n + "\"/>\r\n"
            "  </product>\r\n";
  }
  return text + "</systemSearch>\r\n";
}


}  // namespace

int main(int argc, char** argv) {
  const int products = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40000;
  const std::string text = MakeFile(products);
  const checktool::OfflineServices services;
  std::size_t diagnostics = 0, stored = 0;
  const double reader = bench::BestSeconds(5, [&] {
    std::vector<modCheck::Requirement> list(2);
    modCheck::ReadRequirementsText(text, list);
    stored = list.size() - 1;
  });
  const double lint = bench::BestSeconds(5, [&] { diagnostics = checktool::Lint(text).size(); });
  std::printf("file: %.1f MB, %d products (%zu stored), %zu diagnostics\n",
              text.size() / 1048576.0, products, stored, diagnostics);
  std::printf("reader alone: %8.1f ms  %6.2f us a product\n", reader * 1000, reader * 1e6 / products);
  std::printf("lint:         %8.1f ms  %6.2f us a product\n", lint * 1000, lint * 1e6 / products);
  std::printf("ratio:        %8.2f x the reader alone\n", lint / reader);
  return 0;
}
