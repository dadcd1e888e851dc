// Reading JSON documents that this system wrote.
#include "sdl/json_read.h"

#include <cstdlib>

#include "sdl/utf8_path.h"

namespace zt7::json {
namespace {

// Deep enough for every report; keeps a hostile file from exhausting the stack.
constexpr int kDeepest = 64;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool Document(Value& value) {
    return ReadValue(value, 0) && (Blanks(), at_ == text_.size() || Fail("text after the value"));
  }
  std::string Problem() const {
    size_t line = 1;
    for (size_t i = 0; i < at_ && i < text_.size(); ++i) line += text_[i] == '\n';
    return "line " + std::to_string(line) + ": " + problem_;
  }

 private:
  bool Fail(const char* why) {
    if (problem_.empty()) problem_ = at_ >= text_.size() ? "unexpected end" : why;
    return false;
  }
  void Blanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
      ++at_;
  }
  bool Take(char c) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
    return false;
  }
  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return Fail("not a JSON value");
    at_ += word.size();
    return true;
  }

  bool ReadValue(Value& value, int depth) {
    if (depth > kDeepest) return Fail("nested too deeply");
    Blanks();
    const size_t start = at_;
    if (at_ >= text_.size()) return Fail("");
    bool ok;
    switch (text_[at_]) {
      case '{':
        ok = ReadObject(value, depth);
        break;
      case '[':
        ok = ReadArray(value, depth);
        break;
      case '"':
        value.kind = Value::Kind::kString;
        ok = ReadString(value.text);
        break;
      case 't':
      case 'f':
        value.kind = Value::Kind::kBool;
        value.boolean = text_[at_] == 't';
        ok = Word(value.boolean ? "true" : "false");
        break;
      case 'n':
        ok = Word("null");
        break;
      default:
        ok = ReadNumber(value);
    }
    value.raw = text_.substr(start, at_ - start);
    return ok;
  }

  bool ReadObject(Value& value, int depth) {
    value.kind = Value::Kind::kObject;
    ++at_;
    if (Take('}')) return true;
    do {
      std::string key;
      Blanks();
      if (at_ >= text_.size() || text_[at_] != '"') return Fail("expected a member name");
      if (!ReadString(key)) return false;
      if (!Take(':')) return Fail("expected ':'");
      value.names.push_back(std::move(key));
      value.values.emplace_back();
      if (!ReadValue(value.values.back(), depth + 1)) return false;
    } while (Take(','));
    return Take('}') || Fail("expected ',' or '}'");
  }

  bool ReadArray(Value& value, int depth) {
    value.kind = Value::Kind::kArray;
    ++at_;
    if (Take(']')) return true;
    do {
      value.items.emplace_back();
      if (!ReadValue(value.items.back(), depth + 1)) return false;
    } while (Take(','));
    return Take(']') || Fail("expected ',' or ']'");
  }

  bool ReadNumber(Value& value) {
    const size_t start = at_;
    while (at_ < text_.size() &&
           std::string_view("+-.0123456789eE").find(text_[at_]) != std::string_view::npos)
      ++at_;
    const std::string number(text_.substr(start, at_ - start));
    char* end = nullptr;
    value.kind = Value::Kind::kNumber;
    value.number = std::strtod(number.c_str(), &end);
    return (!number.empty() && end == number.c_str() + number.size()) || Fail("not a JSON value");
  }

  bool ReadString(std::string& out) {
    std::u16string units;
    // Plain bytes go through the decoder in runs, so that they come out as escapes do.
    const auto flush = [&](size_t from) {
      std::u16string decoded(at_ - from, u'\0');
      decoded.resize(zodu::DecodeUtf8(text_.data() + from, at_ - from, decoded.data()));
      units += decoded;
    };
    size_t plain = ++at_;
    while (at_ < text_.size() && text_[at_] != '"') {
      const char c = text_[at_];
      if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character in a string");
      if (c != '\\') {
        ++at_;
        continue;
      }
      flush(plain);
      if (++at_ >= text_.size()) return Fail("");
      const char e = text_[at_++];
      const std::string_view named = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
      if (const size_t i = named.find(e); i != std::string_view::npos) {
        units += char16_t(meant[i]);
      } else if (e == 'u' && at_ + 4 <= text_.size()) {
        char hex[5] = {text_[at_], text_[at_ + 1], text_[at_ + 2], text_[at_ + 3], 0};
        char* end = nullptr;
        const long unit = std::strtol(hex, &end, 16);
        if (end != hex + 4) return Fail("a bad \\u escape");
        units += char16_t(unit);
        at_ += 4;
      } else {
        return Fail("a bad escape in a string");
      }
      plain = at_;
    }
    if (at_ >= text_.size()) return Fail("");
    flush(plain);
    ++at_;
    const zodu::vexcstr utf8 = zodu::PathToUtf8(zodu::vexstr(units.data(), units.size()));
    out.assign(utf8.raw(), utf8.Length());
    return true;
  }

  std::string_view text_;
  size_t at_ = 0;
  std::string problem_;
};

}  // namespace

const Value* Value::Get(const std::string& key) const {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == key) return &values[i];
  return nullptr;
}

Result<Value> Parse(std::string_view text) {
  Reader reader(text);
  Value value;
  if (!reader.Document(value)) return Result<Value>(Outcome::kRefused, reader.Problem());
  return value;
}

}  // namespace zt7::json
