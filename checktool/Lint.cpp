#include "checktool/Lint.h"

#include <algorithm>

#include "checktool/LintWatcher.h"
#include "platform/text.h"
#include "requirements/modCheck.h"

namespace checktool {
namespace lint {

using modCheck::Requirement;
using modCheck::TagKind;

std::optional<std::string> RawAttribute(const Tag& tag, std::string_view name,
                                        std::size_t* at) {
  const std::size_t found = tag.lower.find(std::string(name) + "=");
  if (found == std::string::npos) return std::nullopt;
  if (at) *at = found;
  const std::size_t open = tag.text.find('"', found);
  if (open == std::string::npos) return std::string();
  const std::size_t close = tag.text.find('"', open + 1);
  if (close == std::string::npos) return std::string();
  return tag.text.substr(open + 1, close - open - 1);
}

Watcher::Watcher(const SourceFile& source) : source_(source), lines_(source.lines) {
  notText_ = !CheckText();
  if (notText_) return;
  CheckEncoding();
  CheckConflictMarkers();
}

void Watcher::OnAttribute(const modCheck::AttributeRead& attribute) {
  attributes_.push_back(attribute);
}

void Watcher::OnTag(std::size_t offset, std::string_view ansiTag, TagKind kind,
                    const Requirement& work) {
  CheckComment(offset, ansiTag, kind);
  CheckQuotes(offset, ansiTag);
  CheckAttributesRead(kind);
  attributes_.clear();
  if (kind == TagKind::SystemSearch || kind == TagKind::Other) return;
  Tag tag{modCheck::DecodeTag(ansiTag, source_.encoding), {}};
  tag.lower = platform::LowerCase(tag.text);
  if (kind != TagKind::EndProduct) CheckAttributeSyntax(offset, tag, kind);
  CheckView(offset, tag, kind);
  switch (kind) {
    case TagKind::Product:
      if (open_) {
        Add(open_->offset, Severity::Error, "unclosed-product",
            "product " + Quoted(open_->name) + " has no closing </product> tag before the next "
            "product, so it is not stored",
            "end it with </product>");
      }
      open_ = Open{offset, work.ProductName, false, false, false, 0};
      break;
    case TagKind::RegistryEntry:
      if (open_) open_->ownRegistry = true;
      CheckRegistryEntry(offset, tag, work);
      Set(registry_, offset);
      break;
    case TagKind::FileEntry:
      if (open_) {
        open_->ownFile = true;
        open_->fileOffset = offset;
      }
      CheckFileEntry(offset, tag, work);
      Set(file_, offset);
      break;
    case TagKind::Remedy:
      if (open_) open_->ownRemedy = true;
      CheckRemedy(offset, tag, work);
      Set(remedy_, offset);
      break;
    default:
      break;
  }
}

void Watcher::OnStored(std::size_t index, const Requirement& work, bool dropped) {
  const Open product = open_.value_or(Open{lastEnd_, work.ProductName, false, false, false, 0});
  open_.reset();
  if (dropped) {
    if (!tooMany_)
      Add(product.offset, Severity::Error, "too-many-products",
          "more than 32767 products: this one and every one after it are not read",
          "split the requirements, or drop products the simulator does not need");
    tooMany_ = true;
    return;
  }
  ++stored_;
  if (pendingNameless_ && pendingNameless_->index == index)
    Add(pendingNameless_->offset, Severity::Error, "nameless-product",
        "a product without a name is overwritten by the next one, " + Quoted(work.ProductName) +
            " (line " + std::to_string(lines_.LineOf(product.offset)) + ")",
        "give it a name=\"...\"");
  pendingNameless_.reset();
  if (work.ProductName.empty()) pendingNameless_ = Nameless{index, product.offset};
  CheckInherited(product, work);
  if (platform::LowerCase(platform::TrimSpaces(work.FileName)) == "%regvalue%" &&
      work.RegKey.empty())
    Add(product.fileOffset ? product.fileOffset : product.offset, Severity::Error,
        "regvalue-without-registry",
        "the file entry takes its path from the registry value, but no registry entry is in "
        "effect, so the path is empty",
        "add a <registryEntry> to the product, or name the file with dir and name");
  if (!work.ProductName.empty()) {
    const auto seen = names_.find(work.ProductName);
    if (seen != names_.end())
      Add(product.offset, Severity::Warning, "duplicate-name",
          "product " + Quoted(work.ProductName) + " is named a second time (first at line " +
              std::to_string(seen->second) + "); the window shows two rows of that name",
          "give each product a name of its own");
    else
      names_[work.ProductName] = lines_.LineOf(product.offset);
  }
  lastEnd_ = product.offset;
}

std::vector<Diagnostic> Watcher::Finish() {
  if (open_)
    Add(open_->offset, Severity::Error, "unclosed-product",
        "product " + Quoted(open_->name) + " has no closing </product> tag before the end of "
        "the file, so it is not stored",
        "end it with </product>");
  if (pendingNameless_)
    Add(pendingNameless_->offset, Severity::Warning, "nameless-product",
        "a product without a name shows as a row without a name",
        "give it a name=\"...\"");
  if (stored_ == 0 && !notText_)
    Add(0, Severity::Warning, "empty-file",
        "the file names no products, so the checker finds everything at once",
        "list the products the simulator needs, each in <product>...</product>");
  // In the file's order, their columns counted in one pass.
  std::stable_sort(diagnostics_.begin(), diagnostics_.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.offset < b.offset; });
  CharacterColumns columns(source_);
  for (Diagnostic& d : diagnostics_) d.column = columns.At(d.offset);
  return std::move(diagnostics_);
}

void Watcher::Add(std::size_t offset, Severity severity, const char* rule, std::string message,
         std::string fix) {
  diagnostics_.push_back(
      {lines_.LineOf(offset), 0, severity, rule, std::move(message), std::move(fix), offset});
}

void Watcher::Set(Source& source, std::size_t offset) {
  source = {open_ ? open_->name : std::string(), offset, true};
}

void Watcher::CheckInherited(const Open& product, const Requirement& work) {
  std::vector<std::string> kinds;
  const Source* from = nullptr;
  const auto inherits = [&](bool own, bool inEffect, const Source& source, const char* kind) {
    if (own || !inEffect || !source.set) return;
    kinds.push_back(kind);
    if (!from) from = &source;
  };
  inherits(product.ownRegistry, !work.RegKey.empty(), registry_, "registry entry");
  inherits(product.ownFile, !work.FileName.empty(), file_, "file entry");
  inherits(product.ownRemedy, !work.RemedySource.empty() || !work.RemedyLocation.empty(),
           remedy_, "remedy");
  if (kinds.empty()) return;
  std::string list = kinds[0];
  for (std::size_t i = 1; i < kinds.size(); ++i)
    list += (i + 1 == kinds.size() ? " or " : ", ") + kinds[i];
  Add(product.offset, Severity::Warning, "inherited-fields",
      "product " + Quoted(work.ProductName) + " has no " + list + " of its own and inherits " +
          (kinds.size() == 1 ? "it" : "them") + " from " + Quoted(from->product) + " (line " +
          std::to_string(lines_.LineOf(from->offset)) + ")",
      "give the product its own entries, or empty ones (<registryEntry key=\"\"/>, "
      "<fileEntry name=\"\"/>) to inherit nothing");
}

}  // namespace lint

std::vector<Diagnostic> Lint(const SourceFile& source) {
  lint::Watcher watcher(source);
  std::vector<modCheck::Requirement> list(2);
  modCheck::ReadRequirementsText(source.bytes, source.encoding, list, &watcher);
  return watcher.Finish();
}

std::vector<Diagnostic> Lint(std::string_view bytes) { return Lint(SourceFile(bytes)); }

}  // namespace checktool
