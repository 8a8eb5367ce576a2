// preflect-check: every lint rule on a file that has its trap and on one
// that does not, explain on inheritance and tokens, the JSON of run, pin
// and verify against their schemas, pin's writes and refusals, the exit
// statuses, and the native tool on real files.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "checktool/Cli.h"
#include "checktool/ExplainFile.h"
#include "checktool/FileText.h"
#include "checktool/Lint.h"
#include "checktool/ToolServices.h"
#include "requirements/modCheck.h"
#include "requirements/reader.h"
#include "tests/doubles/fake_os.h"
#include "tests/unit/json_schema.h"

namespace {

std::string ReadSource(const std::string& path) {
  std::ifstream file(std::string(PREFLECT_SOURCE_DIR) + "/" + path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::pair<int, std::string>> Found(const std::string& text) {
  std::vector<std::pair<int, std::string>> found;
  for (const auto& d : checktool::Lint(text)) found.emplace_back(d.line, d.rule);
  return found;
}

// A file of products that set every entry themselves, so that none
// inherits; `body` is the product (or products) under test.
std::string File(const std::string& body) {
  return "<systemSearch>\r\n" + body + "\r\n</systemSearch>\r\n";
}
std::string Product(const std::string& name, const std::string& entries) {
  return "<product name=\"" + name + "\">" + entries + "</product>";
}
const std::string kNoRegistry = "<registryEntry key=\"\"/>";
const std::string kNoFile = "<fileEntry name=\"\"/>";
const std::string kRemedy = "<remedy source=\"web\" location=\"http://www.zantrix.example/\"/>";
// A well-formed pin, in capitals as some tools write them.
const std::string kPin = "3A7BD3E2360A3D29EEA436FCFB7E44C735D117C42D1C1835420B6B9942DD4F1B";
const std::string kRegistry =
    "<registryEntry root=\"HKEY_CURRENT_USER\" key=\"Software\\Z\" value=\"v\" type=\"REG_SZ\"/>";

TEST(Lint, EveryTrapOnceAtItsLine) {
  fakes::FakeOs os;
  EXPECT_EQ(Found(ReadSource("tests/unit/data/every-trap.xml")),
            (std::vector<std::pair<int, std::string>>{
                {3, "inherited-fields"},     {4, "nameless-product"},
                {5, "gt-in-value"},          {6, "blank-before-equals"},
                {7, "single-quotes"},        {8, "unknown-root"},
                {9, "unknown-type"},         {10, "regvalue-without-registry"},
                {11, "dir-without-backslash"}, {12, "version-not-numbers"},
                {13, "unknown-token"},       {14, "second-token"},
                {15, "web-case"},            {16, "empty-location"},
                {17, "duplicate-name"},      {18, "unclosed-product"}}));
}

// Each rule: a file with its trap, and the same file written as meant.
TEST(Lint, EachRuleFiresOnItsTrapOnly) {
  fakes::FakeOs os;
  const std::string file = kNoRegistry + "<fileEntry name=\"a.dll\" dir=\"C:\\Tools\\\"";
  struct Case {
    const char* rule;
    std::string trap, meant;
  };
  const Case cases[] = {
      {"inherited-fields", Product("A", kRegistry + kNoFile + kRemedy) + Product("B", ""),
       Product("A", kRegistry + kNoFile + kRemedy) + Product("B", kNoRegistry + kNoFile + kRemedy)},
      {"unclosed-product",
       Product("B", kNoRegistry + kNoFile + kRemedy) + "<product name=\"A\">" + kNoRegistry + kNoFile + kRemedy,
       Product("B", kNoRegistry + kNoFile + kRemedy) + Product("A", kNoRegistry + kNoFile + kRemedy)},
      {"nameless-product",
       "<product>" + kNoRegistry + kNoFile + kRemedy + "</product>" + Product("B", kNoRegistry + kNoFile + kRemedy),
       Product("A", kNoRegistry + kNoFile + kRemedy) + Product("B", kNoRegistry + kNoFile + kRemedy)},
      {"gt-in-value", Product("A", kNoRegistry + "<fileEntry name=\"a>b.dll\" dir=\"C:\\\"/>" + kRemedy),
       Product("A", kNoRegistry + "<fileEntry name=\"ab.dll\" dir=\"C:\\\"/>" + kRemedy)},
      {"blank-before-equals", Product("A", kNoRegistry + "<fileEntry name = \"a.dll\" dir=\"C:\\\"/>" + kRemedy),
       Product("A", kNoRegistry + "<fileEntry name=\"a.dll\" dir=\"C:\\\"/>" + kRemedy)},
      {"single-quotes", Product("A", file + " version='1.0'/>" + kRemedy),
       Product("A", file + " version=\"1.0\"/>" + kRemedy)},
      {"unknown-root",
       Product("A", "<registryEntry root=\"HKEY_LOCAL_MACHINE \" key=\"K\" type=\"REG_SZ\"/>" + kNoFile + kRemedy),
       Product("A", "<registryEntry root=\"-2147483646\" key=\"K\" type=\"REG_SZ\"/>" + kNoFile + kRemedy)},
      {"unknown-type",
       Product("A", "<registryEntry root=\"HKEY_USERS\" key=\"K\" type=\"Reg_Sz\"/>" + kNoFile + kRemedy),
       Product("A", "<registryEntry root=\"HKEY_USERS\" key=\"K\" type=\"1\"/>" + kNoFile + kRemedy)},
      {"regvalue-without-registry", Product("A", kNoRegistry + "<fileEntry name=\"%REGVALUE%\"/>" + kRemedy),
       Product("A", kRegistry + "<fileEntry name=\" %regvalue% \"/>" + kRemedy)},
      {"dir-without-backslash", Product("A", kNoRegistry + "<fileEntry name=\"a.dll\" dir=\"%SYSTEMDIR%\"/>" + kRemedy),
       Product("A", kNoRegistry + "<fileEntry name=\"a.dll\" dir=\"%SYSTEMDIR%\\\"/>" + kRemedy)},
      {"version-not-numbers", Product("A", file + " version=\"1..2\"/>" + kRemedy),
       Product("A", file + " version=\"1.2\"/>" + kRemedy)},
      {"unknown-token", Product("A", kNoRegistry + kNoFile + "<remedy source=\"x\" location=\"%TEMP%\\s.exe\"/>"),
       Product("A", kNoRegistry + kNoFile + "<remedy source=\"x\" location=\"%windir%\\s.exe\"/>")},
      {"second-token", Product("A", kNoRegistry + "<fileEntry name=\"a\" dir=\"%WINDIR%\\%SYSTEMDIR%\\\"/>" + kRemedy),
       Product("A", kNoRegistry + "<fileEntry name=\"a\" dir=\"%WINDIR%\\System32\\\"/>" + kRemedy)},
      {"web-case", Product("A", kNoRegistry + kNoFile + "<remedy source=\"WEB\" location=\"http://x/\"/>"),
       Product("A", kNoRegistry + kNoFile + "<remedy source=\"web\" location=\"http://x/\"/>")},
      {"empty-location", Product("A", kNoRegistry + kNoFile + "<remedy source=\"web\"/>"),
       Product("A", kNoRegistry + kNoFile + kRemedy)},
      {"duplicate-name", Product("A", kNoRegistry + kNoFile + kRemedy) + Product("A", kNoRegistry + kNoFile + kRemedy),
       Product("A", kNoRegistry + kNoFile + kRemedy) + Product("a", kNoRegistry + kNoFile + kRemedy)},
      {"empty-file", "", Product("A", kNoRegistry + kNoFile + kRemedy)},
      {"unknown-view",
       Product("A", "<registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"K\" type=\"REG_SZ\" view=\"x64\"/>" + kNoFile + kRemedy),
       Product("A", "<registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"K\" type=\"REG_SZ\" view=\"64\"/>" + kNoFile + kRemedy)},
      {"wow6432node",
       Product("A", "<registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"SOFTWARE\\Wow6432Node\\Z\" type=\"REG_SZ\"/>" + kNoFile + kRemedy),
       Product("A", "<registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"SOFTWARE\\Z\" type=\"REG_SZ\" view=\"32\"/>" + kNoFile + kRemedy)},
      {"utf8-without-bom", Product("Caf\xC3\xA9", kNoRegistry + kNoFile + kRemedy),
       Product("Caf\xE9", kNoRegistry + kNoFile + kRemedy)},
      {"view-no-effect", Product("A", file + " view=\"32\"/>" + kRemedy),
       Product("A", file + " view=\"\"/>" + kRemedy)},
      {"sha256-malformed", Product("A", kNoRegistry + kNoFile + "<remedy location=\"s.exe\" sha256=\"" + kPin.substr(1) + "\"/>"),
       Product("A", kNoRegistry + kNoFile + "<remedy location=\"s.exe\" sha256=\"" + kPin + "\"/>")},
      {"sha256-on-web", Product("A", kNoRegistry + kNoFile + "<remedy source=\"web\" location=\"http://x/\" sha256=\"" + kPin + "\"/>"),
       Product("A", kNoRegistry + kNoFile + "<remedy source=\"web\" location=\"http://x/\"/>")},
      // Files that start with a mark are taken whole, the product on line 1.
      {"invalid-bytes", "\xEF\xBB\xBF" + Product("Caf\xE9", kNoRegistry + kNoFile + kRemedy),
       "\xEF\xBB\xBF" + Product("Caf\xC3\xA9", kNoRegistry + kNoFile + kRemedy)},
      {"not-text", "\xFF\xFE<", "\xEF\xBB\xBF" + Product("A", kNoRegistry + kNoFile + kRemedy)},
      {"not-text", Product(std::string("A\0B", 3), kNoRegistry + kNoFile + kRemedy), Product("AB", kNoRegistry + kNoFile + kRemedy)},
      {"conflict-marker", "<<<<<<< HEAD\r\n" + Product("A", kNoRegistry + kNoFile + kRemedy),
       "<<<<<<<HEAD\r\n" + Product("A", kNoRegistry + kNoFile + kRemedy)},
      {"tag-in-comment", Product("A", kNoRegistry + kNoFile + kRemedy + "<!-- old: " + kRemedy + " -->"),
       Product("A", kNoRegistry + kNoFile + kRemedy + "<!-- the old remedy, gone -->")},
      {"unquoted-value", Product("A", file + " version=1.2.0.0/>" + kRemedy), Product("A", file + " version=\"1.2.0.0\"/>" + kRemedy)},
      {"entity", Product("A", kNoRegistry + "<fileEntry name=\"a&amp;b.dll\" dir=\"C:\\\"/>" + kRemedy),
       Product("A", kNoRegistry + "<fileEntry name=\"a&b.dll\" dir=\"C:\\\"/>" + kRemedy)},
      {"duplicate-attribute", Product("A", kNoRegistry + "<fileEntry name=\"a.dll\" dir=\"C:\\\" name=\"b.dll\"/>" + kRemedy),
       Product("A", kNoRegistry + "<fileEntry name=\"a.dll\" dir=\"C:\\\"/>" + kRemedy)},
      {"arguments-in-location", Product("A", kNoRegistry + kNoFile + "<remedy location=\"%ZANTRIXDIR%\\vc_redist.x86.exe /quiet\"/>"),
       Product("A", kNoRegistry + kNoFile + "<remedy location=\"%ZANTRIXDIR%\\vc_redist.x86.exe\"/>")},
      {"address-not-web", Product("A", kNoRegistry + kNoFile + "<remedy source=\"package\" location=\"https://x/s.exe\"/>"),
       Product("A", kNoRegistry + kNoFile + "<remedy source=\"web\" location=\"https://x/s.exe\"/>")},
      {"token-without-backslash", Product("A", kNoRegistry + kNoFile + "<remedy location=\"%ZANTRIXDIR%Installers\\s.exe\"/>"),
       Product("A", kNoRegistry + kNoFile + "<remedy location=\"%ZANTRIXDIR%\\Installers\\s.exe\"/>")},
      {"token-without-backslash", Product("A", kNoRegistry + "<fileEntry name=\"a.sys\" dir=\"%SYSTEMDIR%drivers\\\"/>" + kRemedy),
       Product("A", kNoRegistry + "<fileEntry name=\"a.sys\" dir=\"%SYSTEMDIR%\\drivers\\\"/>" + kRemedy)},
  };
  const auto whole = [](const std::string& body) {
    return body.rfind("\xEF\xBB\xBF", 0) == 0 || body.rfind("\xFF\xFE", 0) == 0 ? body : File(body);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    const auto trap = Found(whole(c.trap));
    ASSERT_EQ(trap.size(), 1u) << whole(c.trap);
    EXPECT_EQ(trap[0].second, c.rule);
    EXPECT_EQ(trap[0].first, whole(c.trap) == c.trap || std::string(c.rule) == "empty-file" ? 1 : 2);
    EXPECT_EQ(Found(whole(c.meant)), (std::vector<std::pair<int, std::string>>{})) << whole(c.meant);
  }
}

// The fix for a key through WOW6432Node is the plain key with view="32".
TEST(Lint, Wow6432NodeFix) {
  fakes::FakeOs os;
  for (const auto& [key, plain] : {std::pair{"SOFTWARE\\WOW6432Node\\Pcap", "SOFTWARE\\Pcap"},
                                   std::pair{"Wow6432Node\\Pcap", "Pcap"}}) {
    const auto found = checktool::Lint(File(Product(
        "A", "<registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"" + std::string(key) + "\" type=\"REG_SZ\"/>" + kNoFile + kRemedy)));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].fix, "write key=\"" + std::string(plain) +
                                "\" view=\"32\" to read the 32-bit view on every Windows");
  }
}

// UTF-8 without its mark: noted at the first character beyond ASCII with
// how the window would show it; with the mark, or in Windows-1252, not.
TEST(Lint, Utf8WithoutTheMark) {
  fakes::FakeOs os;
  const std::string body = Product("\xD0\x94\xD0\xB5\xD0\xBC\xD0\xBE", kNoRegistry + kNoFile + kRemedy);
  const auto found = checktool::Lint(File("\n" + body));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].line, 3);
  EXPECT_EQ(found[0].column, 16);
  EXPECT_EQ(found[0].message,
            "the file is UTF-8 but has no byte order mark, so the checker reads it as Windows-1252 "
            "and its names look wrong in the window (\"\xC3\x90\xE2\x80\x9D\" for \"\xD0\x94\")");
  EXPECT_TRUE(checktool::Lint("\xEF\xBB\xBF" + File(body)).empty());
  // Not UTF-8 at all (an overlong form): read as Windows-1252, as meant.
  EXPECT_TRUE(checktool::Lint(File(Product("\xC0\xAF", kNoRegistry + kNoFile + kRemedy))).empty());
}

