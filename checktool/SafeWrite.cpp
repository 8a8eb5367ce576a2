#include "checktool/SafeWrite.h"

namespace checktool {

std::string ReplaceWhole(FileReplacer& replacer, const std::string& path, std::string_view bytes,
                         const std::function<bool()>& unchanged) {
  std::string why = replacer.Create(path);
  if (!why.empty()) return "cannot make a new file beside it: " + why;
  const auto failed = [&](const char* step, const std::string& reason) {
    replacer.Discard();
    return std::string(step) + ": " + reason;
  };
  if (!(why = replacer.Write(bytes)).empty()) return failed("writing the new file failed", why);
  if (!(why = replacer.Flush()).empty())
    return failed("flushing the new file to the disk failed", why);
  if (!(why = replacer.Close()).empty()) return failed("closing the new file failed", why);
  if (unchanged && !unchanged())
    return failed("it changed while the tool ran", "run the command again");
  if (!(why = replacer.Replace()).empty())
    return failed("replacing it with the new file failed", why);
  return {};
}

}  // namespace checktool
