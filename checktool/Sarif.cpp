#include "checktool/Sarif.h"

#include <algorithm>
#include <cstdio>

#include "checktool/FileText.h"
#include "checktool/Json.h"
#include "platform/codepage.h"
#include "resources/version.h"

namespace checktool {
namespace {

// The base the results' places are relative to: the folder the tool ran in.
const char* const kBase = "%SRCROOT%";

// "the tag ..." and "end it ..." as two sentences of one message.
std::string TwoSentences(std::string message, std::string fix) {
  for (std::string* sentence : {&message, &fix})
    if (!sentence->empty() && (*sentence)[0] >= 'a' && (*sentence)[0] <= 'z') (*sentence)[0] -= 32;
  return message + ". " + fix + ".";
}

const char* Level(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '/' || path[0] == '\\'));
}

}  // namespace

std::string NormalPath(const std::string& path, const std::string& folder) {
  const std::string whole = IsAbsolute(path) || folder.empty() ? path : folder + "/" + path;
  std::string root;
  std::size_t at = 0;
  if (whole.size() >= 2 && whole[1] == ':') {
    root = whole.substr(0, 2);
    at = 2;
  }
  if (at < whole.size() && (whole[at] == '/' || whole[at] == '\\')) root += '/';
  std::vector<std::string> parts;
  for (std::size_t from = at; from <= whole.size();) {
    const std::size_t end = std::min(whole.find_first_of("/\\", from), whole.size());
    const std::string part = whole.substr(from, end - from);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") parts.pop_back();
      else if (root.empty()) parts.push_back(part);
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    from = end + 1;
  }
  std::string out = root;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? "/" : "") + parts[i];
  return out;
}

std::string PathToUri(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  std::string prefix;
  if (p.size() >= 2 && p[1] == ':') prefix = "file:///";
  else if (!p.empty() && p[0] == '/') prefix = "file://";
  std::string out;
  for (const char c : p) {
    const auto u = static_cast<unsigned char>(c);
    const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/' ||
                       (c == ':' && !prefix.empty());
    if (plain) {
      out += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", u);
      out += escaped;
    }
  }
  return prefix + out;
}

std::string ToSarif(const std::string& file, const std::string& currentFolder,
                    const std::vector<Diagnostic>& diagnostics) {
  const auto& rules = LintRules();
  const auto ruleIndex = [&](const std::string& id) {
    for (std::size_t i = 0; i < rules.size(); ++i)
      if (rules[i].id == id) return static_cast<std::int64_t>(i);
    return std::int64_t{-1};
  };
  // Relative to the folder the tool ran in where the file lies below it.
  // The base with its one trailing "/", also when it is the root.
  std::string base = NormalPath(currentFolder, "");
  if (!base.empty() && base.back() != '/') base += '/';
  const std::string path = NormalPath(file, base);
  const bool below =
      !base.empty() && path.size() > base.size() && path.compare(0, base.size(), base) == 0;
  const std::string uri = PathToUri(below ? path.substr(base.size()) : path);
  JsonWriter json;
  json.BeginObject();
  json.Key("$schema").String("https://json.schemastore.org/sarif-2.1.0.json");
  json.Key("version").String("2.1.0");
  json.Key("runs").BeginArray().BeginObject();
  json.Key("tool").BeginObject().Key("driver").BeginObject();
  json.Key("name").String("preflect-check");
  json.Key("version").String(ZANTRIX_VERSION_TEXT);
  json.Key("informationUri").String("https://www.zantrix.example/preflect-check");
  json.Key("rules").BeginArray();
  for (const LintRule& rule : rules) {
    json.BeginObject();
    json.Key("id").String(std::string(rule.id));
    json.Key("shortDescription").BeginObject().Key("text").String(std::string(rule.description)).EndObject();
    json.Key("help").BeginObject().Key("text").String(std::string(rule.help)).EndObject();
    json.EndObject();
  }
  json.EndArray().EndObject().EndObject();
  if (below) {
    json.Key("originalUriBaseIds").BeginObject().Key(kBase).BeginObject();
    json.Key("uri").String(PathToUri(base)).EndObject().EndObject();
  }
  json.Key("columnKind").String("unicodeCodePoints");
  json.Key("results").BeginArray();
  for (const Diagnostic& d : diagnostics) {
    json.BeginObject();
    json.Key("ruleId").String(d.rule);
    const std::int64_t index = ruleIndex(d.rule);
    if (index >= 0) json.Key("ruleIndex").Number(index);
    json.Key("level").String(Level(d.severity));
    json.Key("message").BeginObject().Key("text").String(TwoSentences(d.message, d.fix)).EndObject();
    json.Key("locations").BeginArray().BeginObject();
    json.Key("physicalLocation").BeginObject();
    json.Key("artifactLocation").BeginObject();
    json.Key("uri").String(uri);
    if (below) json.Key("uriBaseId").String(kBase);
    json.EndObject();
    json.Key("region").BeginObject();
    json.Key("startLine").Number(d.line);
    // Characters, which are code points: lint counts them so.
    json.Key("startColumn").Number(d.column);
    json.EndObject();
    json.EndObject().EndObject().EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.EndObject().EndArray();
  json.EndObject();
  return json.Text();
}

}  // namespace checktool
