// Texts in the user's language: the plural rules of the .po files, values
// in numbered places, and every form's labels and buttons showing their
// whole texts in a language longer than English.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "about/frmAbout.h"
#include "checkwindow/frmDialog.h"
#include "checkwindow/frmSystemCheck.h"
#include "platform/texts.h"
#include "requirements/modCheck.h"
#include "tests/doubles/fake_os.h"

namespace {

TEST(Texts, PluralFormsOfEachLanguage) {
  const std::string polish =
      "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);";
  const std::string russian =
      "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || "
      "n%100>=20) ? 1 : 2);";
  struct Case {
    std::string header;
    std::map<unsigned long, int> forms;
  };
  const Case cases[] = {
      {"nplurals=2; plural=(n != 1);", {{0, 1}, {1, 0}, {2, 1}, {32767, 1}}},
      {"nplurals=2; plural=(n > 1);", {{0, 0}, {1, 0}, {2, 1}}},
      {polish, {{1, 0}, {2, 1}, {4, 1}, {5, 2}, {12, 2}, {22, 1}, {25, 2}, {112, 2}, {122, 1}}},
      {russian, {{1, 0}, {11, 2}, {21, 0}, {22, 1}, {111, 2}, {5, 2}, {32767, 2}}},
      {"nplurals=1; plural=0;", {{1, 0}, {7, 0}}},
      // What cannot be read answers no form at all.
      {"nplurals=2;", {{1, -1}}},
      {"nplurals=2; plural=(n % 0);", {{3, -1}}},
      {"nplurals=2; plural=(n ? 1 :);", {{3, -1}}},
      {"nplurals=2; plural=(n != 1;", {{3, -1}}},
  };
  for (const Case& c : cases)
    for (const auto& [n, form] : c.forms) EXPECT_EQ(platform::PluralForm(c.header, n), form) << c.header << " n=" << n;
}

TEST(Texts, ValuesGoIntoNumberedPlaces) {
  struct Case {
    const char* text;
    std::initializer_list<std::string_view> values;
    const char* out;
  };
  const Case cases[] = {
      {"%1 has version %2", {"a.dll", "1.0"}, "a.dll has version 1.0"},
      {"version %2 for %1", {"a.dll", "1.0"}, "version 1.0 for a.dll"},
      {"%1 %1", {"x"}, "x x"},
      {"100%% of %1", {"x"}, "100% of x"},
      {"%3 stays", {"x"}, "%3 stays"},
      {"a value's own %1 stays: %1", {"50%1"}, "a value's own 50%1 stays: 50%1"},
      {"%", {}, "%"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::Format(c.text, c.values), c.out) << c.text;
}

// A language whose every word is twice as long as English's.
class LongLanguage : public platform::Catalogue {
 public:
  static std::string Longer(std::string_view english) {
    std::string out;
    for (const char c : english) {
      out += c;
      if (std::isalpha(static_cast<unsigned char>(c))) out += c;
    }
    return out;
  }
  std::optional<std::string> Translate(std::string_view english) override {
    if (english == "Continue") return std::string("Fortfahren");
    return Longer(english);
  }
  std::optional<std::string> TranslatePlural(std::string_view one, std::string_view other,
                                             unsigned long n) override {
    return Longer(n == 1 ? one : other);
  }
};

// Every label and button of the three forms shows its whole text, within
// its form, in a language longer than English; in English nothing moved
// (the other tests pin the designed places down).
TEST(Texts, EveryCaptionFitsInALongerLanguage) {
  for (const int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    fakes::FakeOs os;
    os.forms.SetDpi(dpi);
    LongLanguage language;
    platform::Services services = platform::Os();
    services.texts = &language;
    platform::Install(services);
    const std::string folder = os.app.folder;
    modCheck::ProgramFolder = folder + "\\";
    os.files.AddFile(folder + "\\filespecs.xml",
                     "<product name=\"A\"><fileEntry name=\"none.dll\" dir=\"%ZANTRIXDIR%\\\"/>"
                     "<remedy source=\"pkg\" location=\"x.exe\"/></product>");
    TheSystemCheck().Load();
    ShowAboutBox();
    TheDialog().Load();
    for (platform::Form* form : platform::LoadedForms())
      for (const platform::Control* c : form->Controls()) {
        if (!c->Visible() || c->Caption().empty() ||
            (c->Kind() != platform::ControlKind::Label && c->Kind() != platform::ControlKind::Button))
          continue;
        SCOPED_TRACE(form->Name() + "." + c->Name() + ": " + c->Caption());
        EXPECT_TRUE(platform::ShowsWholeCaption(*c));
        EXPECT_LE(c->Left() + c->Width(), form->ClientWidth() + 1);
        // A label's box may reach past its text (the licence notice's does).
        const double text = c->Kind() == platform::ControlKind::Label
                                ? std::min(c->Height(), platform::CaptionHeight(*c, c->Width()))
                                : c->Height();
        EXPECT_LE(c->Top() + text, form->ClientHeight() + 1);
      }
    EXPECT_EQ(TheSystemCheck().ControlByName("cmdPerform")->Caption(), "PPeerrffoorrmm RReetteesstt");
    for (platform::Form* form : platform::LoadedForms()) form->Unload();
  }
}

// Every box the checker shows has its title in the user's language: the
// missing requirements file's two boxes.
TEST(Texts, BoxTitlesSpeakTheLanguage) {
  fakes::FakeOs os;
  LongLanguage language;
  platform::Services services = platform::Os();
  services.texts = &language;
  platform::Install(services);
  modCheck::ProgramFolder = os.app.folder + "\\";
  os.messageBoxes.answers = {platform::kIdOk, platform::kIdNo};
  TheSystemCheck().Load();
  ASSERT_EQ(os.messageBoxes.shown.size(), 2u);
  for (const auto& box : os.messageBoxes.shown) EXPECT_EQ(box.title, LongLanguage::Longer("Error"));
  for (platform::Form* form : platform::LoadedForms()) form->Unload();
}

}  // namespace