TEST(Lint, MoreThan32767ProductsOnce) {
  fakes::FakeOs os;
  std::string body;
  for (int i = 0; i < 32769; ++i)
    body += Product("P" + std::to_string(i), kNoRegistry + kNoFile + kRemedy) + "\n";
  const auto found = Found(File(body));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], (std::pair<int, std::string>{32769, "too-many-products"}));
}

TEST(Lint, TheDemoFileIsClean) {
  fakes::FakeOs os;
  EXPECT_TRUE(Found(ReadSource("scripts/demo-folder/filespecs.xml")).empty());
}

TEST(Explain, FieldsAfterInheritanceAndTokensWithTheirLines) {
  fakes::FakeOs os;
  const std::string text = checktool::ExplainFile(checktool::SourceFile(
      "<systemSearch>\n"
      "<product name=\"A\"><registryEntry root=\"HKEY_CURRENT_USER\" key=\"K\" value=\"v\" "
      "type=\"REG_SZ\"/>\n"
      "<fileEntry name=\"a.dll\" dir=\"%SYSTEMDIR%\\\" version=\"2.0\"/></product>\n"
      "<product name=\"B\"><remedy source=\"web\" location=\"%ZANTRIXDIR%\\%WINDIR%\"/></product>\n"
      "<product name=\"C\"><registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"K\" type=\"REG_SZ\" "
      "view=\"64\"/><fileEntry name=\"c.sys\" view=\"32\"/></product>\n"
      "</systemSearch>\n"));
  // Columns aside: blanks between the parts count as one.
  const auto squeeze = [](std::string t) {
    std::string out;
    for (const char c : t)
      if (c != ' ' || out.empty() || out.back() != ' ') out += c;
    return out;
  };
  const std::string squeezed = squeeze(text);
  EXPECT_EQ(text.rfind("Read as Windows-1252, the system's legacy code page: the file has no UTF-8 "
                       "byte order mark.\n", 0), 0u);
  EXPECT_EQ(checktool::ExplainFile(checktool::SourceFile("\xEF\xBB\xBF")).rfind("Read as UTF-8: the file starts with the "
                                                      "UTF-8 byte order mark.\n", 0), 0u);
  for (const char* line : {
           "1. \"A\", product tag at line 2",
           " registry root HKEY_CURRENT_USER line 2",
           " file folder \"C:\\windows\\system32\\\" line 3",
           "2. \"B\", product tag at line 4",
           " file name \"a.dll\" line 3, inherited from \"A\"",
           " remedy location \"C:\\Program Files\\Zantrix\\Preflect\\%WINDIR%\" line 4",
           " tested by: the registry and the file (the file decides)",
           " registry view (the program's own) line 2",
           " registry view \"64\" (the 64-bit registry) line 5",
           " file view \"32\" (no effect) line 5"})
    EXPECT_NE(squeezed.find(std::string(line) + "\n"), std::string::npos) << line << "\nin:\n" << text;
}

