#pragma once
// Lint's diagnostics as SARIF 2.1.0, the format code-scanning views and
// editors' problem panels read.
#include <string>
#include <string_view>
#include <vector>

#include "checktool/Lint.h"

namespace checktool {

// One run of the tool over `file`, whose bytes are `bytes`: every rule
// once, every diagnostic a result with its rule, level, line and column
// (in Unicode code points), and its fix as the message's second sentence.
std::string ToSarif(const std::string& file, std::string_view bytes,
                    const std::vector<Diagnostic>& diagnostics);

// A file path as a URI reference: relative paths stay relative, with "/"
// for separators; absolute ones become file: URIs. Reserved bytes are
// percent-encoded.
std::string PathToUri(const std::string& path);

}  // namespace checktool
