#pragma once
// Lint's diagnostics as SARIF 2.1.0, the format code-scanning views and
// editors' problem panels read.
#include <string>
#include <string_view>
#include <vector>

#include "checktool/FileText.h"
#include "checktool/Lint.h"

namespace checktool {

// One run of the tool over `file`: every rule once, every diagnostic a
// result with its rule, level, line and column (in characters, which are
// Unicode code points),
// and its fix as the message's second sentence. The file's place is a URI
// relative to the folder the tool ran in (`currentFolder`, the base
// "%SRCROOT%"), as code-scanning services expect, or a whole file: URI
// when it lies outside that folder; either without "." or "..".
std::string ToSarif(const std::string& file, const std::string& currentFolder,
                    const std::vector<Diagnostic>& diagnostics);

// A file path as a URI reference: relative paths stay relative, with "/"
// for separators; absolute ones become file: URIs. Reserved bytes are
// percent-encoded.
std::string PathToUri(const std::string& path);

// `path` taken from `folder` when it is relative, with "." and ".." worked
// out and "/" for separators; a Windows drive's letter kept.
std::string NormalPath(const std::string& path, const std::string& folder);

}  // namespace checktool
