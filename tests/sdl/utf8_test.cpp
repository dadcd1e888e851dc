// The one UTF-8 decoder and encoder, sequence by sequence.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "sdl/utf8.h"

namespace zodu {
namespace {

// Code points and lengths hand-worked from the UTF-8 table (RFC 3629, section 4); a
// rejected sequence gives its first byte and length 0.
const struct {
  const char* what;
  std::string bytes;
  char32_t code;
  size_t length;
} kSequences[] = {
    {"ASCII", "A", 0x41, 1},
    {"two bytes, the first", "\xC2\x80", 0x80, 2},
    {"three bytes", "\xE2\x82\xAC", 0x20AC, 3},
    {"three bytes, the last", "\xEF\xBF\xBF", 0xFFFF, 3},
    {"beyond U+FFFF", "\xF0\x9F\x98\x80", 0x1F600, 4},
    {"the last code point", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
    {"overlong NUL", "\xC0\x80", 0xC0, 0},
    {"overlong in three bytes", "\xE0\x9F\xBF", 0xE0, 0},
    {"overlong in four bytes", "\xF0\x8F\xBF\xBF", 0xF0, 0},
    {"the first surrogate", "\xED\xA0\x80", 0xED, 0},
    {"the last surrogate", "\xED\xBF\xBF", 0xED, 0},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0xF4, 0},
    {"a continuation byte alone", "\x80", 0x80, 0},
    {"truncated by ASCII", "\xE2\x82z", 0xE2, 0},
    {"four bytes truncated", "\xF0\x9F\x98", 0xF0, 0},
};

// Each valid sequence also comes back from its code point.
TEST(Utf8, DecodesAndEncodesOneSequence) {
  for (const auto& c : kSequences) {
    const Utf8Char got =
        DecodeUtf8Char(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(std::make_pair(got.code, got.length), std::make_pair(c.code, c.length)) << c.what;
    if (c.length == 0) continue;
    unsigned char out[4];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), EncodeUtf8(c.code, out)), c.bytes)
        << c.what;
  }
}

}  // namespace
}  // namespace zodu
