#include "checktool/ExplainFile.h"

#include <algorithm>
#include <vector>

#include "checktool/FileText.h"
#include "platform/services.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/reader.h"

namespace checktool {
namespace {

using modCheck::Requirement;
using modCheck::TagKind;

// Where the fields one kind of tag sets were last set: by which product,
// at which offset; none yet when `set` is false.
struct SetBy {
  bool set = false;
  std::size_t offset = 0;
  int product = 0;  // 1-based, in file order, counting every product tag
};

struct Stored {
  Requirement record;
  int number = 0;  // the product tag's count
  std::size_t offset = 0;
  SetBy name, registry, file, remedy;
};

class Recorder : public modCheck::ReadObserver {
 public:
  void OnTag(std::size_t offset, std::string_view, TagKind kind, const Requirement& work) override {
    switch (kind) {
      case TagKind::Product:
        ++products_;
        names_.push_back(work.ProductName);
        current_ = {true, offset, products_};
        name_ = current_;
        break;
      case TagKind::RegistryEntry: registry_ = {true, offset, products_}; break;
      case TagKind::FileEntry: file_ = {true, offset, products_}; break;
      case TagKind::Remedy: remedy_ = {true, offset, products_}; break;
      default: break;
    }
  }
  void OnStored(std::size_t index, const Requirement& work, bool dropped) override {
    if (dropped) return;
    Stored entry{work, current_.product, current_.offset, name_, registry_, file_, remedy_};
    // A nameless product before it is overwritten, as in the checker.
    if (index < stored_.size())
      stored_[index] = entry;
    else
      stored_.push_back(entry);
  }
  const std::vector<Stored>& Products() const { return stored_; }
  // The name the product tag numbered `product` gave.
  const std::string& NameOf(int product) const { return names_[static_cast<std::size_t>(product - 1)]; }

 private:
  std::vector<std::string> names_;
  int products_ = 0;
  SetBy current_, name_, registry_, file_, remedy_;
  std::vector<Stored> stored_;
};


// Which side of 64-bit Windows an entry is checked on.
std::string ViewText(const std::string& view, bool registry) {
  bool known = false;
  const int bits = modCheck::ViewBits(view, &known);
  if (!known) return Quoted(view) + " (unknown: the program's own)";
  if (bits == 0) return "(the program's own)";
  if (!registry && bits == 32) return Quoted(view) + " (no effect)";
  return Quoted(view) + " (the " + view + (registry ? "-bit registry)" : "-bit file system)");
}

}  // namespace

std::string ExplainFile(const SourceFile& source) {
  Recorder recorder;
  std::vector<Requirement> list(2);
  modCheck::ReadRequirementsText(source.bytes, source.encoding, list, &recorder);
  const Lines& lines = source.lines;
  const auto& products = recorder.Products();
  std::string text =
      source.encoding == platform::StoredEncoding::Utf8
          ? "Read as UTF-8: the file starts with the UTF-8 byte order mark.\n"
          : "Read as " + platform::CodePageName(platform::Os().codePage->LegacyCodePage()) +
                ", the system's legacy code page: the file has no UTF-8 byte order mark.\n";
  if (products.empty())
    return text + "The file names no products: the checker finds everything at once.\n";
  int row = 0;
  for (const Stored& p : products) {
    const Requirement& r = p.record;
    text += std::to_string(++row) + ". " +
            (r.ProductName.empty() ? std::string("(no name)") : Quoted(r.ProductName)) +
            ", product tag at line " + std::to_string(lines.LineOf(p.offset)) + "\n";
    const auto where = [&](const SetBy& by) {
      if (!by.set) return std::string("never set");
      const std::string line = "line " + std::to_string(lines.LineOf(by.offset));
      return by.product == p.number ? line
                                    : line + ", inherited from " + Quoted(recorder.NameOf(by.product));
    };
    const auto field = [&](const char* label, const std::string& value, const SetBy& by) {
      std::string left = std::string("   ") + label;
      left.resize(std::max<std::size_t>(left.size() + 1, 20), ' ');
      std::string middle = value;
      if (middle.size() < 44) middle.resize(44, ' ');
      text += left + middle + "  " + where(by) + "\n";
    };
    field("name", Quoted(r.ProductName), p.name);
    field("registry root", modCheck::RootName(r.RegRoot), p.registry);
    field("registry key", Quoted(r.RegKey), p.registry);
    field("registry value", r.RegValueName.empty() || platform::LowerCase(r.RegValueName) == "default"
                                ? "(the default value)"
                                : Quoted(r.RegValueName),
          p.registry);
    field("registry type", modCheck::TypeName(static_cast<std::uint32_t>(r.RegType)), p.registry);
    field("registry data", r.RegData.empty() ? "(any)" : Quoted(r.RegData), p.registry);
    field("registry view", ViewText(r.RegView, true), p.registry);
    field("file name", Quoted(r.FileName), p.file);
    field("file folder", Quoted(r.FileDir), p.file);
    field("file version", r.FileVersion.empty() ? "(any)" : Quoted(r.FileVersion), p.file);
    field("file view", ViewText(r.FileView, false), p.file);
    field("remedy source", Quoted(r.RemedySource), p.remedy);
    field("remedy location", Quoted(r.RemedyLocation), p.remedy);
    field("remedy sha256", r.RemedySha256.empty() ? "(no pin)" : r.RemedySha256, p.remedy);
    const bool registryTest = !r.RegKey.empty(), fileTest = !r.FileName.empty();
    text += std::string("   tested by: ") +
            (registryTest && fileTest ? "the registry and the file (the file decides)"
             : registryTest           ? "the registry"
             : fileTest               ? "the file"
                                      : "nothing (it is always missing)") +
            "\n";
  }
  return text;
}

}  // namespace checktool
