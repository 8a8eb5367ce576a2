// The requirements file reader: tags, attributes, folder tokens, the
// storing rule, progress steps, and equality with a plain one-character-
// at-a-time reader.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "platform/text.h"
#include "requirements/modCheck.h"
#include "requirements/progress.h"
#include "requirements/reader.h"
#include "tests/doubles/fake_os.h"
#include "tests/fuzz/read_requirements_check.h"

namespace {

using modCheck::Requirement;
using modCheck::Requirements;

const std::string kFolder = "C:\\Program Files\\Zantrix\\Preflect\\";
const std::string kFile = kFolder + "filespecs.xml";

// Counts every step without clamping.
struct CountingProgress : modCheck::ProgressTarget {
  std::int16_t value = 0;
  std::int16_t TheBar() const override { return value; }
  void SetTheBar(std::int16_t v) override { value = v; }
};

struct Reader : ::testing::Test {
  fakes::FakeOs os;
  CountingProgress progress;

  Reader() {
    modCheck::ProgramFolder = kFolder;
    modCheck::ResetRequirements();
    modCheck::SetProgressTarget(&progress);
  }
  ~Reader() override { modCheck::SetProgressTarget(nullptr); }

  std::int32_t Read(const std::string& text) {
    os.files.AddFile(kFile, text);
    return modCheck::ReadRequirements();
  }
  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const Requirement& r : Requirements) names.push_back(r.ProductName);
    return names;
  }
};

using NameList = std::vector<std::string>;

