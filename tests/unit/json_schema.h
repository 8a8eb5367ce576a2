#pragma once
// Just enough JSON for the tests: a parser, and a validator for the parts
// of JSON Schema the tool's schema uses (type, enum, required, properties,
// additionalProperties false, items, anyOf, $ref into $defs).
#include <cctype>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace jsontest {

struct Value {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  bool boolean = false;
  double number = 0;
  bool integral = false;
  std::string text;
  std::vector<Value> items;
  std::map<std::string, Value> members;
  const Value* Member(const std::string& name) const {
    const auto it = members.find(name);
    return it == members.end() ? nullptr : &it->second;
  }
};

class Parser {
 public:
  explicit Parser(const std::string& text) : s_(text) {}
  Value Parse() {
    Value v = ParseValue();
    Skip();
    if (at_ != s_.size()) throw std::runtime_error("text after the value");
    return v;
  }

 private:
  void Skip() {
    while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
  }
  char Next() {
    Skip();
    if (at_ >= s_.size()) throw std::runtime_error("unexpected end");
    return s_[at_];
  }
  void Expect(char c) {
    if (Next() != c) throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(at_));
    ++at_;
  }
  std::string ParseString() {
    Expect('"');
    std::string out;
    while (at_ < s_.size() && s_[at_] != '"') {
      char c = s_[at_++];
      if (c == '\\') {
        const char e = s_.at(at_++);
        switch (e) {
          case 'n': c = '\n'; break;
          case 'r': c = '\r'; break;
          case 't': c = '\t'; break;
          case 'u': c = static_cast<char>(std::stoi(s_.substr(at_, 4), nullptr, 16)); at_ += 4; break;
          default: c = e;
        }
      } else if (static_cast<unsigned char>(c) < 0x20) {
        throw std::runtime_error("control character in a string");
      }
      out += c;
    }
    Expect('"');
    return out;
  }
  Value ParseValue() {
    Value v;
    const char c = Next();
    if (c == '{') {
      v.kind = Value::Object;
      ++at_;
      if (Next() == '}') return ++at_, v;
      for (;;) {
        const std::string name = ParseString();
        Expect(':');
        v.members[name] = ParseValue();
        if (Next() == ',') { ++at_; continue; }
        Expect('}');
        return v;
      }
    }
    if (c == '[') {
      v.kind = Value::Array;
      ++at_;
      if (Next() == ']') return ++at_, v;
      for (;;) {
        v.items.push_back(ParseValue());
        if (Next() == ',') { ++at_; continue; }
        Expect(']');
        return v;
      }
    }
    if (c == '"') {
      v.kind = Value::String;
      v.text = ParseString();
      return v;
    }
    for (const auto& [word, kind, flag] : {std::tuple{"true", Value::Bool, true},
                                            std::tuple{"false", Value::Bool, false},
                                            std::tuple{"null", Value::Null, false}})
      if (s_.compare(at_, std::string(word).size(), word) == 0) {
        at_ += std::string(word).size();
        v.kind = kind;
        v.boolean = flag;
        return v;
      }
    std::size_t used = 0;
    v.number = std::stod(s_.substr(at_), &used);
    const std::string literal = s_.substr(at_, used);
    v.integral = literal.find_first_of(".eE") == std::string::npos;
    at_ += used;
    v.kind = Value::Number;
    return v;
  }
  const std::string& s_;
  std::size_t at_ = 0;
};

// Problems of `value` against `schema`, each with its JSON path; none when
// it is valid. `root` holds the $defs.
inline void Validate(const Value& value, const Value& schema, const Value& root,
                     const std::string& path, std::vector<std::string>& problems) {
  if (const Value* ref = schema.Member("$ref")) {
    const std::string prefix = "#/$defs/";
    const Value* target = root.Member("$defs")->Member(ref->text.substr(prefix.size()));
    Validate(value, *target, root, path, problems);
  }
  if (const Value* any = schema.Member("anyOf")) {
    bool one = false;
    for (const Value& option : any->items) {
      std::vector<std::string> ignored;
      Validate(value, option, root, path, ignored);
      one = one || ignored.empty();
    }
    if (!one) problems.push_back(path + ": matches none of anyOf");
  }
  if (const Value* type = schema.Member("type")) {
    std::vector<std::string> allowed;
    if (type->kind == Value::String) allowed.push_back(type->text);
    for (const Value& t : type->items) allowed.push_back(t.text);
    const auto is = [&](const std::string& t) {
      switch (value.kind) {
        case Value::Null: return t == "null";
        case Value::Bool: return t == "boolean";
        case Value::Number: return t == "number" || (t == "integer" && value.integral);
        case Value::String: return t == "string";
        case Value::Array: return t == "array";
        case Value::Object: return t == "object";
      }
      return false;
    };
    bool ok = false;
    for (const std::string& t : allowed) ok = ok || is(t);
    if (!ok) problems.push_back(path + ": wrong type");
  }
  if (const Value* choices = schema.Member("enum")) {
    bool ok = false;
    for (const Value& c : choices->items)
      ok = ok || (c.kind == value.kind && c.text == value.text && c.number == value.number &&
                  c.boolean == value.boolean);
    if (!ok) problems.push_back(path + ": not one of enum");
  }
  if (value.kind == Value::Object) {
    if (const Value* required = schema.Member("required"))
      for (const Value& name : required->items)
        if (!value.Member(name.text)) problems.push_back(path + ": missing " + name.text);
    const Value* properties = schema.Member("properties");
    const Value* additional = schema.Member("additionalProperties");
    for (const auto& [name, member] : value.members) {
      const Value* sub = properties ? properties->Member(name) : nullptr;
      if (sub)
        Validate(member, *sub, root, path + "." + name, problems);
      else if (additional && additional->kind == Value::Bool && !additional->boolean)
        problems.push_back(path + ": unexpected " + name);
    }
  }
  if (value.kind == Value::Array)
    if (const Value* items = schema.Member("items"))
      for (std::size_t i = 0; i < value.items.size(); ++i)
        Validate(value.items[i], *items, root, path + "[" + std::to_string(i) + "]", problems);
}

}  // namespace jsontest
