// UTF-8: the one decoder of a sequence and the one encoder of a character.
#include "sdl/utf8.h"

namespace zodu {

Utf8Char DecodeUtf8Char(const unsigned char* s, size_t n) {
  const unsigned char c = s[0];
  if (c < 0x80) return {c, 1};
  const Utf8Char invalid{c, 0};
  // The allowed range of the second byte excludes overlong forms, surrogates and
  // everything beyond U+10FFFF.
  unsigned char lo = 0x80, hi = 0xBF;
  size_t length;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return invalid;
  }
  if (n < length || s[1] < lo || s[1] > hi) return invalid;
  char32_t code = c & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return invalid;
    code = (code << 6) | (s[i] & 0x3F);
  }
  return {code, length};
}

size_t EncodeUtf8(char32_t c, unsigned char* out) {
  if (c < 0x80) {
    out[0] = static_cast<unsigned char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
    out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
  out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
  return 4;
}

}  // namespace zodu
