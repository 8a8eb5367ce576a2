#include "platform/texts.h"

#include <cctype>

#include "platform/services.h"

namespace platform {
namespace {

// A recursive-descent reading of the plural expression, evaluated as it is
// read: ternary, ||, &&, equality, relational, additive, multiplicative,
// unary !, then n, numbers and parentheses.
class PluralExpression {
 public:
  PluralExpression(std::string_view text, unsigned long n) : text_(text), n_(n) {}
  bool Evaluate(unsigned long& value) {
    value = Conditional();
    Skip();
    return ok_ && at_ == text_.size();
  }

 private:
  void Skip() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool Take(std::string_view token) {
    Skip();
    if (text_.substr(at_, token.size()) != token) return false;
    // "<" is not the start of "<=", nor "=" of "==".
    if (token.size() == 1 && (token == "<" || token == ">" || token == "!") &&
        at_ + 1 < text_.size() && text_[at_ + 1] == '=')
      return false;
    at_ += token.size();
    return true;
  }
  unsigned long Conditional() {
    const unsigned long condition = Or();
    if (!Take("?")) return condition;
    const unsigned long yes = Conditional();
    if (!Take(":")) ok_ = false;
    const unsigned long no = Conditional();
    return condition ? yes : no;
  }
  unsigned long Or() {
    unsigned long value = And();
    while (Take("||")) value = (And() != 0) | (value != 0);
    return value;
  }
  unsigned long And() {
    unsigned long value = Equality();
    while (Take("&&")) value = (Equality() != 0) & (value != 0);
    return value;
  }
  unsigned long Equality() {
    unsigned long value = Relation();
    for (;;) {
      if (Take("==")) value = value == Relation();
      else if (Take("!=")) value = value != Relation();
      else return value;
    }
  }
  unsigned long Relation() {
    unsigned long value = Sum();
    for (;;) {
      if (Take("<=")) value = value <= Sum();
      else if (Take(">=")) value = value >= Sum();
      else if (Take("<")) value = value < Sum();
      else if (Take(">")) value = value > Sum();
      else return value;
    }
  }
  unsigned long Sum() {
    unsigned long value = Product();
    for (;;) {
      if (Take("+")) value += Product();
      else if (Take("-")) value -= Product();
      else return value;
    }
  }
  unsigned long Product() {
    unsigned long value = Unary();
    for (;;) {
      if (Take("*")) {
        value *= Unary();
      } else if (Take("/") || Take("%")) {
        const bool remainder = text_[at_ - 1] == '%';
        const unsigned long divisor = Unary();
        if (divisor == 0) {
          ok_ = false;
          return 0;
        }
        value = remainder ? value % divisor : value / divisor;
      } else {
        return value;
      }
    }
  }
  unsigned long Unary() {
    if (Take("!")) return !Unary();
    if (Take("(")) {
      const unsigned long value = Conditional();
      if (!Take(")")) ok_ = false;
      return value;
    }
    Skip();
    if (at_ < text_.size() && text_[at_] == 'n') {
      ++at_;
      return n_;
    }
    if (at_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[at_]))) {
      ok_ = false;
      return 0;
    }
    unsigned long value = 0;
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])))
      value = value * 10 + static_cast<unsigned long>(text_[at_++] - '0');
    return value;
  }

  std::string_view text_;
  unsigned long n_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace

bool TextsAreEnglish() { return !Os().texts || Os().texts->English(); }

std::string T(std::string_view english) {
  if (Catalogue* catalogue = Os().texts)
    if (auto translated = catalogue->Translate(english)) return std::move(*translated);
  return std::string(english);
}

std::string TN(std::string_view one, std::string_view other, unsigned long n) {
  if (Catalogue* catalogue = Os().texts)
    if (auto translated = catalogue->TranslatePlural(one, other, n)) return std::move(*translated);
  return std::string(n == 1 ? one : other);
}

std::string Format(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '%' && next == '%') {
      out += '%';
      ++i;
    } else if (text[i] == '%' && next >= '1' && next <= '9' &&
               static_cast<std::size_t>(next - '1') < values.size()) {
      out += values.begin()[next - '1'];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

EnglishTexts::EnglishTexts() : saved_(Os().texts) {
  Services s = Os();
  s.texts = nullptr;
  Install(s);
}

EnglishTexts::~EnglishTexts() {
  Services s = Os();
  s.texts = saved_;
  Install(s);
}

int PluralForm(std::string_view header, unsigned long n) {
  const std::size_t plural = header.find("plural=");
  if (plural == std::string_view::npos) return -1;
  std::string_view expression = header.substr(plural + 7);
  expression = expression.substr(0, expression.find(';'));
  unsigned long value = 0;
  if (!PluralExpression(expression, n).Evaluate(value) || value > 100) return -1;
  return static_cast<int>(value);
}

}  // namespace platform
