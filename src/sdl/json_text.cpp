// JSON string literals from 16-bit text.
#include "sdl/json_text.h"

#include "sdl/utf8.h"

namespace zt7 {
namespace {

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendEscape(std::string& out, char32_t unit) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

void AppendUtf8(std::string& out, char32_t c) {
  unsigned char bytes[4];
  out.append(reinterpret_cast<const char*>(bytes), zodu::EncodeUtf8(c, bytes));
}

}  // namespace

void AppendJsonString(std::string& out, std::u16string_view text) {
  out += '"';
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    switch (c) {
      case '"':
        out += "\\\"";
        continue;
      case '\\':
        out += "\\\\";
        continue;
      case '\b':
        out += "\\b";
        continue;
      case '\f':
        out += "\\f";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\t':
        out += "\\t";
        continue;
    }
    if (c < 0x20) {
      AppendEscape(out, c);
    } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendEscape(out, c);
    } else {
      AppendUtf8(out, c);
    }
  }
  out += '"';
}

}  // namespace zt7
