#pragma once
// The texts a user reads, in the user's language. The sources write each
// such text in English and mark it: T("...") where it is used, N_("...")
// where it is only kept for later, TN("...", "...", n) for a count. The
// gettext template resources/po/messages.pot is made from those marks
// (scripts/update-texts), each language's translations are a .po file
// beside it, and the build turns them into string tables of the programs,
// which Windows' resource loader picks by the user's UI language.
// Values go into a text through numbered places, %1 to %9 (Format), so a
// language can put them in its own order.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Marks a text for the template without translating it here.
#define N_(english) english

namespace platform {

class Catalogue {
 public:
  virtual ~Catalogue() = default;
  // The translation of an English text as the sources write it; none when
  // the user's language has none.
  virtual std::optional<std::string> Translate(std::string_view english) = 0;
  // The translation of a text with a count, in the form the language uses
  // for `n`; none when it has none.
  virtual std::optional<std::string> TranslatePlural(std::string_view one, std::string_view other,
                                                     unsigned long n) = 0;
  // Whether the user's language is English, the sources' own.
  virtual bool English() { return false; }
};

// No catalogue, or the user's language is English: every text is the one
// the forms were designed for.
bool TextsAreEnglish();

// The translation, or the English text when there is none (and always in
// a program that installs no catalogue, such as preflect-check).
std::string T(std::string_view english);
// A text with a count: English says `one` for 1 and `other` otherwise.
std::string TN(std::string_view one, std::string_view other, unsigned long n);

// `text` with %1 to %9 replaced by the values in that order, wherever the
// text puts them; %% is a percent sign; a place without a value stays as
// it is.
std::string Format(std::string_view text, std::initializer_list<std::string_view> values);

// While one lives, T and TN answer English: for what is written for
// support rather than shown (the Ctrl+C report).
class EnglishTexts {
 public:
  EnglishTexts();
  ~EnglishTexts();
  EnglishTexts(const EnglishTexts&) = delete;
  EnglishTexts& operator=(const EnglishTexts&) = delete;

 private:
  Catalogue* saved_;
};

// The form for `n` by a gettext Plural-Forms header ("nplurals=3;
// plural=(n==1 ? 0 : n%10>=2 && ...);"): a C expression of n with the
// arithmetic, comparison, logical and conditional operators. Negative when
// the header cannot be read.
int PluralForm(std::string_view header, unsigned long n);

}  // namespace platform