// Replaces a file of the map as the real steps would, failing at the step
// `failAt` names ("change" edits the file under it before the swap).
struct MapReplacer : checktool::FileReplacer {
  std::map<std::string, std::string>& files;
  std::string failAt, path, temp;
  MapReplacer(std::map<std::string, std::string>& f, std::string step) : files(f), failAt(std::move(step)) {}
  std::string Step(const char* step, const char* reason) { return failAt == step ? reason : ""; }
  std::string Create(const std::string& p) override {
    path = p;
    temp = p + ".new";
    if (failAt == "create") return "Disk quota exceeded";
    files[temp];
    return {};
  }
  std::string Write(std::string_view bytes) override {
    files[temp] += bytes.substr(0, failAt == "write" ? bytes.size() / 2 : bytes.size());
    return Step("write", "No space left on device");
  }
  std::string Flush() override { return Step("flush", "Input/output error"); }
  std::string Close() override {
    if (failAt == "change") files[path] += "<!-- edited meanwhile -->";
    return Step("close", "The network name is no longer available");
  }
  std::string Replace() override {
    if (failAt == "replace") return "Access is denied";
    files[path] = files[temp];
    files.erase(temp);
    return {};
  }
  void Discard() override { files.erase(temp); }
};

struct Cli : ::testing::Test {
  fakes::FakeOs os;
  std::ostringstream out, err;
  checktool::Io io{out, err};
  std::map<std::string, std::string> files;
  std::map<std::string, checktool::PathKind> kinds;  // folders, devices; File: unreadable
  std::string failAt;                                // the replacement's step that fails
  const std::string folder = "C:\\Program Files\\Zantrix\\Preflect";

