#pragma once
// Lint's watcher: it follows the reader tag by tag and notes every trap.
// Its checks are spread by family over Lint.cpp (products and what they
// inherit), LintSyntax.cpp (the file's encoding and the tags' syntax) and
// LintEntries.cpp (what the registry, file and remedy entries say).
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checktool/FileText.h"
#include "checktool/Lint.h"
#include "requirements/reader.h"

namespace checktool::lint {

// A tag's text, and the same lower-cased once for every search in it
// (lower-casing keeps byte positions).
struct Tag {
  std::string text, lower;
};

// An attribute's value as the reader cuts it, before any token is
// replaced; none when the tag does not have it. `at` receives where the
// name stands in the tag.
std::optional<std::string> RawAttribute(const Tag& tag, std::string_view name,
                                        std::size_t* at = nullptr);

class Watcher : public modCheck::ReadObserver {
 public:
  explicit Watcher(const SourceFile& source);

  void OnAttribute(const modCheck::AttributeRead& attribute) override;
  void OnTag(std::size_t offset, std::string_view ansiTag, modCheck::TagKind kind,
             const modCheck::Requirement& work) override;
  void OnStored(std::size_t index, const modCheck::Requirement& work, bool dropped) override;
  std::vector<Diagnostic> Finish();

 private:
  struct Open {
    std::size_t offset;
    std::string name;
    bool ownRegistry, ownFile, ownRemedy;
    std::size_t fileOffset;
  };
  struct Nameless {
    std::size_t index, offset;
  };
  // The product whose tag last set an entry of one kind.
  struct Source {
    std::string product;
    std::size_t offset = 0;
    bool set = false;
  };

  void Add(std::size_t offset, Severity severity, const char* rule, std::string message,
           std::string fix);
  void Set(Source& source, std::size_t offset);

  // LintSyntax.cpp
  void CheckEncoding();
  bool CheckText();  // false when the file is no text at all
  void CheckConflictMarkers();
  void CheckComment(std::size_t offset, std::string_view tag, modCheck::TagKind kind);
  void CheckQuotes(std::size_t offset, std::string_view tag);
  void CheckAttributesRead(modCheck::TagKind kind);
  void CheckAttributeSyntax(std::size_t offset, const Tag& tag, modCheck::TagKind kind);
  // LintEntries.cpp
  void CheckView(std::size_t offset, const Tag& tag, modCheck::TagKind kind);
  void CheckRegistryEntry(std::size_t offset, const Tag& tag, const modCheck::Requirement& work);
  void CheckTokens(std::size_t offset, const Tag& tag, const char* attribute);
  void CheckFileEntry(std::size_t offset, const Tag& tag, const modCheck::Requirement& work);
  void CheckRemedy(std::size_t offset, const Tag& tag, const modCheck::Requirement& work);
  // Lint.cpp
  void CheckInherited(const Open& product, const modCheck::Requirement& work);

  const SourceFile& source_;
  const Lines& lines_;
  std::vector<Diagnostic> diagnostics_;
  std::optional<Open> open_;
  std::optional<Nameless> pendingNameless_;
  Source registry_, file_, remedy_;
  std::map<std::string, int> names_;
  std::size_t lastEnd_ = 0;
  int stored_ = 0;
  bool tooMany_ = false;
  bool notText_ = false;
  bool inComment_ = false;
  // What the reader found of the tag it is about to report.
  std::vector<modCheck::AttributeRead> attributes_;
};

}  // namespace checktool::lint
