// UTF-8 paths: decoding, escapes for invalid bytes, and exact round trips.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "sdl/utf8_path.h"

namespace zodu {
namespace {

std::u16string Decode(const std::string& bytes) {
  vexstr s = PathFromUtf8(bytes.data(), bytes.size());
  return std::u16string(s.raw(), s.Length());
}

std::string Encode(const std::u16string& units) {
  vexcstr s = PathToUtf8(vexstr(units.data(), units.size()));
  EXPECT_EQ(s.c_str()[s.Length()], 0);
  return std::string(s.raw(), s.Length());
}

// Hand-worked from the UTF-8 and UTF-16 encoding tables; which sequences are invalid is
// utf8_test's table, each of their bytes is escaped here.
const std::pair<std::string, std::u16string> kCases[] = {
    {"\xE2\x82\xAC", u"\u20AC"},            // three bytes
    {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // four bytes: a surrogate pair
    {"\xF0\x90\x82\x80", u"\xD800\xDC80"},  // pair whose low half looks like an escape
    {"\xFF", u"\xDCFF"},                    // never valid
    {"a\x80z", u"a\xDC80z"},                // lone continuation byte
    {"\xC3z", u"\xDCC3z"},                  // truncated before ASCII
};

TEST(Utf8Path, DecodesAndEncodesTheTable) {
  for (const auto& [bytes, units] : kCases) {
    EXPECT_EQ(Decode(bytes), units) << bytes;
    EXPECT_EQ(Encode(units), bytes) << bytes;
  }
  // Lone surrogates outside the escapes go out in three bytes.
  EXPECT_EQ(Encode(u"\xD800"), "\xED\xA0\x80");
  EXPECT_EQ(Encode(u"\xDC7F"), "\xED\xB1\xBF");
}

}  // namespace
}  // namespace zodu
