// Lint's entries family: what the registry, file and remedy entries say,
// and the view they are checked in.
#include <algorithm>
#include <iterator>

#include "checktool/LintWatcher.h"
#include "platform/text.h"
#include "requirements/evidence.h"
#include "requirements/modCheck.h"
#include "requirements/numbers.h"

namespace checktool::lint {
namespace {

using modCheck::Requirement;
using modCheck::TagKind;

const char* const kTokens[] = {"%ZANTRIXDIR%", "%SYSTEMDIR%", "%WINDIR%"};

bool IsDottedNumbers(const std::string& text) {
  if (text.empty() || text.front() == '.' || text.back() == '.') return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] >= '0' && text[i] <= '9') && !(text[i] == '.' && text[i - 1] != '.')) return false;
  return true;
}

}  // namespace

// view= on each kind of tag: a value the reader knows, on a tag where it
// changes something.
void Watcher::CheckView(std::size_t offset, const Tag& tag, TagKind kind) {
  std::size_t at = 0;
  const auto view = RawAttribute(tag, "view", &at);
  if (!view) return;
  const bool registry = kind == TagKind::RegistryEntry, file = kind == TagKind::FileEntry;
  if (!registry && !file) {
    Add(offset + at, Severity::Warning, "view-no-effect",
        "view is read only on <registryEntry> and <fileEntry>, so here it changes nothing",
        "move view=\"" + *view + "\" to the registry or file entry it is meant for");
    return;
  }
  bool known = false;
  modCheck::ViewBits(*view, &known);
  const char* entry = registry ? "registry entry" : "file entry";
  if (!known)
    Add(offset + at, Severity::Error, "unknown-view",
        "view " + Quoted(*view) + " is neither \"64\" nor \"32\", so the " + entry +
            " is checked on the program's own side, as without it",
        registry ? "write view=\"64\" for the 64-bit registry, view=\"32\" for the 32-bit one"
                 : "write view=\"64\" for the 64-bit file system, or leave view out");
  else if (file && *view == "32")
    Add(offset + at, Severity::Warning, "view-no-effect",
        "view=\"32\" on a file entry changes nothing: the checker is a 32-bit program and "
        "sees the 32-bit file system by itself",
        "leave view out, or write view=\"64\" to check the 64-bit system folder");
}

void Watcher::CheckRegistryEntry(std::size_t offset, const Tag& tag, const Requirement& work) {
  if (work.RegKey.empty()) return;  // clears the entry: nothing is read
  const std::size_t node = platform::FindNoCase(work.RegKey, "wow6432node");
  if (node != std::string::npos) {
    std::size_t at = 0;
    RawAttribute(tag, "key", &at);
    std::string plain = work.RegKey;
    plain.erase(node, 11);
    if (plain.compare(node, 1, "\\") == 0) plain.erase(node, 1);
    else if (node > 0 && plain[node - 1] == '\\') plain.erase(node - 1, 1);
    Add(offset + at, Severity::Warning, "wow6432node",
        "the key names WOW6432Node, where 64-bit Windows keeps the 32-bit registry view; 32-bit "
        "Windows has no such key, so there the entry is never found",
        "write key=\"" + plain + "\" view=\"32\" to read the 32-bit view on every Windows");
  }
  const auto check = [&](const char* attribute, const auto& names, const char* example) {
    std::size_t at = 0;
    const std::string value = RawAttribute(tag, attribute, &at).value_or("");
    const std::string fix = std::string("write ") + attribute + "=\"" + example +
                            "\" (or another name, exactly in capitals)";
    if (std::any_of(names.begin(), names.end(),
                    [&](const modCheck::NamedNumber& n) { return n.name == value; }))
      return;
    const auto number = requirements::ParseInt32(value, true);
    const std::string rule = std::string("unknown-") + attribute;
    if (value.empty())
      Add(offset + at, Severity::Error, rule.c_str(),
          std::string("the registry entry has no ") + attribute +
              ", so the entry is never found",
          fix);
    else if (!number)
      Add(offset + at, Severity::Error, rule.c_str(),
          std::string(attribute) + " " + Quoted(value) + " is neither one of the " + attribute +
              " names, written exactly in capitals, nor a number, so the entry is never found",
          fix);
    else if (std::string_view(attribute) == "root" &&
             modCheck::RootName(*number) == std::to_string(*number))
      Add(offset + at, Severity::Error, rule.c_str(),
          "root " + value + " is not one of the five registry roots, so the entry is never "
          "found",
          fix);
  };
  check("root", modCheck::kRootNames, "HKEY_LOCAL_MACHINE");
  check("type", modCheck::kTypeNames, "REG_SZ");
}