  Cli() {
    io.machine = "TESTPC";
    io.currentFolder = folder;
    io.readFile = [this](const std::string& path) {
      checktool::FileRead read;
      const auto kind = kinds.find(path);
      const auto it = files.find(path);
      if (kind != kinds.end()) {
        read.kind = kind->second;
        read.reason = "Permission denied";
      } else if (it == files.end()) {
        read.kind = checktool::PathKind::None;
        read.reason = "The file does not exist.";
      } else {
        read.bytes = it->second;
      }
      return read;
    };
    io.kindOf = [this](const std::string& path) {
      const auto kind = kinds.find(path);
      if (kind != kinds.end()) return kind->second;
      return files.count(path) ? checktool::PathKind::File : checktool::PathKind::None;
    };
    io.newReplacer = [this] { return std::make_unique<MapReplacer>(files, failAt); };
    os.files.AddFile(folder + "\\have.dll", "MZ");
    os.versions.Set(folder + "\\have.dll", 6, 1, 2, 3);
  }
  int Run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return checktool::Main(args, io);
  }
};

TEST_F(Cli, ExitStatuses) {
  files["clean.xml"] = File(Product("A", kNoRegistry + kNoFile + kRemedy));
  files["warned.xml"] = File(Product("A", kNoRegistry + kNoFile + "<remedy source=\"Web\"/>"));
  files["broken.xml"] = File(Product("A", kNoRegistry + "<fileEntry name=\"%REGVALUE%\"/>" + kRemedy));
  const std::string have = Product("Have", kNoRegistry + "<fileEntry name=\"have.dll\" dir=\"%ZANTRIXDIR%\\\" version=\"6.0\"/>" + kRemedy);
  const std::string lack = Product("Lack", kNoRegistry + "<fileEntry name=\"lack.dll\" dir=\"%ZANTRIXDIR%\\\"/>" + kRemedy);
  struct Case {
    std::vector<std::string> args;
    std::string specs;  // the program folder's filespecs.xml; empty: none
    bool canRun;
    int status;
    const char* says = "";  // on standard error
  };
  // A folder, one without the file, a device or pipe, a file that cannot
  // be read, one of zero bytes.
  kinds = {{"Sub", checktool::PathKind::Folder}, {"Bare", checktool::PathKind::Folder},
           {"\\\\.\\COM1", checktool::PathKind::Other}, {"locked.xml", checktool::PathKind::File}};
  files["Sub\\filespecs.xml"] = files["clean.xml"];
  files["zero.xml"] = "";
  const Case cases[] = {
      {{"lint", "Sub"}, "", false, 0},                {{"explain", "Sub"}, "", false, 0},
      {{"lint", "Bare"}, "", false, 2, "cannot read Bare\\filespecs.xml: The file does not exist."},
      {{"lint", "\\\\.\\COM1"}, "", false, 2, "a device, a pipe or a socket, not a file"},
      {{"explain", "locked.xml"}, "", false, 2, "cannot read locked.xml: Permission denied"},
      {{"lint", "zero.xml"}, "", false, 2, "empty (0 bytes)"},
      {{"lint", ""}, "", false, 3, "empty (an unset variable?)"}, {{"verify", ""}, "", false, 3, "empty"},
      {{"run", ""}, "", true, 3, "empty"},            {{"verify", "clean.xml"}, "", false, 3, "clean.xml is a file"},
      {{"verify", "Sub", "Bare"}, "", false, 3},      {{"pin"}, "", false, 3, "none was given"},
      {{"pin", "--allow-unpinned", "Sub"}, "", false, 3, "not an option of pin"},
      {{"verify", "--check", "Sub"}, "", false, 3},   {{"explain", "--json", "clean.xml"}, "", false, 3},
      {{"lint", "clean.xml"}, "", false, 0},          {{"lint", "warned.xml"}, "", false, 0},
      {{"lint", "--werror", "warned.xml"}, "", false, 1}, {{"lint", "broken.xml"}, "", false, 1},
      {{"lint", "missing.xml"}, "", false, 2},        {{"explain", "missing.xml"}, "", false, 2},
      {{"lint"}, "", false, 3},                       {{"frobnicate"}, "", false, 3},
      {{"lint", "--colour", "clean.xml"}, "", false, 3}, {{}, "", false, 3},
      {{"run"}, File(have), false, 3},                {{"run"}, File(have), true, 0},
      {{"run", "--json", folder}, File(have + lack), true, 1}, {{"run"}, "", true, 2},
      {{"run", "a", "b"}, File(have), true, 3},       {{"--help"}, "", false, 0},
      {{"--version"}, "", false, 0},
  };
  for (const Case& c : cases) {
    std::string name;
    for (const std::string& a : c.args) name += a + " ";
    SCOPED_TRACE(name);
    if (c.specs.empty())
      os.files.DeleteFile(folder + "\\filespecs.xml");
    else
      os.files.AddFile(folder + "\\filespecs.xml", c.specs);
    io.canRun = c.canRun;
    EXPECT_EQ(Run(c.args), c.status) << err.str();
    if (c.status >= 2) {
      EXPECT_FALSE(err.str().empty()) << "says why on standard error";
    }
    EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
  }
  EXPECT_TRUE(os.messageBoxes.shown.empty()) << "run never asks";
  EXPECT_FALSE(os.registry.Get(platform::kHkeyCurrentUser,
                               "Software\\VB and VBA Program Settings\\zantrix\\Settings", "syscheck"))
      << "run writes no date stamp";
}

