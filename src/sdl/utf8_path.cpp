// UTF-16 <-> UTF-8 for paths, with invalid bytes escaped to lone surrogates.
#include "sdl/utf8_path.h"

#include <cstdint>

namespace zodu {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + the byte 0x80..0xFF

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

}  // namespace

size_t Utf8SequenceLength(const char* bytes, size_t n) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  unsigned char c = s[0];
  if (c < 0x80) return 1;
  // Allowed range of the second byte excludes overlong forms, surrogates and > U+10FFFF.
  unsigned char lo = 0x80, hi = 0xBF;
  size_t len;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (n < len || s[1] < lo || s[1] > hi) return 0;
  for (size_t i = 2; i < len; ++i)
    if (!IsContinuation(s[i])) return 0;
  return len;
}

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
    size_t len = Utf8SequenceLength(bytes + i, n - i);
    if (len == 0) {
      *at++ = static_cast<char16_t>(kEscapeBase + c);
      ++i;
      continue;
    }
    uint32_t cp = c & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *at++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *at++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *at++ = static_cast<char16_t>(cp);
    }
    i += len;
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
    uint32_t c = s[i];
    if (c < 0x80) {
      *at++ = static_cast<unsigned char>(c);
    } else if (c < 0x800) {
      *at++ = static_cast<unsigned char>(0xC0 | (c >> 6));
      *at++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 &&
               s[i + 1] <= 0xDFFF) {
      uint32_t cp = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
      *at++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
      *at++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
      *at++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      *at++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
      *at++ = static_cast<unsigned char>(c - kEscapeBase);
    } else {
      *at++ = static_cast<unsigned char>(0xE0 | (c >> 12));
      *at++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
      *at++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
  }
  *at = 0;
  size_t length = static_cast<size_t>(at - reinterpret_cast<unsigned char*>(chars));
  return vexcstr::Adopt(chars, length, 3 * n + 1);
}

}  // namespace zodu
