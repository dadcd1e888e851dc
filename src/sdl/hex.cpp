// Lowercase hexadecimal text of raw bytes, optionally in separated groups.
#include "sdl/hex.h"

namespace zodu {

vexcstr BytesToHex(const unsigned char* bytes, size_t count, size_t group, char separator) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const size_t separators = (group != 0 && count != 0) ? (count - 1) / group : 0;
  const size_t length = 2 * count + separators;
  char* text = static_cast<char*>(vex_malloc_(length + 1));
  char* at = text;
  for (size_t i = 0; i < count; ++i) {
    if (group != 0 && i != 0 && i % group == 0) *at++ = separator;
    *at++ = kDigits[bytes[i] >> 4];
    *at++ = kDigits[bytes[i] & 0xf];
  }
  *at = 0;
  return vexcstr::Adopt(text, length, length + 1);
}

}  // namespace zodu