TEST_F(Cli, RunJsonFollowsItsSchema) {
  os.registry.PutString(platform::kHkeyCurrentUser, "Software\\Z", "v", "1.0");
  os.registry.PutOtherView(platform::kHkeyLocalMachine, "Software\\W", "v", platform::kRegSz,
                           std::string("x\0", 2));
  os.files.AddFile(folder + "\\filespecs.xml",
                   File(Product("Registry", kRegistry + kNoFile + kRemedy) +
                        Product("Other view", "<registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"Software\\W\" value=\"v\" type=\"REG_SZ\"/>" + kNoFile + kRemedy) +
                        Product("File", kNoRegistry + "<fileEntry name=\"have.dll\" dir=\"%ZANTRIXDIR%\\\" version=\"7.0\"/>" + kRemedy) +
                        Product("Neither", kNoRegistry + kNoFile + kRemedy) +
                        Product("No disk", kNoRegistry + "<fileEntry name=\"setup.exe\" dir=\"D:\\\"/>" + kRemedy) +
                        Product("Pinned", kNoRegistry + "<fileEntry name=\"lack.dll\" dir=\"%ZANTRIXDIR%\\\"/>"
                                "<remedy location=\"%ZANTRIXDIR%\\have.dll\" sha256=\"" + kPin + "\"/>")));
  os.files.FailSearches("D:", platform::kErrorNotReady);
  io.canRun = true;
  ASSERT_EQ(Run({"run", "--json"}), 1);
  const jsontest::Value report = jsontest::Parser(out.str()).Parse();
  const jsontest::Value schema = jsontest::Parser(ReadSource("docs/preflect-check-run.schema.json")).Parse();
  std::vector<std::string> problems;
  jsontest::Validate(report, schema, schema, "$", problems);
  EXPECT_EQ(problems, std::vector<std::string>{}) << out.str();
  const auto& products = report.Member("products")->items;
  ASSERT_EQ(products.size(), 6u);
  const bool found[] = {true, false, false, false, false, false};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(products[i].Member("found")->boolean, found[i]) << i;
  EXPECT_EQ(products[4].Member("pin")->kind, jsontest::Value::Null) << "a web remedy";
  EXPECT_FALSE(products[5].Member("pin")->Member("matches")->boolean) << "have.dll is no such installer";
  EXPECT_EQ(products[4].Member("file")->Member("searchError")->Member("reason")->text, "notReady");
  EXPECT_EQ(products[1].Member("registry")->Member("otherView")->Member("text")->text, "x");
  EXPECT_EQ(products[2].Member("file")->Member("outcome")->text, "older");
  EXPECT_EQ(report.Member("machine")->text, "TESTPC");
  EXPECT_EQ(report.Member("time")->text, "2026-12-08T14:05:09");
}

// pin writes each packaged remedy's SHA-256 into its own tag and leaves
// every other byte as it was; the file then lints clean and verifies, and
// verify fails when an installer changes.
TEST_F(Cli, PinWritesTheHashesAndVerifyChecksThem) {
  os.files.AddFile(folder + "\\Setup.exe", "MZ one");
  os.files.AddFile(folder + "\\Other.exe", "MZ two");
  const auto hash = [&](const char* name) {
    platform::Sha256Digest d{};
    os.hasher.Sha256(folder + "\\" + name, d);
    return modCheck::Sha256Text(d);
  };
  const std::string zeros(64, '0'), path = folder + "\\filespecs.xml";
  const auto specs = [&](const std::string& first, const std::string& second) {
    return "\xEF\xBB\xBF<systemSearch>\r\n" +
           Product("A", kNoRegistry + kNoFile + "<remedy location=\"%ZANTRIXDIR%\\Setup.exe\"" + first + "/>") +
           "\r\n" +
           Product("B", kNoRegistry + kNoFile + "<remedy location=\"%ZANTRIXDIR%\\Other.exe\" sha256=\"" +
                            second + "\">") +
           "\r\n" + Product("C", kNoRegistry + kNoFile + kRemedy) + "\r\n</systemSearch>\r\n";
  };
  files[path] = specs("", zeros);
  ASSERT_EQ(Run({"pin", folder}), 0) << err.str();
  EXPECT_EQ(files[path], specs(" sha256=\"" + hash("Setup.exe") + "\"", hash("Other.exe")));
  EXPECT_NE(out.str().find("pinned " + hash("Setup.exe")), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("(was \"" + zeros + "\")"), std::string::npos) << out.str();
  EXPECT_EQ(Run({"lint", path}), 0);
  EXPECT_EQ(out.str(), "") << "lints clean";
  struct Step {
    const char* change;
    std::vector<std::string> args;
    int status;
    std::string says;  // on standard output or error
  };
  const Step steps[] = {
      {"nothing", {"verify", folder}, 0, "2 installers: 2 match, 0 differ, 0 missing, 0 not pinned"},
      {"nothing", {"pin", "--check", folder}, 0, "already pinned"},
      {"a pin removed", {"verify", folder}, 1, "Setup.exe: not pinned"},
      {"a pin removed", {"verify", "--allow-unpinned", folder}, 0, "1 match, 0 differ, 0 missing, 1 not pinned"},
      {"a pin removed", {"pin", "--check", folder}, 1, "not pinned; its SHA-256 is " + hash("Setup.exe")},
      {"an installer swapped", {"verify", "--allow-unpinned", folder}, 1, "MISMATCH"},
      {"an installer gone", {"pin", folder}, 1, "does not exist, not pinned"},
      {"an installer gone", {"verify", folder}, 1, "1 missing"},
      {"no requirements file", {"pin", folder + "\\none"}, 2,
       "preflect-check: cannot read " + folder + "\\none\\filespecs.xml: "},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.change);
    const std::string change = s.change;
    if (change == "a pin removed") files[path] = specs("", hash("Other.exe"));
    if (change == "an installer swapped") os.files.AddFile(folder + "\\Other.exe", "MZ 2");
    if (change == "an installer gone") os.files.DeleteFile(folder + "\\Setup.exe");
    const std::string before = files[path];
    EXPECT_EQ(Run(s.args), s.status);
    EXPECT_NE((out.str() + err.str()).find(s.says), std::string::npos) << out.str() << err.str();
    if (s.args[0] == "verify" || s.args[1] == "--check") {
      EXPECT_EQ(files[path], before) << "written";
    }
  }
  // The same as JSON, by its schema.
  ASSERT_EQ(Run({"verify", "--json", folder}), 1);
  const jsontest::Value report = jsontest::Parser(out.str()).Parse();
  const jsontest::Value schema = jsontest::Parser(ReadSource("docs/preflect-check-pins.schema.json")).Parse();
  std::vector<std::string> problems;
  jsontest::Validate(report, schema, schema, "$", problems);
  EXPECT_EQ(problems, std::vector<std::string>{}) << out.str();
  EXPECT_EQ(report.Member("installers")->items.at(0).Member("problem")->text, "notFound");
  EXPECT_EQ(report.Member("summary")->Member("match")->number, 1) << "pinned anew with the other gone";
}

