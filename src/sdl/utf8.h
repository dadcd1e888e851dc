// UTF-8: the one decoder of a sequence and the one encoder of a character. What to make of
// bytes that are not UTF-8 is each caller's rule (paths escape them, the CIF reader reads
// them as ISO 8859-1).
#pragma once

#include <cstddef>

namespace zodu {

// The character that starts at `bytes` (n > 0 bytes left): its code point and its length
// in bytes. Length 0, with the first byte as the code point, for a malformed, overlong or
// surrogate sequence, one beyond U+10FFFF and one cut off by the end.
struct Utf8Char {
  char32_t code;
  size_t length;
};
Utf8Char DecodeUtf8Char(const unsigned char* bytes, size_t n);

// Writes the UTF-8 form of `c` (at most U+10FFFF; a lone surrogate in the three-byte
// form) to `out`, which has room for four bytes; returns the bytes written.
size_t EncodeUtf8(char32_t c, unsigned char* out);

}  // namespace zodu
