// UTF-16 <-> UTF-8 for paths, with invalid bytes escaped to lone surrogates.
#include "sdl/utf8_path.h"

#include <cstdint>

#include "sdl/utf8.h"

namespace zodu {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + the byte 0x80..0xFF

}  // namespace

size_t DecodeUtf8(const char* bytes, size_t n, char16_t* out) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  char16_t* at = out;
  size_t i = 0;
  while (i < n) {
    unsigned char c = s[i];
    if (c < 0x80) {
      *at++ = c;
      ++i;
      continue;
    }
    const Utf8Char decoded = DecodeUtf8Char(s + i, n - i);
    if (decoded.length == 0) {
      *at++ = static_cast<char16_t>(kEscapeBase + c);
      ++i;
      continue;
    }
    uint32_t cp = decoded.code;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *at++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *at++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *at++ = static_cast<char16_t>(cp);
    }
    i += decoded.length;
  }
  return static_cast<size_t>(at - out);
}

vexstr PathFromUtf8(const char* bytes, size_t n) {
  // Never more units than bytes.
  auto* chars = static_cast<char16_t*>(vex_malloc_((n + 1) * sizeof(char16_t)));
  size_t units = DecodeUtf8(bytes, n, chars);
  chars[units] = 0;
  return vexstr::Adopt(chars, units, n + 1);
}

vexcstr PathToUtf8(const vexstr& path) {
  const char16_t* s = path.raw();
  size_t n = path.Length();
  // At most three bytes per unit (a surrogate pair gives four for two units).
  auto* chars = static_cast<char*>(vex_malloc_(3 * n + 1));
  auto* at = reinterpret_cast<unsigned char*>(chars);
  for (size_t i = 0; i < n; ++i) {
    const char16_t unit = s[i];
    if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      *at++ = static_cast<unsigned char>(unit - kEscapeBase);
      continue;
    }
    char32_t c = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
      c = 0x10000 + ((unit - 0xD800) << 10) + (s[++i] - 0xDC00);
    at += EncodeUtf8(c, at);
  }
  *at = 0;
  size_t length = static_cast<size_t>(at - reinterpret_cast<unsigned char*>(chars));
  return vexcstr::Adopt(chars, length, 3 * n + 1);
}

}  // namespace zodu