// A sha256 pin cannot write as it stands (the reader does not read it as
// a value), and each step of the replacement failing: the file stays byte
// for byte, nothing beside it, nothing said to be pinned, and the status
// and the reason say which.
TEST_F(Cli, PinLeavesTheFileAsItWas) {
  os.files.AddFile(folder + "\\Setup.exe", "MZ one");
  const std::string path = folder + "\\filespecs.xml";
  const std::string plain = "<remedy location=\"Setup.exe\"/>";
  struct Case {
    std::string remedy, failAt;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"<remedy location=\"Setup.exe\" sha256='" + kPin + "'/>", "", 1, "single quotes"},
      // Read as the location's value: once it was overwritten with the hash.
      {"<remedy sha256='" + kPin + "' location=\"Setup.exe\"/>", "", 1, "single quotes"},
      {"<remedy location=\"Setup.exe\" sha256=" + kPin + "/>", "", 1, "not in double quotes"},
      {"<remedy location=\"Setup.exe\" sha256=\"" + kPin + "\" sha256=\"\"/>", "", 1, "more than once"},
      {"<remedy location=\"Setup.exe\" sha256 = \"" + kPin + "\"/>", "", 1, "blank before"},
      {"<remedy location=\"Setup.exe\" source=\"a>b\"/>", "", 1, "cuts its tag short"},
      {plain, "create", 2, "Disk quota exceeded"},
      {plain, "write", 2, "No space left on device"},
      {plain, "flush", 2, "Input/output error"},
      {plain, "close", 2, "network name is no longer available"},
      {plain, "replace", 2, "Access is denied"},
      {plain, "change", 2, "changed while the tool ran"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.remedy + " " + c.failAt);
    const std::string bytes = File(Product("A", kNoRegistry + kNoFile + plain) + Product("B", kNoRegistry + kNoFile + c.remedy));
    files = {{path, bytes}};
    failAt = c.failAt;
    EXPECT_EQ(Run({"pin", folder}), c.status);
    EXPECT_EQ(files.size(), 1u) << "a file left beside it";
    EXPECT_EQ(files[path], c.failAt == "change" ? bytes + "<!-- edited meanwhile -->" : bytes);
    EXPECT_EQ(out.str().find(": pinned "), std::string::npos) << out.str();
    EXPECT_NE((out.str() + err.str()).find(c.says), std::string::npos) << err.str() << out.str();
  }
}

// Whether a strict decoder takes the text as UTF-8: no stray or missing
// continuation bytes, no overlong forms, no surrogates, nothing above
// U+10FFFF. Written apart from the tool's own check on purpose.
bool StrictUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int more = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (more < 0 || i + static_cast<std::size_t>(more) >= text.size() + (more == 0)) return false;
    std::uint32_t cp = more == 0 ? lead : lead & (0x3Fu >> more);
    for (int k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      cp = cp << 6 | (next & 0x3F);
    }
    const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

// The packaged remedies' locations, as the reader reads them.
struct Locations : modCheck::ReadObserver {
  std::vector<std::string> found;
  void OnTag(std::size_t, std::string_view, modCheck::TagKind kind, const modCheck::Requirement& work) override {
    if (kind == modCheck::TagKind::Remedy && work.RemedySource != "web") found.push_back(work.RemedyLocation);
  }
  void OnStored(std::size_t, const modCheck::Requirement&, bool) override {}
};

// Over the fuzz corpus and the sample files, in a folder whose name is not
// UTF-8: after pin the reader reads every product as before but for its
// pin, and a pin written leaves verify content; a single-quoted pin stops
// pin with the file byte for byte; every JSON and SARIF output is UTF-8 to
// a strict decoder and follows its schema.
TEST_F(Cli, EveryCorpusFile) {
  std::vector<std::pair<std::string, std::string>> inputs = {
      {"every-trap.xml", ReadSource("tests/unit/data/every-trap.xml")},
      {"demo", ReadSource("scripts/demo-folder/filespecs.xml")}};
  for (const auto& entry : std::filesystem::directory_iterator(PREFLECT_FUZZ_CORPUS))
    inputs.emplace_back(entry.path().filename().string(),
                        ReadSource("tests/fuzz/corpus/" + entry.path().filename().string()));
  ASSERT_GE(inputs.size(), 10u);
  const std::string q = "C:\\Q\xE9", path = q + "\\filespecs.xml";
  io.currentFolder = q;
  const auto reading = [&](const std::string& bytes) {
    checktool::ToolServices services(q);
    std::vector<modCheck::Requirement> list(2);
    modCheck::ReadRequirementsText(bytes, list);
    for (auto& r : list) r.RemedySha256.clear();
    return list;
  };
  std::map<std::string, jsontest::Value> schemas;
  for (const char* name : {"pins", "lint"})
    schemas[name] = jsontest::Parser(ReadSource(std::string("docs/preflect-check-") + name + ".schema.json")).Parse();
  for (const auto& [name, bytes] : inputs) {
    SCOPED_TRACE(name);
    {
      checktool::ToolServices services(q);
      Locations locations;
      std::vector<modCheck::Requirement> list(2);
      modCheck::ReadRequirementsText(bytes, list, &locations);
      for (const std::string& l : locations.found) os.files.AddFile(modCheck::InstallerPath(l, q), "MZ " + l);
    }
    files = {{path, bytes}};
    const int pinned = Run({"pin", q});
    EXPECT_TRUE(reading(files[path]) == reading(bytes));
    if (pinned == 0) {
      EXPECT_EQ(Run({"verify", "--allow-unpinned", q}), 0) << out.str();
    }
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"lint", "--json", path}, {"lint", "--sarif", path}, {"verify", "--json", q}, {"pin", "--check", "--json", q}}) {
      SCOPED_TRACE(args[1]);
      files = {{path, bytes}};
      if (Run(args) == 2) {
        EXPECT_EQ(out.str(), "") << "the file unreadable (empty), and nothing else said";
        continue;
      }
      ASSERT_TRUE(StrictUtf8(out.str())) << out.str();
      const jsontest::Value json = jsontest::Parser(out.str()).Parse();
      if (args[1] == "--sarif") continue;
      std::vector<std::string> problems;
      const jsontest::Value& schema = schemas[args[0] == "lint" ? "lint" : "pins"];
      jsontest::Validate(json, schema, schema, "$", problems);
      EXPECT_EQ(problems, std::vector<std::string>{}) << out.str();
    }
    // A remedy whose pin the reader does not read as a value, first.
    const std::size_t mark = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    const std::string quoted = bytes.substr(0, mark) + "<product name=\"S\"><remedy location=\"S.exe\" sha256='" +
                               kPin + "'/></product>" + bytes.substr(mark);
    os.files.AddFile(q + "\\S.exe", "MZ");
    files = {{path, quoted}};
    EXPECT_EQ(Run({"pin", q}), 1);
    EXPECT_EQ(files[path], quoted);
  }
}

