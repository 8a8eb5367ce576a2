#include "checktool/Sarif.h"

#include <cstdio>

#include "checktool/FileText.h"
#include "checktool/Json.h"
#include "platform/codepage.h"
#include "resources/version.h"

namespace checktool {
namespace {

// SARIF counts columns in code points; the diagnostics count bytes. In a
// file read as the legacy code page the two agree; in UTF-8 the bytes of a
// character count once, and the byte order mark not at all.
int CodePointColumn(std::string_view bytes, const Lines& lines, int line, int byteColumn) {
  if (platform::EncodingOf(bytes) != platform::StoredEncoding::Utf8) return byteColumn;
  std::size_t start = lines.StartOf(line);
  const std::size_t end = start + static_cast<std::size_t>(byteColumn - 1);
  if (line == 1) start = platform::kUtf8Bom.size();
  int column = 1;
  for (std::size_t i = start; i < end && i < bytes.size(); ++i)
    if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) ++column;
  return column;
}

// "the tag ..." and "end it ..." as two sentences of one message.
std::string TwoSentences(std::string message, std::string fix) {
  for (std::string* sentence : {&message, &fix})
    if (!sentence->empty() && (*sentence)[0] >= 'a' && (*sentence)[0] <= 'z') (*sentence)[0] -= 32;
  return message + ". " + fix + ".";
}

const char* Level(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

}  // namespace

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

std::string ToSarif(const std::string& file, std::string_view bytes,
                    const std::vector<Diagnostic>& diagnostics) {
  const auto& rules = LintRules();
  const auto ruleIndex = [&](const std::string& id) {
    for (std::size_t i = 0; i < rules.size(); ++i)
      if (rules[i].id == id) return static_cast<std::int64_t>(i);
    return std::int64_t{-1};
  };
  const Lines lines(bytes);
  JsonWriter json;
  json.BeginObject();
  json.Key("$schema").String("https://json.schemastore.org/sarif-2.1.0.json");
  json.Key("version").String("2.1.0");
  json.Key("runs").BeginArray().BeginObject();
  json.Key("tool").BeginObject().Key("driver").BeginObject();
  json.Key("name").String("preflect-check");
  json.Key("version").String(ZANTRIX_VERSION_TEXT);
  json.Key("rules").BeginArray();
  for (const LintRule& rule : rules) {
    json.BeginObject();
    json.Key("id").String(std::string(rule.id));
    json.Key("shortDescription").BeginObject().Key("text").String(std::string(rule.description)).EndObject();
    json.Key("help").BeginObject().Key("text").String(std::string(rule.help)).EndObject();
    json.EndObject();
  }
  json.EndArray().EndObject().EndObject();
  json.Key("columnKind").String("unicodeCodePoints");
  json.Key("artifacts").BeginArray().BeginObject();
  json.Key("location").BeginObject().Key("uri").String(PathToUri(file)).EndObject();
  json.EndObject().EndArray();
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
    json.Key("uri").String(PathToUri(file)).Key("index").Number(0);
    json.EndObject();
    json.Key("region").BeginObject();
    json.Key("startLine").Number(d.line);
    json.Key("startColumn").Number(CodePointColumn(bytes, lines, d.line, d.column));
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
