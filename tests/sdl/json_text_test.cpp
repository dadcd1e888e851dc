// JSON string literals from 16-bit text.
#include "sdl/json_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// JSON strings (cif-json, verify --json): escapes, UTF-8, and surrogates without their
// partner, which UTF-8 cannot carry (a file name that is not UTF-8 has them).
TEST(JsonString, EscapesAndEncodes) {
  const std::pair<std::u16string, std::string> rows[] = {
      {u"a\"b\\c/d", "\"a\\\"b\\\\c/d\""},
      {std::u16string(u"\b\n\t\0\x1f\x7f", 6), "\"\\b\\n\\t\\u0000\\u001f\x7f\""},
      {u"\u00e9\u20ac\U0001F600", "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
      {u"\xd800x\xdc80", "\"\\ud800x\\udc80\""},
      {u"\xdfff\xd800", "\"\\udfff\\ud800\""},
  };
  for (const auto& [text, json] : rows) {
    std::string out = "[";  // appended, not replaced
    zt7::AppendJsonString(out, text);
    EXPECT_EQ(out, "[" + json) << json;
  }
}

}  // namespace