#ifndef _WIN32
// The native tool on this system's own files, run as a CI job runs it:
// FOLDER in every form from inside and outside (with a blank and letters
// beyond ASCII), devices and a FIFO where a file is expected, a FIFO
// installer that neither hangs verify nor hides the others' results, a
// written file that keeps its mode, a read-only one that stays as it was.
TEST(NativeTool, CommandLinesOfACiJob) {
  const std::string bin = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/preflect-check";
  ASSERT_TRUE(std::filesystem::exists(bin)) << "build preflect-check too";
  char made[] = "/tmp/preflect-check-test-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  const std::string top = made, quill = top + "/Quill \xC3\xA9t\xC3\xA9", fifo = top + "/fifo";
  const auto write = [](const std::string& file, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  };
  const std::string setup = Product("A", kNoRegistry + kNoFile + "<remedy location=\"Installers\\Setup.exe\"/>") +
                            Product("B", kNoRegistry + kNoFile + "<remedy location=\"%ZANTRIXDIR%\\Installers\\Setup.exe\"/>");
  write(quill + "/Installers/Setup.exe", "MZ one");
  write(quill + "/filespecs.xml", File(setup));
  std::filesystem::permissions(quill + "/filespecs.xml", std::filesystem::perms(0640));
  write(fifo + "/Installers/Setup.exe", "MZ one");
  ASSERT_EQ(mkfifo((fifo + "/Installers/Pipe.exe").c_str(), 0644), 0);
  write(fifo + "/filespecs.xml", File(setup + Product("P", kNoRegistry + kNoFile + "<remedy location=\"Installers\\Pipe.exe\"/>") +
                                     Product("F", kNoRegistry + kNoFile + "<remedy location=\"Installers\"/>") +
                                     Product("W", kNoRegistry + kNoFile + "<remedy location=\"%SYSTEMDIR%\\w.exe\"/>")));
  write(top + "/empty.xml", "");
  const std::string all = "2 installers: 2 match, 0 differ, 0 missing, 0 not pinned";
  struct Case {
    std::string in, args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {quill, "pin .", 0, "Quill \xC3\xA9t\xC3\xA9/Installers/Setup.exe: pinned "},
      {quill, "verify .", 0, all},
      {quill, "verify ./", 0, all},
      {quill, "verify '" + quill + "'", 0, all},
      {"/", "verify '" + quill + "/'", 0, all},
      {top, "verify 'Quill \xC3\xA9t\xC3\xA9'", 0, all},
      {top, "verify 'Quill \xC3\xA9t\xC3\xA9/'", 0, all},
      {top, "verify './Quill \xC3\xA9t\xC3\xA9'", 0, all},
      {quill, "pin --check .", 0, "already pinned"},
      {quill, "lint .", 0, ""},
      {top, "explain 'Quill \xC3\xA9t\xC3\xA9/'", 0, "Read as Windows-1252"},
      {quill, "verify filespecs.xml", 3, "is a file"},
      {quill, "verify ''", 3, "empty"},
      {top, "lint .", 2, "cannot read ./filespecs.xml: No such file or directory"},
      {top, "lint /dev/zero", 2, "a device, a pipe or a socket"},
      {top, "explain /dev/null", 2, "a device, a pipe or a socket"},
      {top, "lint fifo/Installers/Pipe.exe", 2, "a device, a pipe or a socket"},
      {top, "lint empty.xml", 2, "empty (0 bytes)"},
      {top, "pin fifo", 1, "Pipe.exe: is a device or a pipe, not a file, not pinned"},
      {top, "verify fifo", 1, "Setup.exe: matches its pin"},
      {top, "verify fifo", 1, "/fifo/Installers: is a folder, not an installer"},
      {top, "verify fifo", 1, "w.exe: is a path on the Windows machine"},
      {top, "verify fifo", 1, "5 installers: 2 match, 0 differ, 3 missing, 0 not pinned"},
  };
  // Its exit status and all it said, within a second.
  const auto run = [&](const std::string& in, const std::string& args, std::string& output,
                       const std::string& as = "") {
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(("cd '" + in + "' && " + as + "'" + bin + "' " + args + " 2>&1").c_str(), "r");
    char buffer[4096];
    while (const std::size_t n = pipe ? fread(buffer, 1, sizeof buffer, pipe) : 0) output.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const auto read = [](const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in + " > " + c.args);
    std::string output;
    EXPECT_EQ(run(c.in, c.args, output), c.status) << output;
    EXPECT_NE(output.find(c.says), std::string::npos) << output;
    // Paths the tool opens; explain shows the values the checker holds,
    // and a path on the Windows machine stays one.
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line) && c.args.rfind("explain", 0) != 0;) {
      if (line.find("Windows machine") == std::string::npos) {
        EXPECT_EQ(line.find('\\'), std::string::npos) << line;
      }
    }
  }
  EXPECT_EQ(std::filesystem::status(quill + "/filespecs.xml").permissions(), std::filesystem::perms(0640));
  // Read-only: not replaced, even by root, no pin said to be written, and
  // nothing left beside it.
  write(quill + "/Installers/Setup.exe", "MZ two");
  std::filesystem::permissions(quill + "/filespecs.xml", std::filesystem::perms(0444));
  const std::string before = read(quill + "/filespecs.xml");
  std::string output;
  EXPECT_EQ(run(quill, "pin .", output), 2) << output;
  EXPECT_NE(output.find("the file is read-only; nothing was written to it"), std::string::npos) << output;
  EXPECT_EQ(output.find("pin updated"), std::string::npos) << output;
  EXPECT_EQ(read(quill + "/filespecs.xml"), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(quill), {}), 2);
  // Unreadable to whoever runs it (root reads everything: as nobody).
  if (geteuid() == 0 && std::filesystem::exists("/usr/sbin/runuser")) {
    std::filesystem::permissions(top, std::filesystem::perms(0755));
    std::filesystem::permissions(quill + "/filespecs.xml", std::filesystem::perms(0600));
    output.clear();
    EXPECT_EQ(run(top, "verify 'Quill \xC3\xA9t\xC3\xA9'", output, "runuser -u nobody -- "), 2) << output;
    EXPECT_NE(output.find("filespecs.xml: Permission denied"), std::string::npos) << output;
  }
  std::filesystem::remove_all(top);
}
#endif

