#include "checktool/Json.h"

#include <cstdio>

#include "platform/text.h"

namespace checktool {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
      // Bytes that are not UTF-8 (a file name, a stray byte in a UTF-8
      // file) are written as the text \xHH, so the output stays UTF-8.
      const std::size_t length = platform::Utf8SequenceAt(text, i);
      if (length == 0) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\\\x%02X", u);
        out += escaped;
      } else {
        out.append(text, i, length);
        i += length - 1;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void JsonWriter::Indent() { out_ += "\n" + std::string(2 * firsts_.size(), ' '); }

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (firsts_.empty()) return;
  if (!firsts_.back()) out_ += ",";
  firsts_.back() = false;
  Indent();
}

JsonWriter& JsonWriter::Key(const std::string& name) {
  BeforeValue();
  out_ += JsonString(name) + ": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& text) {
  BeforeValue();
  out_ += JsonString(text);
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t number) {
  BeforeValue();
  out_ += std::to_string(number);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
  return *this;
}

JsonWriter& JsonWriter::Open(char bracket) {
  BeforeValue();
  out_ += bracket;
  firsts_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  const bool empty = firsts_.back();
  firsts_.pop_back();
  if (!empty) Indent();
  out_ += bracket;
  return *this;
}

JsonWriter& JsonWriter::BeginObject() { return Open('{'); }
JsonWriter& JsonWriter::EndObject() { return Close('}'); }
JsonWriter& JsonWriter::BeginArray() { return Open('['); }
JsonWriter& JsonWriter::EndArray() { return Close(']'); }

std::string JsonWriter::Text() const { return firsts_.empty() ? out_ + "\n" : out_; }

}  // namespace checktool
