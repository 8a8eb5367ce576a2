#pragma once
// The products of a requirements file exactly as the checker will hold
// them: every field after inheritance and token replacement, in file
// order, with the line that set it.
#include <string>
#include <string_view>

namespace checktool {

// A text report of the file's bytes (ANSI, as the checker reads them).
// Folder tokens are replaced by the services installed: the real folders
// on Windows, placeholders that say which folder elsewhere.
struct SourceFile;
std::string ExplainFile(const SourceFile& source);

}  // namespace checktool
