// The one UTF-8 decoder and encoder, sequence by sequence.
#include <gtest/gtest.h>

#include <string>

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
    {"two bytes, the last", "\xDF\xBF", 0x7FF, 2},
    {"three bytes", "\xE2\x82\xAC", 0x20AC, 3},
    {"three bytes, the last", "\xEF\xBF\xBF", 0xFFFF, 3},
    {"beyond U+FFFF", "\xF0\x9F\x98\x80", 0x1F600, 4},
    {"the last code point", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
    {"only the first character counts", "\xC3\xA9z", 0xE9, 2},
    {"overlong NUL", "\xC0\x80", 0xC0, 0},
    {"overlong in two bytes", "\xC1\xBF", 0xC1, 0},
    {"overlong in three bytes", "\xE0\x9F\xBF", 0xE0, 0},
    {"overlong in four bytes", "\xF0\x8F\xBF\xBF", 0xF0, 0},
    {"the first surrogate", "\xED\xA0\x80", 0xED, 0},
    {"the last surrogate", "\xED\xBF\xBF", 0xED, 0},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0xF4, 0},
    {"never a first byte", "\xF5\x80\x80\x80", 0xF5, 0},
    {"a continuation byte alone", "\x80", 0x80, 0},
    {"truncated by the end", "\xE2\x82", 0xE2, 0},
    {"truncated by ASCII", "\xE2\x82z", 0xE2, 0},
    {"four bytes truncated", "\xF0\x9F\x98", 0xF0, 0},
};

TEST(Utf8, DecodesOneSequence) {
  for (const auto& c : kSequences) {
    const Utf8Char got =
        DecodeUtf8Char(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(got.code, c.code) << c.what;
    EXPECT_EQ(got.length, c.length) << c.what;
  }
}

TEST(Utf8, EncodesWhatItDecodes) {
  for (const auto& c : kSequences) {
    if (c.length == 0) continue;
    unsigned char out[4];
    const size_t n = EncodeUtf8(c.code, out);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), n), c.bytes.substr(0, c.length))
        << c.what;
  }
  // A lone surrogate, which UTF-8 cannot carry, goes out in the three-byte form.
  unsigned char out[4];
  ASSERT_EQ(EncodeUtf8(0xD800, out), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 3), "\xED\xA0\x80");
}

}  // namespace
}  // namespace zodu