// A literal with its embedded NULs.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST_F(Reader, StoresProductsByTheirClosingTags) {
  struct Case {
    const char* name;
    std::string text;
    NameList names;
  };
  const Case cases[] = {
      {"three products",
       "<?xml version=\"1.0\"?>\r\n<systemSearch>\r\n"
       "  <product name=\"A\"></product>\r\n  <product name=\"B\"></product>\r\n"
       "  <product name=\"C\"></product>\r\n</systemSearch>\r\n",
       {"A", "B", "C", ""}},
      {"nameless product overwritten by the next",
       "<product name=\"A\"></product><product></product><product name=\"C\"></product>",
       {"A", "C", ""}},
      {"nameless product at the end stays", "<product name=\"A\"></product><product></product>",
       {"A", "", ""}},
      {"only systemSearch", "<systemSearch>\r\n</systemSearch>", {"", ""}},
      {"empty file", "", {"", ""}},
      {"no closing tag", "<product name=\"A\"></product><product name=\"B\">", {"A", ""}},
      {"closing tag cut short at the end", "<product name=\"A\"></product", {"A", ""}},
      {"mixed-case keywords", "<PRODUCT NAME=\"A\"></Product><pRoDuCt nAmE=\"B\"></PRODUCT>",
       {"A", "B", ""}},
      {"element name merely begins with product, and so does its end",
       "<productGroup name=\"G\"></productGroup></product>", {"G", "G", ""}},
      {"systemSearch wins over product", "<product name=\"A\" systemSearch></product>",
       {"", ""}},
      {"product wins over /product", "<product name=\"A\"/product></product>", {"A", ""}},
      {"text before the first < dropped", "junk name=\"X\" <product name=\"A\"></product>",
       {"A", ""}},
      {"tag without <", "<product name=\"A\">name=\"B\" /product>", {"A", ""}},
      {"> inside a value ends the tag",
       "<product name=\"a>b\"></product><product name=\"C\"></product>", {"C", ""}},
      {"attribute across lines", "<product\r\n  name=\"Line\r\nBreak\"\r\n></product>",
       {"Line\r\nBreak", ""}},
      {"name= inside another attribute", "<product filename=\"F\" name=\"A\"></product>",
       {"F", ""}},
      {"no closing quote", "<product name=\"A></product>", {"", ""}},
      {"single quotes do not delimit", "<product name='A'></product>", {"", ""}},
      {"blank before =", "<product name =\"A\"></product>", {"", ""}},
      {"NUL bytes kept", Bytes("<product name=\"A\0B\"></product>"),
       {std::string("A\0B", 3), ""}},
      {"ANSI text", "<product name=\"Caf\xE9 \x80\"></product>", {"Caf\xC3\xA9 \xE2\x82\xAC", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    modCheck::ResetRequirements();
    EXPECT_EQ(Read(c.text), 0);
    EXPECT_EQ(Names(), c.names);
    for (const Requirement& r : Requirements) EXPECT_FALSE(r.Found);
  }
  EXPECT_TRUE(os.messageBoxes.shown.empty());
}

TEST_F(Reader, FillsEveryField) {
  ASSERT_EQ(Read("<product name=\"Sim Runtime\">\n"
                 "<registryEntry root=\"HKEY_LOCAL_MACHINE\" key=\"\\Software\\Sim\" "
                 "value=\"Path\" type=\"REG_SZ\" data=\"C:\\Sim\"/>\n"
                 "<fileEntry version=\"6.1.2.3\" dir=\"%SYSTEMDIR%\\\" name=\"sim.dll\"/>\n"
                 "<remedy source=\"web\" location=\"http://example.invalid/sim\" "
                 "sha256=\"ABC\"/>\n"
                 "</product>"),
            0);
  ASSERT_EQ(Requirements.size(), 2u);
  Requirement expected;
  expected.ProductName = "Sim Runtime";
  expected.RegRoot = platform::kHkeyLocalMachine;
  expected.RegKey = "\\Software\\Sim";
  expected.RegValueName = "Path";
  expected.RegType = 1;
  expected.RegData = "C:\\Sim";
  expected.FileName = "sim.dll";
  expected.FileDir = "C:\\windows\\system32\\";
  expected.FileVersion = "6.1.2.3";
  expected.RemedySource = "web";
  expected.RemedyLocation = "http://example.invalid/sim";
  expected.RemedySha256 = "ABC";  // as written; lint and Acquire judge it
  EXPECT_EQ(Requirements[0], expected);
  EXPECT_EQ(Requirements[1], Requirement{});
}

TEST_F(Reader, LaterProductsCarryEarlierFields) {
  ASSERT_EQ(Read("<product name=\"A\"><registryEntry root=\"HKEY_CURRENT_USER\" key=\"K\" "
                 "type=\"REG_SZ\" data=\"D\"/><remedy source=\"web\" location=\"L\" sha256=\"P\"/>"
                 "</product><product name=\"B\"><fileEntry name=\"b.dll\" dir=\"C:\\b\\\"/></product>"
                 "<product name=\"C\"><remedy source=\"package\" location=\"M\"/></product>"),
            0);
  ASSERT_EQ(Requirements.size(), 4u);
  EXPECT_EQ(Requirements[1].RemedySha256, "P") << "carried over with the remedy";
  EXPECT_EQ(Requirements[2].RemedySha256, "") << "a remedy without a pin clears it";
  const Requirement& b = Requirements[1];
  EXPECT_EQ(b.ProductName, "B");
  EXPECT_EQ(b.RegKey, "K");
  EXPECT_EQ(b.RegData, "D");
  EXPECT_EQ(b.RegRoot, platform::kHkeyCurrentUser);
  EXPECT_EQ(b.RemedyLocation, "L");
  EXPECT_EQ(b.FileName, "b.dll");
  EXPECT_TRUE(Requirements[0].FileName.empty());
}

TEST_F(Reader, RootAndTypeNamesOrNumbers) {
  struct Case {
    std::string attributes;
    std::int32_t root, type;
  };
  const Case cases[] = {
      {"root=\"HKEY_CLASSES_ROOT\" type=\"REG_SZ\"", platform::kHkeyClassesRoot, 1},
      {"root=\"HKEY_CURRENT_USER\" type=\"REG_EXPAND_SZ\"", platform::kHkeyCurrentUser, 2},
      {"root=\"HKEY_LOCAL_MACHINE\" type=\"REG_BINARY\"", platform::kHkeyLocalMachine, 3},
      {"root=\"HKEY_USERS\" type=\"REG_DWORD\"", platform::kHkeyUsers, 4},
      {"root=\"HKEY_CURRENT_CONFIG\" type=\"REG_MULTI_SZ\"", platform::kHkeyCurrentConfig, 7},
      {"ROOT=\"-2147483646\" TYPE=\"+4\"", platform::kHkeyLocalMachine, 4},
      // Lower-case names are taken as numbers, which they are not.
      {"root=\"hkey_current_user\" type=\"REG_SZ\"", 0, 1},
      {"root=\"HKEY_CURRENT_USER\" type=\"reg_sz\"", 0, 0},
      {"root=\"\" type=\"1\"", 0, 1},
      {"type=\"1\"", 0, 1},
      {"root=\"HKEY_CURRENT_USER\"", 0, 0},
      {"root=\" 1\" type=\"1\"", 0, 1},
      {"root=\"0x80000001\" type=\"1\"", 0, 1},
      {"root=\"2147483649\" type=\"1\"", 0, 1},
      {"root=\"HKEY_USERS\" type=\"99999999999\"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    modCheck::ResetRequirements();
    ASSERT_EQ(Read("<product name=\"P\"><registryEntry " + c.attributes + "/></product>"), 0);
    EXPECT_EQ(Requirements[0].RegRoot, c.root);
    EXPECT_EQ(Requirements[0].RegType, c.type);
  }
}

// view= is read by the registry and file entries only, each into its own
// field, found anywhere in the tag, and carried over like their other fields.
TEST_F(Reader, ViewIsReadByItsOwnTagAndCarriedOver) {
  ASSERT_EQ(Read("<product name=\"A\" view=\"64\"><registryEntry root=\"1\" key=\"k\" type=\"1\" "
                 "VIEW=\"64\"/><fileEntry name=\"a\" view=\"32\"/><remedy view=\"64\"/></product>"
                 "<product name=\"B\"><fileEntry name=\"b\" preview=\"64\"/></product>"
                 "<product name=\"C\"><registryEntry root=\"1\" key=\"k\" type=\"1\"/></product>"),
            0);
  const std::pair<std::string, std::string> views[] = {{"64", "32"}, {"64", "64"}, {"", "64"}};
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(std::make_pair(Requirements[i].RegView, Requirements[i].FileView), views[i]) << i;
}

// A file keeps the meaning it had: the legacy code page (Windows-1252
// here) unless it starts with the UTF-8 byte order mark, whatever code page
// the process runs in.
TEST_F(Reader, StoredEncodings) {
  const std::string cyrillic = "\xD0\x94\xD0\xB5\xD0\xBC\xD0\xBE", chinese = "\xE6\xB5\x8B\xE8\xAF\x95";
  struct Case {
    bool utf8Process;
    std::string bytes;
    NameList names;
  };
  const Case cases[] = {
      {true, "<product name=\"Caf\xE9\"></product>", {"Caf\xC3\xA9", ""}},
      {true, "\xEF\xBB\xBF<product name=\"" + cyrillic + "\"></product><product name=\"" + chinese +
                 "\"></product>", {cyrillic, chinese, ""}},
      {false, "\xEF\xBB\xBF<product name=\"" + chinese + "\"></product>", {chinese, ""}},
      // Without the mark, UTF-8 bytes are read as Windows-1252, as always.
      {true, "<product name=\"\xC3\xA9\"></product>", {"\xC3\x83\xC2\xA9", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    os.codePage.utf8 = c.utf8Process;
    modCheck::ResetRequirements();
    ASSERT_EQ(Read(c.bytes), 0);
    EXPECT_EQ(Names(), c.names);
  }
}

TEST_F(Reader, ReplacesTheFirstFolderTokenInDirAndLocation) {
  os.folders.system = "C:\\windows\\system32\\";  // a trailing backslash is dropped
  struct Case {
    std::string value, dir;
  };
  const Case cases[] = {
      {"%SYSTEMDIR%\\", "C:\\windows\\system32\\"},
      {"%systemdir%\\", "C:\\windows\\system32\\"},
      {"%WINDIR%\\a%WINDIR%", "C:\\windows\\a%WINDIR%"},
      {"%WINDIR%%SYSTEMDIR%", "%WINDIR%C:\\windows\\system32"},
      {"%ZANTRIXDIR%\\setup.exe", "C:\\Program Files\\Zantrix\\Preflect\\setup.exe"},
      {"%WINDIR%%ZANTRIXDIR%", "%WINDIR%C:\\Program Files\\Zantrix\\Preflect"},
      {"%WINDIR", "%WINDIR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    modCheck::ResetRequirements();
    ASSERT_EQ(Read("<product name=\"P\"><fileEntry name=\"%WINDIR%\" dir=\"" + c.value +
                   "\"/><remedy location=\"" + c.value + "\"/></product>"),
              0);
    EXPECT_EQ(Requirements[0].FileDir, c.dir);
    EXPECT_EQ(Requirements[0].RemedyLocation, c.dir);
    EXPECT_EQ(Requirements[0].FileName, "%WINDIR%");  // never in name=
  }
}

TEST(FolderTokens, DriveRootAndLongFolders) {
  fakes::FakeOs os;
  os.app.folder = "C:\\";
  EXPECT_EQ(modCheck::GetAttributeValue("<remedy location=\"%ZANTRIXDIR%\\setup.exe\">", 9),
            "C:\\setup.exe");
  // Longer than the usual buffer: asked again with the size the call needs.
  os.folders.windows = "D:\\" + std::string(300, 'w');
  EXPECT_EQ(modCheck::GetAttributeValue("<fileEntry dir=\"%WINDIR%\\\">", 6),
            os.folders.windows + "\\");
  EXPECT_EQ(modCheck::GetAttributeValue("<fileEntry dir=\"%WINDIR%\">", 42), "");
}

TEST_F(Reader, UnopenableFileShowsOneErrorBox) {
  modCheck::Requirements.resize(3);
  EXPECT_EQ(modCheck::ReadRequirements(), 110);
  ASSERT_EQ(os.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(os.messageBoxes.shown[0].text, "Open failed.");
  EXPECT_EQ(os.messageBoxes.shown[0].title, "Error");
  EXPECT_EQ(os.messageBoxes.shown[0].style, platform::kMbOk | platform::kMbIconStop);
  EXPECT_EQ(Requirements.size(), 3u);  // as the caller left it
  EXPECT_EQ(progress.value, 1);

  os.messages.texts.clear();
  EXPECT_EQ(modCheck::ReadRequirements(), 110);
  ASSERT_EQ(os.messageBoxes.shown.size(), 2u);
  EXPECT_NE(os.messageBoxes.shown[1].text.find("could not be opened"), std::string::npos);
}

TEST_F(Reader, HiddenOrSystemFileGivesNoProducts) {
  const std::string text = "<product name=\"A\"></product>";
  for (const bool hidden : {true, false}) {
    modCheck::ResetRequirements();
    progress.value = 0;
    os.files.AddFile(kFile, text, hidden, !hidden);
    EXPECT_EQ(modCheck::ReadRequirements(), 0);
    EXPECT_EQ(Names(), (NameList{"", ""}));
    EXPECT_EQ(progress.value, 1 + 2 + 5);
  }
  EXPECT_TRUE(os.messageBoxes.shown.empty());
}

TEST_F(Reader, ProgressStepsAndClamping) {
  // 1, 2, 5, one per tag (three tags and the trailing line break), 1.
  ASSERT_EQ(Read("<product name=\"A\"><x></product>\r\n"), 0);
  EXPECT_EQ(progress.value, 1 + 2 + 5 + 4 + 1);

  modCheck::SetProgressTarget(nullptr);
  modCheck::CurrentProgress().SetTheBar(98);
  modCheck::AdvanceProgress(5);
  EXPECT_EQ(modCheck::CurrentProgress().TheBar(), 100);
  modCheck::CurrentProgress().SetTheBar(150);
  EXPECT_EQ(modCheck::CurrentProgress().TheBar(), 100);
  modCheck::CurrentProgress().SetTheBar(-5);
  EXPECT_EQ(modCheck::CurrentProgress().TheBar(), 0);

  // A target that does not clamp sees the sum held at the 16-bit limits.
  modCheck::SetProgressTarget(&progress);
  progress.value = 32760;
  modCheck::AdvanceProgress(100);
  EXPECT_EQ(progress.value, 32767);
  progress.value = -32760;
  modCheck::AdvanceProgress(-100);
  EXPECT_EQ(progress.value, -32768);
}

TEST_F(Reader, KeepsTheFirst32767Products) {
  std::string text;
  for (int i = 0; i < 32770; ++i) text += "<product name=\"P" + std::to_string(i) + "\"></product>";
  text += "<product></product>";
  ASSERT_EQ(Read(text), 0);
  ASSERT_EQ(Requirements.size(), 32768u);
  EXPECT_EQ(Requirements[0].ProductName, "P0");
  EXPECT_EQ(Requirements[32766].ProductName, "P32766");
  EXPECT_EQ(Requirements[32767], Requirement{});
}

TEST_F(Reader, CopesWithACallerThatDidNotReset) {
  Requirements.clear();
  ASSERT_EQ(Read("<product name=\"A\"></product>"), 0);
  EXPECT_EQ(Names(), (NameList{"A", ""}));
}

// ---- equality with the plain loop -------------------------------------

// The reader written the plain way: one character at a time up to each ">",
// on the text converted as a whole.
struct ReferenceResult {
  std::vector<Requirement> list;
  int steps = 0;
};

// An attribute's value by the format's rules, written out apart from the
// reader's: "NAME=" anywhere in the tag, in any letter case, even as the end
// of a longer word; the value lies between the next two quotes, empty
// without them. Root and type may be given by name. In dir and location the
// first of %ZANTRIXDIR%, %SYSTEMDIR% and %WINDIR% (in that order) that
// occurs, in any case, becomes its folder, once.
std::string Attribute(const std::string& tag, const std::string& name) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 'a' - 'A') : c;
    return text;
  };
  const std::size_t at = lower(tag).find(name + "=");
  const std::size_t open = at == std::string::npos ? at : tag.find('"', at);
  const std::size_t close = open == std::string::npos ? open : tag.find('"', open + 1);
  std::string value = close == std::string::npos ? "" : tag.substr(open + 1, close - open - 1);
  static const std::map<std::string, std::map<std::string, std::string>> named = {
      {"root", {{"HKEY_CLASSES_ROOT", "-2147483648"}, {"HKEY_CURRENT_USER", "-2147483647"},
                {"HKEY_LOCAL_MACHINE", "-2147483646"}, {"HKEY_USERS", "-2147483645"},
                {"HKEY_CURRENT_CONFIG", "-2147483643"}}},
      {"type", {{"REG_SZ", "1"}, {"REG_EXPAND_SZ", "2"}, {"REG_BINARY", "3"}, {"REG_DWORD", "4"},
                {"REG_MULTI_SZ", "7"}}}};
  if (named.count(name) && named.at(name).count(value)) return named.at(name).at(value);
  if (name != "dir" && name != "location") return value;
  for (const auto& [token, folder] : {std::pair{"%zantrixdir%", "C:\\Program Files\\Zantrix\\Preflect"},
                                      std::pair{"%systemdir%", "C:\\windows\\system32"},
                                      std::pair{"%windir%", "C:\\windows"}})
    if (const std::size_t t = lower(value).find(token); t != std::string::npos)
      return value.replace(t, std::string(token).size(), folder);
  return value;
}

ReferenceResult ReferenceRead(const std::string& ansi) {
  ReferenceResult out;
  out.list.resize(2);
  const std::string text = fakes::FakeCodePage().FromAnsi(ansi);
  Requirement work;
  auto has = [](const std::string& tag, const char* word) {
    return platform::FindNoCase(tag, word) != std::string::npos;
  };
  auto number = [](const std::string& t) -> std::optional<std::int32_t> {
    const std::size_t digits = !t.empty() && (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (t.size() == digits) return std::nullopt;
    for (std::size_t i = digits; i < t.size(); ++i)
      if (t[i] < '0' || t[i] > '9') return std::nullopt;
    long long v = 0;
    try {
      v = std::stoll(t);
    } catch (const std::out_of_range&) {
      return std::nullopt;
    }
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(v);
  };
  std::size_t pos = 0;
  out.steps = 1 + 2 + 5;
  while (pos < text.size()) {
    ++out.steps;
    std::string tag;
    while (tag.find('>') == std::string::npos && pos < text.size()) tag += text[pos++];
    const std::size_t lt = tag.find('<');
    if (lt != std::string::npos && lt != 0) tag = tag.substr(lt);
    if (has(tag, "systemSearch")) continue;
    if (has(tag, "<product")) {
      work.ProductName = Attribute(tag, "name");
    } else if (has(tag, "<registryEntry")) {
      const auto root = number(Attribute(tag, "root"));
      const auto type = number(Attribute(tag, "type"));
      work.RegRoot = root && type ? *root : 0;
      work.RegKey = Attribute(tag, "key");
      work.RegValueName = Attribute(tag, "value");
      work.RegType = type.value_or(0);
      work.RegData = Attribute(tag, "data");
      work.RegView = Attribute(tag, "view");
    } else if (has(tag, "<fileEntry")) {
      work.FileName = Attribute(tag, "name");
      work.FileDir = Attribute(tag, "dir");
      work.FileVersion = Attribute(tag, "version");
      work.FileView = Attribute(tag, "view");
    } else if (has(tag, "<remedy")) {
      work.RemedySource = Attribute(tag, "source");
      work.RemedyLocation = Attribute(tag, "location");
      work.RemedySha256 = Attribute(tag, "sha256");
    } else if (has(tag, "/product")) {
      const std::size_t u = out.list.size() - 1;
      if (!out.list[u - 1].ProductName.empty()) {
        out.list.emplace_back();
        out.list[u] = work;
      } else {
        out.list[u - 1] = work;
      }
    }
  }
  ++out.steps;
  return out;
}

struct Equivalence : Reader {
  void ExpectSame(const std::string& text) {
    modCheck::ResetRequirements();
    progress.value = 0;
    ASSERT_EQ(Read(text), 0);
    const ReferenceResult expected = ReferenceRead(text);
    EXPECT_EQ(progress.value, expected.steps);
    ASSERT_EQ(Requirements.size(), expected.list.size());
    for (std::size_t i = 0; i < Requirements.size(); ++i)
      EXPECT_TRUE(Requirements[i] == expected.list[i]) << "entry " << i;
    // Where it says each value lies, as the fuzz target checks it.
    fuzzing::SpanCheck spans(text);
    std::vector<Requirement> list(2);
    modCheck::ReadRequirementsText(text, list, &spans);
  }
};

TEST_F(Equivalence, TrickyInputs) {
  const std::string inputs[] = {
      "",
      ">",
      "<",
      "\r\n",
      "<product name=\"A\">",
      "no tags at all",
      "<product name=\"A\"></product>tail without end",
      "<product name=\"A\"></product>\r\n",
      "</product></product></product>",
      "<<product name=\"A\">>/product>",
      "<registryEntry root=\"HKEY_USERS\" key=\"k>v\" type=\"4\"></product>",
      "<REMEDY SOURCE=\"web\" LOCATION=\"%ZantrixDir%\\x\"/></PRODUCT>",
      "<fileEntry name=\"a\" dir=\"%SYSTEMDIR%%WINDIR%\" version=\"1.2\"/></product>",
      "<product name=\"\"></product><product name=\"B\"></product><product></product>",
      Bytes("<product name=\"\0\"\0></product\0>"),
      "<product name=\"\xFF\xFE\x81\x8D\"></product>",
      "<systemsearchproduct name=\"x\"></product>",
      "<!-- <product name=\"commented\"> --></product>",
      "<product name=\"A\" /product>",
      "\"<product name=\"A\">\"</product>\"",
      "<remedy sha256='x' location=\"\xE9y\"/></product>",
      "<product filename=\"\xE9\" name = \"B\" name=\"C\"></product>",
      "<fileEntry version=1.2 name= \"\x80\" dir=\"%WINDIR%\\\" view=\"6></product>",
  };
  for (const std::string& text : inputs) {
    SCOPED_TRACE(text);
    ExpectSame(text);
  }
}

TEST_F(Equivalence, RandomInputsFromAFixedSeed) {
  const std::vector<std::string> pieces = {
      "<", ">", "\"", "=", " ", "\r\n", "/", "product", "Product", "registryEntry",
      "fileEntry", "remedy", "systemSearch", "name=", "root=", "key=", "value=", "type=",
      "data=", "dir=", "version=", "source=", "location=", "view=", "64", "32", "HKEY_CURRENT_USER", "REG_DWORD",
      "-2147483647", "12", "%WINDIR%", "%SYSTEMDIR%", "%ZANTRIXDIR%", std::string(1, '\0'),
      "\xE9", "\x80", "A", "b", "<product name=\"", "</product>", "'", "sha256="};
  std::mt19937 random(20261208);
  for (int round = 0; round < 1500; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
    SCOPED_TRACE(::testing::Message() << "round " << round);
    ExpectSame(text);
    if (HasFailure()) break;
  }
}

}  // namespace
