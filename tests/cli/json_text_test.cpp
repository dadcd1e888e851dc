// JSON string literals: escapes, UTF-8 and surrogates.
#include "json_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JsonString, EscapesAndEncodes) {
  struct Case {
    std::u16string text;
    std::string json;  // UTF-8 bytes written out by hand
  } cases[] = {
      {u"", "\"\""},
      {u"plain 1.5(3)", "\"plain 1.5(3)\""},
      {u"a\"b\\c/d", "\"a\\\"b\\\\c/d\""},
      {u"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
      {std::u16string(u"\0\x01\x1f\x7f", 4), "\"\\u0000\\u0001\\u001f\x7f\""},
      {u"\u00e9\u00c5", "\"\xc3\xa9\xc3\x85\""},                            // two-byte forms
      {u"\u0800\u20ac\uffbf", "\"\xe0\xa0\x80\xe2\x82\xac\xef\xbe\xbf\""},  // three-byte
      {u"\U0001F600x", "\"\xf0\x9f\x98\x80x\""},                            // a pair joined
      {u"\U00010000\U0010FFFF", "\"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\""},
      {u"\xd800x", "\"\\ud800x\""},             // high without low
      {u"x\xdc80", "\"x\\udc80\""},             // low alone
      {u"\xdbff\xdbff", "\"\\udbff\\udbff\""},  // two highs
      {u"\xdfff\xd800", "\"\\udfff\\ud800\""},  // low before high
  };
  for (const Case& c : cases) {
    std::string out = "[";  // appended, not replaced
    zt7cli::AppendJsonString(out, c.text);
    EXPECT_EQ(out, std::string("[").append(c.json)) << c.json;
  }
}

}  // namespace
