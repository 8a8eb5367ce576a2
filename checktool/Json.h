#pragma once
// Just enough JSON writing for the tool's reports: objects and arrays
// written in order, strings escaped (see JsonString).
#include <cstdint>
#include <string>
#include <vector>

namespace checktool {

class JsonWriter {
 public:
  // Names a member of the open object; the next value is its value.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& text);
  JsonWriter& Number(std::int64_t number);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The text written so far, indented two spaces a level, with a final
  // line break once everything is closed.
  std::string Text() const;

 private:
  void BeforeValue();
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void Indent();
  std::string out_;
  std::vector<bool> firsts_;  // per open level: no member written yet
  bool afterKey_ = false;
};

// `text` as a JSON string, quotes included. The output is UTF-8 whatever
// the text holds: a byte that starts no UTF-8 character is written as the
// four characters \xHH.
std::string JsonString(const std::string& text);

}  // namespace checktool
