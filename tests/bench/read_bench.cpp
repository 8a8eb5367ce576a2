// How long the requirements reader takes on a large file, against a plain
// fread loop over the same file. Not a test: it prints the figures.
//   read_bench [megabytes]   (default 20)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "requirements/modCheck.h"
#include "tests/bench/best_of.h"
#include "tests/doubles/fake_os.h"

namespace {


std::string MakeRequirementsFile(std::size_t bytes) {
  std::string text = "<?xml version=\"1.0\"?>\r\n<systemSearch>\r\n";
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "  <product name=\"Component " + n + "\">\r\n"
            "    <registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"\\Software\\Vendor\\Part" + n +
            "\" value=\"Version\" type=\"REG_SZ\" data=\"\"/>\r\n"
            "    <fileEntry name=\"part" + n + ".dll\" dir=\"%SYSTEMDIR%\\\" version=\"6.1.2.3\"/>\r\n"
            "    <!-- a comment the reader skips -->\r\n"
            "    <remedy source=\"packaged\" location=\"%ZANTRIXDIR%\\redist\\part" + n +
            ".exe\"/>\r\n"
            "  </product>\r\n";
  }
  return text + "</systemSearch>\r\n";
}

std::string ReadWithFread(const std::string& path, std::size_t& marks) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char chunk[1 << 16];
  marks = 0;
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
    bytes.append(chunk, got);
    marks += static_cast<std::size_t>(std::count(chunk, chunk + got, '>'));
  }
  std::fclose(f);
  return bytes;
}

// The doubles, except that the requirements file comes from disk.
struct DiskBackedFiles : fakes::FakeFileSystem {
  std::string diskPath;
  platform::Status ReadAll(const std::string&, std::string& bytes) override {
    std::size_t marks = 0;
    bytes = ReadWithFread(diskPath, marks);
    return platform::kOk;
  }
};


}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20;
  const std::string text = MakeRequirementsFile(megabytes << 20);
  const auto folder = std::filesystem::temp_directory_path() / "read_bench";
  std::filesystem::create_directories(folder);
  const std::string diskPath = (folder / "filespecs.xml").string();
  if (std::FILE* f = std::fopen(diskPath.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  } else {
    std::fprintf(stderr, "cannot write %s\n", diskPath.c_str());
    return 1;
  }

  fakes::FakeOs os;
  DiskBackedFiles files;
  files.diskPath = diskPath;
  platform::Services services = platform::Os();
  services.files = &files;
  platform::Install(services);
  modCheck::ProgramFolder = "C:\\Preflect\\";
  files.AddFile(modCheck::ProgramFolder + "filespecs.xml");

  std::size_t marks = 0;
  const double plain = bench::BestSeconds(5, [&] { ReadWithFread(diskPath, marks); });
  std::size_t products = 0;
  const double reader = bench::BestSeconds(5, [&] {
    modCheck::ResetRequirements();
    modCheck::ReadRequirements();
    products = modCheck::Requirements.size() - 1;
  });
  std::filesystem::remove_all(folder);

  std::printf("file: %.1f MB, %zu tags, %zu products stored\n", text.size() / 1048576.0, marks,
              products);
  std::printf("fread loop:       %8.1f ms\n", plain * 1000);
  std::printf("ReadRequirements: %8.1f ms\n", reader * 1000);
  std::printf("ratio:            %8.1f x\n", reader / plain);
  return 0;
}
