// The contract environment natively: everything is the doubles.
#include <memory>

#include "tests/contract/env.h"
#include "tests/doubles/fake_os.h"

namespace contract {
namespace {

class FakeEnv : public Env {
 public:
  FakeEnv() {
    services_ = platform::Os();
    fake_.files.AddFolder("C:\\scratch");
  }
  const platform::Services& os() override { return services_; }
  std::string ScratchFolder() override {
    const std::string path = "C:\\scratch\\t" + std::to_string(++folders_);
    fake_.files.AddFolder(path);
    return path;
  }
  void MakeFile(const std::string& path, const std::string& bytes, bool hidden,
                bool system) override {
    fake_.files.AddFile(path, bytes, hidden, system);
  }
  void MakeFolder(const std::string& path) override { fake_.files.AddFolder(path); }
  bool Exists(const std::string& path) override { return fake_.files.Exists(path); }
  std::string ScratchKey() override {
    const std::string key = "Software\\ZantrixContractTests\\k" + std::to_string(++keys_);
    fake_.registry.AddKey(platform::kHkeyCurrentUser, key);
    return key;
  }
  void PutRaw(std::int32_t root, const std::string& key, const std::string& name,
              std::uint32_t type, const std::string& bytes) override {
    fake_.registry.Put(root, key, name, type, bytes);
  }
  void PutOtherView(const std::string& key, const std::string& name,
                    const std::string& text) override {
    fake_.registry.PutOtherView(platform::kHkeyLocalMachine, key, name, platform::kRegSz,
                                text + '\0');
  }
  bool HasOtherRegistryView() override { return true; }  // the double is 64-bit Windows
  bool PutNativeSystemFile(const std::string& name, Fixture fixture) override {
    const std::string path = fake_.folders.system + "\\" + name;
    fake_.files.AddFileOnSide(path, 64, "MZ");
    if (fixture == Fixture::Version6123) fake_.versions.Set(path, 6, 1, 2, 3);
    return true;  // the double is a 32-bit program on 64-bit Windows
  }
  bool GetRaw(std::int32_t root, const std::string& key, const std::string& name,
              std::uint32_t& type, std::string& bytes) override {
    const auto value = fake_.registry.Get(root, key, name);
    if (!value) return false;
    type = value->type;
    bytes = value->bytes;
    return true;
  }
  std::string FixturePath(Fixture fixture) override {
    const std::string folder = "C:\\fixtures";
    switch (fixture) {
      case Fixture::Version6123:
        Add(folder + "\\fixture_v6123.dll", 6, 1, 2, 3);
        return folder + "\\fixture_v6123.dll";
      case Fixture::Build40000:
        Add(folder + "\\fixture_b40000.dll", 1, 2, 40000, 4);
        return folder + "\\fixture_b40000.dll";
      case Fixture::NoVersionInfo:
        fake_.files.AddFile(folder + "\\fixture_noversion.dll", "MZ");
        return folder + "\\fixture_noversion.dll";
    }
    return {};
  }
  bool RealSystem() const override { return false; }

 private:
  void Add(const std::string& path, int a, int b, int c, int d) {
    fake_.files.AddFile(path, "MZ");
    fake_.versions.Set(path, a, b, c, d);
  }
  fakes::FakeOs fake_;
  platform::Services services_;
  int folders_ = 0;
  int keys_ = 0;
};

}  // namespace

Env& TheEnv() {
  static FakeEnv env;
  return env;
}

}  // namespace contract
