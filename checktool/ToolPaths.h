#pragma once
// Paths as the tool joins, opens and prints them: FOLDER in any form a
// command line gives it, and every path printed with the system's own
// separator (`separator`, '\\' on Windows, '/' elsewhere).
#include <string>

namespace checktool {

inline bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Every separator as the system's own, and a run of them as one (a
// Windows share keeps its leading two).
std::string SystemPath(const std::string& path, char separator);

// FOLDER without its trailing separators; a root keeps its own ("/", "C:\").
std::string TrimFolder(std::string folder);

// `name` in `folder`, joined by one separator.
std::string JoinPath(const std::string& folder, const std::string& name, char separator);

// The folder a file lies in ("" for a bare name: the current folder).
std::string FolderOf(const std::string& path);

// Whether the path is absolute on that system ('\\': Windows' rules, where
// "\x" is on the current drive and so not).
bool IsAbsolutePath(const std::string& path, char separator);

// `folder` as a whole path, taken from `current` when it is relative, with
// the system's separators and its "." parts dropped (".." is left to the
// system, which knows where links lead).
std::string AbsoluteFolder(const std::string& folder, const std::string& current, char separator);

}  // namespace checktool