void Watcher::CheckTokens(std::size_t offset, const Tag& tag, const char* attribute) {
  std::size_t at = 0;
  const auto value = RawAttribute(tag, attribute, &at);
  if (!value) return;
  // The token the reader replaces (the first of the first kind it finds)
  // stands for a folder without its trailing backslash.
  const std::string lowerValue = platform::LowerCase(*value);
  for (const char* token : kTokens) {
    const std::size_t found = lowerValue.find(platform::LowerCase(token));
    if (found == std::string::npos) continue;
    const std::size_t after = found + std::string_view(token).size();
    if (after < value->size() && (*value)[after] != '\\' && (*value)[after] != '/')
      Add(offset + at, Severity::Error, "token-without-backslash",
          std::string(token) + " stands for its folder without a trailing backslash, so " +
              attribute + " runs the folder's name into " + Quoted(value->substr(after)),
          "write a backslash after the token: " + std::string(attribute) + "=\"" +
              value->substr(0, after) + "\\" + value->substr(after) + "\"");
    break;
  }
  int known = 0;
  for (std::size_t from = 0;;) {
    const std::size_t open = value->find('%', from);
    if (open == std::string::npos) break;
    const std::size_t close = value->find('%', open + 1);
    if (close == std::string::npos) break;
    const std::string token = value->substr(open, close - open + 1);
    const std::string lower = platform::LowerCase(token);
    const bool isKnown = std::any_of(std::begin(kTokens), std::end(kTokens), [&](const char* t) {
      return platform::LowerCase(t) == lower;
    });
    if (!isKnown && token.size() > 2 &&
        token.find_first_of(" \\/:") == std::string::npos)
      Add(offset + at, Severity::Warning, "unknown-token",
          token + " in " + attribute + " is not a folder token, so it stays as written",
          "use %ZANTRIXDIR%, %SYSTEMDIR% or %WINDIR%");
    if (isKnown && ++known == 2)
      Add(offset + at, Severity::Warning, "second-token",
          "only the first folder token in " + std::string(attribute) + " is replaced; " + token +
              " stays as written",
          "write the second folder out in full, or split the value");
    from = isKnown || token.size() <= 2 ? close + 1 : open + 1;
  }
}

void Watcher::CheckFileEntry(std::size_t offset, const Tag& tag, const Requirement& work) {
  CheckTokens(offset, tag, "dir");
  std::size_t at = 0;
  const auto dir = RawAttribute(tag, "dir", &at);
  const std::string name = platform::TrimSpaces(work.FileName);
  if (dir && !work.FileDir.empty() && work.FileDir.back() != '\\' && !name.empty() &&
      name.front() != '\\' && platform::LowerCase(name) != "%regvalue%")
    Add(offset + at, Severity::Error, "dir-without-backslash",
        "dir " + Quoted(work.FileDir) + " does not end with a backslash, so the path is " +
            Quoted(work.FileDir + work.FileName),
        "end dir with a backslash: dir=\"" + *dir + "\\\"");
  std::size_t vat = 0;
  if (RawAttribute(tag, "version", &vat) && !work.FileVersion.empty() &&
      !IsDottedNumbers(work.FileVersion))
    Add(offset + vat, Severity::Error, "version-not-numbers",
        "version " + Quoted(work.FileVersion) + " is not dotted decimal numbers, so no file "
        "ever meets it",
        "write the version as numbers, e.g. version=\"7.0.0.0\"");
}

void Watcher::CheckRemedy(std::size_t offset, const Tag& tag, const Requirement& work) {
  CheckTokens(offset, tag, "location");
  std::size_t at = 0;
  if (RawAttribute(tag, "source", &at) && work.RemedySource != "web" &&
      platform::LowerCase(work.RemedySource) == "web")
    Add(offset + at, Severity::Warning, "web-case",
        "source " + Quoted(work.RemedySource) + " differs from \"web\" only in letter case, so "
        "Acquire runs the location as an installer instead of opening it in the browser",
        "write source=\"web\" in small letters");
  std::size_t locationAt = 0;
  const std::string written = RawAttribute(tag, "location", &locationAt).value_or("");
  const std::string location = platform::LowerCase(written);
  if (work.RemedySource != "web" && platform::LowerCase(work.RemedySource) != "web") {
    for (const char* scheme : {"http://", "https://", "ftp://", "www."})
      if (location.rfind(scheme, 0) == 0) {
        Add(offset + locationAt, Severity::Warning, "address-not-web",
            "the location is a web address but the source is not \"web\", so Acquire treats it as "
            "a packaged installer: it asks to run an installer, and a pin can never match",
            "write source=\"web\"");
        break;
      }
    // "setup.exe /quiet": the shell is handed the whole text as a file name.
    for (const char* type : {".exe", ".msi", ".bat", ".cmd", ".com"}) {
      const std::size_t end = location.find(type);
      if (end == std::string::npos) continue;
      const std::size_t next = location.find_first_not_of(' ', end + 4);
      if (next > end + 4 && next != std::string::npos &&
          (location[next] == '/' || location[next] == '-')) {
        Add(offset + locationAt, Severity::Error, "arguments-in-location",
            "the location holds arguments after the installer's name, and the checker hands the "
            "whole text to the shell as one file name, which does not exist",
            "name the installer alone: location=\"" + written.substr(0, end + 4) +
                "\" (the checker passes no arguments; use an installer, or a .cmd beside it, that "
                "needs none)");
        break;
      }
    }
  }
  if (work.RemedyLocation.empty())
    Add(offset, Severity::Warning, "empty-location",
        "the remedy has no location, so Acquire hands the shell nothing to open",
        "give the remedy a location=\"...\"");
  std::size_t pinAt = 0;
  const auto pin = RawAttribute(tag, "sha256", &pinAt);
  if (!pin) return;
  if (!modCheck::ParseSha256(*pin))
    Add(offset + pinAt, Severity::Error, "sha256-malformed",
        "sha256 " + Quoted(*pin) + " is not 64 hexadecimal digits, so Acquire refuses to start "
        "the installer",
        "run preflect-check pin on the program folder, or write the installer's SHA-256");
  else if (work.RemedySource == "web")
    Add(offset + pinAt, Severity::Warning, "sha256-on-web",
        "a web remedy is opened in the browser, not checked, so sha256 changes nothing",
        "leave sha256 out of web remedies");
}

}  // namespace checktool::lint