// lint --sarif: valid JSON of SARIF 2.1.0, every rule listed once, one
// result per diagnostic with its rule, level, line and column, and the fix
// as the message's second sentence.
TEST_F(Cli, LintAsSarif) {
  const std::string path = folder + "\\every-trap.xml";
  files[path] = ReadSource("tests/unit/data/every-trap.xml");
  ASSERT_EQ(Run({"lint", "--sarif", path}), 1);
  const jsontest::Value sarif = jsontest::Parser(out.str()).Parse();
  EXPECT_EQ(sarif.Member("version")->text, "2.1.0");
  const jsontest::Value& run = sarif.Member("runs")->items.at(0);
  const auto& rules = run.Member("tool")->Member("driver")->Member("rules")->items;
  std::set<std::string> ids;
  for (const auto& rule : rules) ids.insert(rule.Member("id")->text);
  EXPECT_EQ(ids.size(), rules.size()) << "a rule listed twice";
  EXPECT_EQ(ids.size(), checktool::LintRules().size());
  const auto lint = checktool::Lint(files[path]);
  const auto& results = run.Member("results")->items;
  ASSERT_EQ(results.size(), lint.size());
  for (std::size_t i = 0; i < lint.size(); ++i) {
    SCOPED_TRACE(lint[i].rule);
    const jsontest::Value& r = results[i];
    EXPECT_EQ(r.Member("ruleId")->text, lint[i].rule);
    EXPECT_EQ(rules.at(static_cast<std::size_t>(r.Member("ruleIndex")->number)).Member("id")->text,
              lint[i].rule);
    EXPECT_EQ(r.Member("level")->text,
              lint[i].severity == checktool::Severity::Error ? "error" : "warning");
    const jsontest::Value& region =
        *r.Member("locations")->items.at(0).Member("physicalLocation")->Member("region");
    EXPECT_EQ(region.Member("startLine")->number, lint[i].line);
    EXPECT_EQ(region.Member("startColumn")->number, lint[i].column);
    const std::string& text = r.Member("message")->Member("text")->text;
    const std::string fix = lint[i].fix;
    EXPECT_NE(text.find(". " + std::string(1, static_cast<char>(std::toupper(fix[0]))) + fix.substr(1)),
              std::string::npos)
        << text;
  }
  // Relative to the folder the tool ran in, as code-scanning services read
  // them; a file outside it by its whole normalised URI. No artifacts list
  // that only repeats the places.
  EXPECT_EQ(run.Member("artifacts"), nullptr);
  EXPECT_FALSE(run.Member("tool")->Member("driver")->Member("informationUri")->text.empty());
  EXPECT_EQ(run.Member("originalUriBaseIds")->Member("%SRCROOT%")->Member("uri")->text,
            "file:///C:/Program%20Files/Zantrix/Preflect/");
  struct Place {
    std::string path, uri;
    bool based;
  };
  for (const Place& p : {Place{path, "every-trap.xml", true},
                         Place{".\\Sub\\..\\every-trap.xml", "every-trap.xml", true},
                         Place{"..\\Preflect\\Sub\\f.xml", "Sub/f.xml", true},
                         Place{"..\\Other\\f.xml", "file:///C:/Program%20Files/Zantrix/Other/f.xml", false}}) {
    SCOPED_TRACE(p.path);
    files[p.path] = files[path];
    ASSERT_EQ(Run({"lint", "--sarif", p.path}), 1);
    const jsontest::Value log = jsontest::Parser(out.str()).Parse();
    const jsontest::Value& artifact = *log.Member("runs")->items.at(0).Member("results")->items.at(0)
        .Member("locations")->items.at(0).Member("physicalLocation")->Member("artifactLocation");
    EXPECT_EQ(artifact.Member("uri")->text, p.uri);
    EXPECT_EQ(artifact.Member("uriBaseId") != nullptr, p.based);
  }
}

// Columns in code points: a UTF-8 file's characters and its mark count
// as SARIF counts them.
TEST_F(Cli, SarifColumnsInCodePoints) {
  files["f.xml"] = "\xEF\xBB\xBF<product name=\"\xD0\x94\" view=\"x\"><registryEntry key=\"\"/>"
                   "<fileEntry name=\"\"/><remedy source=\"web\" location=\"http://x/\"/></product>";
  ASSERT_EQ(Run({"lint", "--sarif", "f.xml"}), 0);
  const jsontest::Value sarif = jsontest::Parser(out.str()).Parse();
  const auto& results = sarif.Member("runs")->items.at(0).Member("results")->items;
  ASSERT_EQ(results.size(), 1u);
  // view= is the 23rd byte of the line, the mark and a two-byte letter
  // before it: the 19th character.
  EXPECT_EQ(results[0].Member("locations")->items.at(0).Member("physicalLocation")
                ->Member("region")->Member("startColumn")->number, 19);
  EXPECT_EQ(Run({"lint", "--sarif", "--json", "f.xml"}), 3);
}

}  // namespace
