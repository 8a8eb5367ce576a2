#include "checktool/ToolPaths.h"

#include <vector>

namespace checktool {

std::string SystemPath(const std::string& path, char separator) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const bool slash = IsSeparator(path[i]);
    const bool share = separator == '\\' && i == 1 && slash && IsSeparator(path[0]);
    if (slash && !out.empty() && out.back() == separator && !share) continue;
    out += slash ? separator : path[i];
  }
  return out;
}

std::string TrimFolder(std::string folder) {
  const std::size_t root = folder.size() >= 2 && folder[1] == ':' ? 3 : 1;
  while (folder.size() > root && IsSeparator(folder.back())) folder.pop_back();
  return folder;
}

std::string JoinPath(const std::string& folder, const std::string& name, char separator) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + separator + name;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return "";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

bool IsAbsolutePath(const std::string& path, char separator) {
  if (separator != '\\') return !path.empty() && path[0] == '/';
  return (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) ||
         (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

std::string AbsoluteFolder(const std::string& folder, const std::string& current, char separator) {
  std::string whole = folder;
  if (!IsAbsolutePath(folder, separator)) {
    // A drive's root path ("\x") on Windows: on the current folder's drive.
    whole = separator == '\\' && !folder.empty() && IsSeparator(folder[0]) && current.size() >= 2 &&
                    current[1] == ':'
                ? current.substr(0, 2) + folder
                : JoinPath(current, folder, separator);
  }
  whole = SystemPath(whole, separator);
  // Its root, then its parts without "." (and without empty ones).
  std::string out;
  std::size_t from = 0;
  if (whole.size() >= 2 && whole[0] == separator && whole[1] == separator)
    from = 2;
  else if (!whole.empty() && whole[0] == separator)
    from = 1;
  else if (whole.size() >= 3 && whole[1] == ':' && whole[2] == separator)
    from = 3;
  const std::string root = whole.substr(0, from);
  while (from < whole.size()) {
    std::size_t end = whole.find(separator, from);
    if (end == std::string::npos) end = whole.size();
    const std::string part = whole.substr(from, end - from);
    if (!part.empty() && part != ".") out += (out.empty() ? "" : std::string(1, separator)) + part;
    from = end + 1;
  }
  return root + out;
}

}  // namespace checktool
