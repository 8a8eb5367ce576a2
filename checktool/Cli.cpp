#include "checktool/Cli.h"

#include <exception>

#include "checktool/ExplainFile.h"
#include "checktool/FileText.h"
#include "checktool/Json.h"
#include "checktool/Lint.h"
#include "checktool/Pin.h"
#include "checktool/RunReport.h"
#include "checktool/Sarif.h"
#include "checktool/ToolPaths.h"
#include "checktool/ToolServices.h"
#include "resources/version.h"

namespace checktool {
namespace {

constexpr int kUsage = 3;
const char* const kSpecs = "filespecs.xml";

const char* const kHelp =
    "Usage: preflect-check COMMAND [OPTIONS] [FILE | FOLDER]\n"
    "\n"
    "Reads a requirements file (filespecs.xml) exactly as Zantrix Preflect does.\n"
    "FOLDER is a program folder; its filespecs.xml is read. Where a FILE is\n"
    "asked for, a FOLDER stands for its filespecs.xml.\n"
    "\n"
    "Commands:\n"
    "  lint [--json | --sarif] [--werror] FILE\n"
    "      Reports each trap of the file's format with its line, column (in\n"
    "      characters) and rule, in the form compilers use, as JSON, or as SARIF\n"
    "      2.1.0 for code-scanning views. Exit status 0 without errors, 1 with\n"
    "      errors (and with warnings under --werror), 2 when FILE cannot be read.\n"
    "  explain FILE\n"
    "      The products as the checker will hold them: every field after\n"
    "      inheritance and folder tokens, with the line it came from.\n"
    "  pin [--check] [--json] FOLDER\n"
    "      Hashes every packaged remedy's installer and writes its SHA-256 into\n"
    "      the remedy's sha256 in FOLDER's filespecs.xml, every other byte left\n"
    "      as it was; the file is replaced whole, never left half-written. Says\n"
    "      each installer's result as it is known, what it changed once the file\n"
    "      is replaced, and a summary. --check changes nothing and exits 1 when a\n"
    "      pin would change. Exit status 0, 1 when an installer is missing or\n"
    "      unreadable or a sha256 cannot be written as it stands (then nothing\n"
    "      is written), 2 when the requirements file cannot be read or written.\n"
    "  verify [--allow-unpinned] [--json] FOLDER\n"
    "      Checks every packaged remedy's installer against its sha256, for a\n"
    "      packaging CI, and ends with a summary. Exit status 0 when all match,\n"
    "      1 on a mismatch, a missing installer or, unless --allow-unpinned, an\n"
    "      installer without a pin; 2 when the requirements file cannot be read.\n"
    "  run [--json] [FOLDER]\n"
    "      Windows only. Checks the products of FOLDER's filespecs.xml (default:\n"
    "      the current folder) on this machine and says for each whether it is\n"
    "      found and why. Writes nothing. Exit status 0 when all are found, 1\n"
    "      when some are missing, 2 when the requirements file cannot be read.\n"
    "\n"
    "Options:\n"
    "  --json            a JSON object instead of text\n"
    "  --sarif           lint: SARIF 2.1.0 instead of text\n"
    "  --werror          lint: warnings count as errors\n"
    "  --check           pin: change nothing; exit 1 when a pin would change\n"
    "  --allow-unpinned  verify: an installer without a pin is no failure\n"
    "  --help            this text\n"
    "  --version         the tool's version\n"
    "\n"
    "A usage error (an unknown or misplaced option, an empty or missing operand)\n"
    "ends with exit status 3.\n";

struct Options {
  std::string command;
  bool json = false, sarif = false, werror = false, check = false, allowUnpinned = false;
  bool help = false, version = false;
  std::vector<std::string> operands;
};

int Usage(Io& io, const std::string& problem) {
  io.err << "preflect-check: " << problem << "\nTry 'preflect-check --help'.\n";
  return kUsage;
}

// Options a command does not take; empty when it takes all it was given.
std::string Misplaced(const Options& o, bool json, bool sarif, bool werror, bool check,
                      bool allow) {
  if (o.json && !json) return "--json";
  if (o.sarif && !sarif) return "--sarif";
  if (o.werror && !werror) return "--werror";
  if (o.check && !check) return "--check";
  if (o.allowUnpinned && !allow) return "--allow-unpinned";
  return {};
}

// The operand a command takes, or a usage error's status.
int OneOperand(Io& io, const Options& o, const char* what) {
  if (o.operands.size() != 1)
    return Usage(
        io, o.command + " takes one " + what + (o.operands.empty() ? ", and none was given" : ""));
  if (o.operands[0].empty())
    return Usage(io, o.command + "'s " + what + " is empty (an unset variable?)");
  return 0;
}

std::string Coloured(const Io& io, const char* code, const std::string& text) {
  return io.colour ? std::string("\x1b[") + code + "m" + text + "\x1b[0m" : text;
}

struct Loaded {
  std::string file;  // as printed
  std::string bytes;
};

// A path the command line gave, as printed and opened: on Windows with its
// backslashes ("./quill/" is ".\quill\"); elsewhere as given, where a
// backslash may be part of a name.
std::string Printed(const Io& io, const std::string& path) {
  return io.separator == '\\' ? SystemPath(path, '\\') : path;
}

// Reads a requirements file, or says on standard error why it cannot and
// answers 2. A folder stands for its filespecs.xml where `folderMeansSpecs`.
int Load(Io& io, std::string path, bool folderMeansSpecs, Loaded& loaded) {
  path = Printed(io, path);
  FileRead read = io.readFile(path);
  if (read.kind == PathKind::Folder && folderMeansSpecs) {
    path = JoinPath(path, kSpecs, io.separator);
    read = io.readFile(path);
  }
  const auto cannot = [&](const std::string& why) {
    io.err << "preflect-check: cannot read " << path << ": " << why << "\n";
    return 2;
  };
  if (read.kind == PathKind::Folder) return cannot("it is a folder");
  if (read.kind == PathKind::Other) return cannot("it is a device, a pipe or a socket, not a file");
  if (!read.bytes) return cannot(read.reason.empty() ? "the system gave no reason" : read.reason);
  if (read.bytes->empty())
    return cannot(
        "it is empty (0 bytes), and the checker would find every product at once; "
        "restore it from its package or version control");
  loaded = {path, std::move(*read.bytes)};
  return 0;
}

int Lint(Io& io, const Options& o) {
  if (const std::string bad = Misplaced(o, true, true, true, false, false); !bad.empty())
    return Usage(io, bad + " is not an option of lint");
  if (o.json && o.sarif) return Usage(io, "--json and --sarif exclude each other");
  if (const int usage = OneOperand(io, o, "FILE")) return usage;
  Loaded loaded;
  if (const int status = Load(io, o.operands[0], true, loaded)) return status;
  const std::string& file = loaded.file;
  // %ZANTRIXDIR% is the folder the file lies in, as it is for the checker.
  const std::string folder = FolderOf(file);
  const ToolServices services(folder.empty() ? io.currentFolder : folder);
  const SourceFile source(loaded.bytes);
  const std::vector<Diagnostic> found = checktool::Lint(source);
  int errors = 0, warnings = 0;
  for (const Diagnostic& d : found) (d.severity == Severity::Error ? errors : warnings)++;
  if (o.sarif) {
    // Placed relative to the folder the tool runs in, however either was
    // reached: both with their links resolved where the system can say.
    std::string place = file, base = io.currentFolder;
    if (io.realFolder) {
      const std::string whole = IsAbsolutePath(file, io.separator)
                                    ? file
                                    : JoinPath(io.currentFolder, file, io.separator);
      const std::string dir =
          io.realFolder(FolderOf(whole).empty() ? std::string(1, io.separator) : FolderOf(whole));
      const std::string current = io.realFolder(io.currentFolder);
      if (!dir.empty() && !current.empty()) {
        place = JoinPath(dir, whole.substr(whole.find_last_of("\\/") + 1), io.separator);
        base = current;
      }
    }
    io.out << ToSarif(place, base, found);
  } else if (o.json) {
    JsonWriter json;
    json.BeginObject().Key("file").String(file);
    json.Key("columnUnit").String("characters");
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
  if (const std::string bad = Misplaced(o, false, false, false, false, false); !bad.empty())
    return Usage(io, "explain takes no options, and " + bad + " was given");
  if (const int usage = OneOperand(io, o, "FILE")) return usage;
  Loaded loaded;
  if (const int status = Load(io, o.operands[0], true, loaded)) return status;
  const std::string folder = FolderOf(loaded.file);
  const ToolServices services(folder.empty() ? io.currentFolder : folder);
  io.out << ExplainFile(SourceFile(loaded.bytes));
  return 0;
}

const char* FindingName(Finding f) {
  switch (f) {
    case Finding::Match: return "match";
    case Finding::Differ: return "differ";
    case Finding::Missing: return "missing";
    case Finding::NotPinned: return "notPinned";
  }
  return "missing";
}

const char* ProblemName(Problem p) {
  switch (p) {
    case Problem::None: return nullptr;
    case Problem::NotFound: return "notFound";
    case Problem::Folder: return "folder";
    case Problem::Device: return "device";
    case Problem::Unreadable: return "unreadable";
    case Problem::Address: return "address";
    case Problem::WindowsOnly: return "windowsOnly";
    case Problem::InvalidPin: return "invalidPin";
  }
  return nullptr;
}

void StringOrNull(JsonWriter& json, const std::string& key, const std::string& text) {
  json.Key(key);
  if (text.empty())
    json.Null();
  else
    json.String(text);
}

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// pin --json and verify --json (docs/preflect-check-pins.schema.json).
std::string PinsJson(const std::string& command, bool check, const std::string& file,
                     const std::string& folder, const PinPlan& plan, bool written, int status) {
  int counts[4] = {};
  for (const InstallerResult& r : plan.installers) ++counts[static_cast<int>(r.finding)];
  JsonWriter json;
  json.BeginObject();
  json.Key("tool").String("preflect-check").Key("version").String(ZANTRIX_VERSION_TEXT);
  json.Key("command").String(command).Key("check").Bool(check);
  json.Key("file").String(file).Key("folder").String(folder);
  json.Key("installers").BeginArray();
  for (const InstallerResult& r : plan.installers) {
    json.BeginObject();
    json.Key("line").Number(r.line).Key("product").String(r.product).Key("path").String(r.path);
    json.Key("result").String(FindingName(r.finding));
    json.Key("problem");
    if (const char* problem = ProblemName(r.problem))
      json.String(problem);
    else
      json.Null();
    StringOrNull(json, "reason", r.reason);
    StringOrNull(json, "pin", r.pin);
    StringOrNull(json, "sha256", r.actual.value_or(""));
    // What was written: true only once the file was replaced.
    json.Key("change");
    if (written && r.change != Change::None)
      json.String(r.change == Change::Pin ? "pinned" : "updated");
    else
      json.Null();
    StringOrNull(json, "refusal", r.refusal);
    json.EndObject();
  }
  json.EndArray();
  json.Key("summary").BeginObject();
  json.Key("installers").Number(static_cast<std::int64_t>(plan.installers.size()));
  json.Key("match").Number(counts[0]).Key("differ").Number(counts[1]);
  json.Key("missing").Number(counts[2]).Key("notPinned").Number(counts[3]);
  json.EndObject();
  json.Key("written").Bool(written).Key("status").Number(status);
  json.EndObject();
  return json.Text();
}

// pin and verify.
int Pins(Io& io, const Options& o, bool pinning) {
  const std::string command = o.command;
  if (const std::string bad = Misplaced(o, true, false, false, pinning, !pinning); !bad.empty())
    return Usage(io, bad + " is not an option of " + command);
  if (const int usage = OneOperand(io, o, "FOLDER")) return usage;
  const std::string given = TrimFolder(Printed(io, o.operands[0]));
  if (io.kindOf && io.kindOf(given) == PathKind::File)
    return Usage(io, command + " takes a FOLDER, and " + given +
                         " is a file: give the folder that holds " + kSpecs);
  Loaded loaded;
  if (const int status = Load(io, JoinPath(given, kSpecs, io.separator), false, loaded))
    return status;
  const std::string& file = loaded.file;
  const std::string folder = AbsoluteFolder(given, io.currentFolder, io.separator);
  const ToolServices services(folder);
  const SourceFile source(loaded.bytes);
  const auto where = [&](const InstallerResult& r) {
    return file + ":" + std::to_string(r.line) + ": " + r.path + ": ";
  };
  PinPlan plan =
      CheckInstallers(source, pinning, folder, io.separator, [&](const InstallerResult& r) {
        if (!o.json) io.out << where(r) << Sentence(r, pinning) << "\n" << std::flush;
      });
  int counts[4] = {};
  for (const InstallerResult& r : plan.installers) ++counts[static_cast<int>(r.finding)];
  const int match = counts[0], differ = counts[1], missing = counts[2], unpinned = counts[3];
  // A differing pin is a finding for verify; pin mends it.
  int status = missing > 0 || (!pinning && differ > 0) ? 1 : 0;
  if (!pinning && unpinned > 0 && !o.allowUnpinned) status = 1;
  bool written = false;
  if (pinning) {
    if (plan.refused) {
      status = 1;
      io.err << "preflect-check: " << file << " left as it was: write the sha256 named above as "
             << "sha256=\"...\" and run pin again\n";
    } else if (!plan.unsafe.empty()) {
      status = 1;
      io.err << "preflect-check: " << file << " left as it was: with the pins written, "
             << plan.unsafe << "\n";
    } else if (plan.rewritten && o.check) {
      status = 1;
    } else if (plan.rewritten) {
      std::string why = "writing is not available here";
      if (io.newReplacer) {
        const auto replacer = io.newReplacer();
        why = ReplaceWhole(*replacer, file, *plan.rewritten, [&] {
          const FileRead now = io.readFile(file);
          return now.bytes && *now.bytes == loaded.bytes;
        });
      }
      if (why.empty()) {
        written = true;
      } else {
        io.err << "preflect-check: cannot write " << file << ": " << why
               << "; nothing was written to it\n";
        status = 2;
      }
    }
  }
  if (o.json) {
    io.out << PinsJson(command, o.check, file, folder, plan, written, status);
    return status;
  }
  // What changed, now that it has.
  for (const InstallerResult& r : plan.installers) {
    if (!written || r.change == Change::None) continue;
    io.out << where(r);
    if (r.change == Change::Pin)
      io.out << "pinned " << *r.actual << "\n";
    else
      io.out << "pin updated to " << *r.actual << " (was " << Quoted(r.pin) << ")\n";
  }
  io.out << Plural(static_cast<int>(plan.installers.size()), "installer", "installers") << ": "
         << match << " match, " << differ
         << " differ, " << missing << " missing, " << unpinned << " not pinned\n";
  return status;
}

int Run(Io& io, const Options& o) {
  if (!io.canRun) return Usage(io, "run checks this machine, which needs Windows");
  if (const std::string bad = Misplaced(o, true, false, false, false, false); !bad.empty())
    return Usage(io, bad + " is not an option of run");
  if (o.operands.size() > 1) return Usage(io, "run takes one FOLDER at most");
  if (!o.operands.empty() && o.operands[0].empty())
    return Usage(io, "run's FOLDER is empty (an unset variable?)");
  const std::string given =
      o.operands.empty() ? io.currentFolder : TrimFolder(Printed(io, o.operands[0]));
  if (io.kindOf && io.kindOf(given) == PathKind::File)
    return Usage(io, "run takes a FOLDER, and " + given +
                         " is a file: give the folder that holds " + kSpecs);
  const RunReport report =
      RunChecksIn(AbsoluteFolder(given, io.currentFolder, io.separator), o.json, io.machine);
  if (report.status == 2) {
    io.err << "preflect-check: " << report.error << "\n";
    return 2;
  }
  io.out << report.text;
  return report.status;
}

int Dispatch(const std::vector<std::string>& args, Io& io) {
  Options o;
  bool commandGiven = false;
  for (const std::string& arg : args) {
    if (arg == "--json") o.json = true;
    else if (arg == "--sarif") o.sarif = true;
    else if (arg == "--werror") o.werror = true;
    else if (arg == "--check")
      o.check = true;
    else if (arg == "--allow-unpinned")
      o.allowUnpinned = true;
    else if (arg == "--help" || arg == "-h") o.help = true;
    else if (arg == "--version") o.version = true;
    else if (arg.size() > 1 && arg[0] == '-') return Usage(io, "unknown option " + arg);
    else if (!commandGiven) {
      o.command = arg;
      commandGiven = true;
    } else {
      o.operands.push_back(arg);
    }
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
  if (o.command == "pin") return Pins(io, o, true);
  if (o.command == "verify") return Pins(io, o, false);
  return Usage(io, o.command.empty() ? "no command given" : "unknown command " + o.command);
}

}  // namespace

int Main(const std::vector<std::string>& args, Io& io) {
  // Whatever the input, an answer and a status, never an abort.
  try {
    return Dispatch(args, io);
  } catch (const std::exception& e) {
    io.err << "preflect-check: " << e.what() << "\n";
  } catch (...) {
    io.err << "preflect-check: an unexpected failure\n";
  }
  return 2;
}

}  // namespace checktool
