#pragma once
// The traps of the requirements file, found by reading it exactly as the
// checker does and watching what the reader makes of each tag.
#include <string>
#include <string_view>
#include <vector>

namespace checktool {

enum class Severity { Warning, Error };

struct Diagnostic {
  int line = 0, column = 0;  // 1-based; the column counts characters (CharacterColumns)
  Severity severity = Severity::Warning;
  std::string rule;     // stable name, e.g. "inherited-fields"
  std::string message;  // what the checker will do
  std::string fix;      // one line: what to write instead
  std::size_t offset = 0;  // the byte of the file it points at
};

struct SourceFile;

// Every trap in the file's bytes (ANSI, as the checker reads them), in the
// order of the file.
std::vector<Diagnostic> Lint(const SourceFile& source);
std::vector<Diagnostic> Lint(std::string_view bytes);

// A rule Lint knows: its stable name, a short description and a help text
// of a sentence or three, for SARIF's rule list and the README.
struct LintRule {
  std::string_view id, description, help;
};
const std::vector<LintRule>& LintRules();

}  // namespace checktool
