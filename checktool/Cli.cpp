#include "checktool/Cli.h"

#include "checktool/ExplainFile.h"
#include "checktool/FileText.h"
#include "checktool/Json.h"
#include "checktool/Lint.h"
#include "checktool/Pin.h"
#include "checktool/RunReport.h"
#include "checktool/Sarif.h"
#include "checktool/ToolServices.h"
#include "resources/version.h"

namespace checktool {
namespace {

constexpr int kUsage = 3;

const char* const kHelp =
    "Usage: preflect-check COMMAND [OPTIONS] [FILE | FOLDER]\n"
    "\n"
    "Reads a requirements file (filespecs.xml) exactly as Zantrix Preflect does.\n"
    "\n"
    "Commands:\n"
    "  lint [--json | --sarif] [--werror] FILE\n"
    "      Reports each trap of the file's format with its line, column and rule,\n"
    "      in the form compilers use, as JSON, or as SARIF 2.1.0 for code-scanning\n"
    "      views. Exit status 0 without errors, 1 with errors (and with warnings\n"
    "      under --werror), 2 when FILE cannot be read.\n"
    "  explain FILE\n"
    "      The products as the checker will hold them: every field after\n"
    "      inheritance and folder tokens, with the line it came from.\n"
    "  pin FOLDER\n"
    "      Writes the SHA-256 of every packaged remedy's installer into its\n"
    "      sha256 in FOLDER's filespecs.xml, every other byte left as it was,\n"
    "      and says what it changed. Exit status 0, 1 when an installer is\n"
    "      missing or unreadable, 2 when the requirements file cannot be read\n"
    "      or written.\n"
    "  verify FOLDER\n"
    "      Checks every pinned installer against its sha256. Exit status 0 when\n"
    "      all match, 1 on a mismatch or a missing installer, 2 when the\n"
    "      requirements file cannot be read.\n"
    "  run [--json] [FOLDER]\n"
    "      Windows only. Checks the products of FOLDER\\filespecs.xml (default:\n"
    "      the current folder) on this machine and says for each whether it is\n"
    "      found and why. Writes nothing. Exit status 0 when all are found, 1\n"
    "      when some are missing, 2 when the requirements file cannot be read.\n"
    "\n"
    "Options:\n"
    "  --json     a JSON object instead of text\n"
    "  --sarif    lint: SARIF 2.1.0 instead of text\n"
    "  --werror   lint: warnings count as errors\n"
    "  --help     this text\n"
    "  --version  the tool's version\n"
    "\n"
    "A usage error ends with exit status 3.\n";

struct Options {
  std::string command;
  bool json = false, sarif = false, werror = false, help = false, version = false;
  std::vector<std::string> operands;
};

// The folder that holds a file named by a path of either kind of slash.
std::string FolderOf(const std::string& path, const std::string& current) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return current;
  if (slash == 0) return path.substr(0, 1);
  return path.substr(0, slash);
}

int Usage(Io& io, const std::string& problem) {
  io.err << "preflect-check: " << problem << "\nTry 'preflect-check --help'.\n";
  return kUsage;
}

std::string Coloured(const Io& io, const char* code, const std::string& text) {
  return io.colour ? std::string("\x1b[") + code + "m" + text + "\x1b[0m" : text;
}

// The file's bytes; says so on standard error when it cannot be read.
auto ReadOrSay(Io& io, const std::string& file) {
  auto bytes = io.readFile(file);
  if (!bytes) io.err << "preflect-check: cannot read " << file << "\n";
  return bytes;
}

int Lint(Io& io, const Options& o) {
  if (o.operands.size() != 1) return Usage(io, "lint takes one FILE");
  const std::string& file = o.operands[0];
  const auto bytes = ReadOrSay(io, file);
  if (!bytes) return 2;
  // %ZANTRIXDIR% is the folder the file lies in, as it is for the checker.
  const ToolServices services(FolderOf(file, io.currentFolder));
  const SourceFile source(*bytes);
  const std::vector<Diagnostic> found = checktool::Lint(source);
  int errors = 0, warnings = 0;
  for (const Diagnostic& d : found) (d.severity == Severity::Error ? errors : warnings)++;
  if (o.json && o.sarif) return Usage(io, "--json and --sarif exclude each other");
  if (o.sarif) {
    io.out << ToSarif(file, io.currentFolder, source, found);
  } else if (o.json) {
    JsonWriter json;
    json.BeginObject().Key("file").String(file);
    json.Key("errors").Number(errors).Key("warnings").Number(warnings);
    json.Key("diagnostics").BeginArray();
    for (const Diagnostic& d : found) {
      json.BeginObject();
      json.Key("line").Number(d.line).Key("column").Number(d.column);
      json.Key("severity").String(d.severity == Severity::Error ? "error" : "warning");
      json.Key("rule").String(d.rule).Key("message").String(d.message).Key("fix").String(d.fix);
      json.EndObject();
    }
    json.EndArray().EndObject();
    io.out << json.Text();
  } else {
    for (const Diagnostic& d : found) {
      const std::string where = file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": ";
      const bool error = d.severity == Severity::Error;
      io.out << Coloured(io, "1", where) << Coloured(io, error ? "1;31" : "1;35", error ? "error:" : "warning:")
             << " " << d.message << " [" << d.rule << "]\n"
             << Coloured(io, "1", where) << Coloured(io, "1;36", "note:") << " " << d.fix << "\n";
    }
    if (!found.empty())
      io.err << file << ": " << errors << (errors == 1 ? " error, " : " errors, ") << warnings
             << (warnings == 1 ? " warning\n" : " warnings\n");
  }
  return errors > 0 || (o.werror && warnings > 0) ? 1 : 0;
}

int Explain(Io& io, const Options& o) {
  if (o.operands.size() != 1) return Usage(io, "explain takes one FILE");
  if (o.json || o.sarif || o.werror) return Usage(io, "explain takes no options");
  const std::string& file = o.operands[0];
  const auto bytes = ReadOrSay(io, file);
  if (!bytes) return 2;
  const ToolServices services(FolderOf(file, io.currentFolder));
  io.out << ExplainFile(SourceFile(*bytes));
  return 0;
}

// FOLDER's requirements file, with the separator the folder is written with.
std::string SpecsIn(const std::string& folder) {
  const char slash = folder.find('\\') == std::string::npos && folder.find('/') != std::string::npos
                         ? '/' : '\\';
  return folder.empty() || folder.back() == slash ? folder + "filespecs.xml"
                                                   : folder + slash + "filespecs.xml";
}

int Pin(Io& io, const Options& o, bool write) {
  const char* command = write ? "pin" : "verify";
  if (o.operands.size() != 1) return Usage(io, std::string(command) + " takes one FOLDER");
  if (o.json || o.sarif || o.werror) return Usage(io, std::string(command) + " takes no options");
  std::string folder = o.operands[0];
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  const std::string file = SpecsIn(folder);
  const auto bytes = ReadOrSay(io, file);
  if (!bytes) return 2;
  const ToolServices services(folder);
  const SourceFile source(*bytes);
  const PinOutcome outcome = write ? PinRemedies(source, file) : VerifyPins(source, file);
  io.out << outcome.report;
  if (outcome.rewritten && !(io.writeFile && io.writeFile(file, *outcome.rewritten))) {
    io.err << "preflect-check: cannot write " << file << "\n";
    return 2;
  }
  return outcome.status;
}

int Run(Io& io, const Options& o) {
  if (!io.canRun) return Usage(io, "run checks this machine, which needs Windows");
  if (o.operands.size() > 1) return Usage(io, "run takes one FOLDER at most");
  if (o.werror || o.sarif) return Usage(io, "--werror and --sarif are for lint");
  std::string folder = o.operands.empty() ? io.currentFolder : o.operands[0];
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  const RunReport report = RunChecksIn(folder, o.json, io.machine);
  if (report.status == 2) {
    io.err << "preflect-check: " << report.error << "\n";
    return 2;
  }
  io.out << report.text;
  return report.status;
}

}  // namespace

int Main(const std::vector<std::string>& args, Io& io) {
  Options o;
  for (const std::string& arg : args) {
    if (arg == "--json") o.json = true;
    else if (arg == "--sarif") o.sarif = true;
    else if (arg == "--werror") o.werror = true;
    else if (arg == "--help" || arg == "-h") o.help = true;
    else if (arg == "--version") o.version = true;
    else if (arg.size() > 1 && arg[0] == '-') return Usage(io, "unknown option " + arg);
    else if (o.command.empty()) o.command = arg;
    else o.operands.push_back(arg);
  }
  if (o.help) {
    io.out << kHelp;
    return 0;
  }
  if (o.version) {
    io.out << "preflect-check " << ZANTRIX_VERSION_TEXT << "\n";
    return 0;
  }
  if (o.command == "lint") return Lint(io, o);
  if (o.command == "explain") return Explain(io, o);
  if (o.command == "run") return Run(io, o);
  if (o.command == "pin") return Pin(io, o, true);
  if (o.command == "verify") return Pin(io, o, false);
  return Usage(io, o.command.empty() ? "no command given" : "unknown command " + o.command);
}

}  // namespace checktool
