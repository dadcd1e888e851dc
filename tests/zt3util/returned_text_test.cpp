// Returned texts: one new module-owned copy per call that stays readable.
#include "zt3util/returned_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sdl/ebase.h"

namespace {

TEST(MakeReturnedText, EveryCallMakesItsOwnCopy) {
  zodu::vexstr text(u"4162a5");
  const char* first = zt3util::MakeReturnedText(text);
  const char* second = zt3util::MakeReturnedText(text);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "4162a5");
  EXPECT_STREQ(second, "4162a5");
}

TEST(MakeReturnedText, EmptyTextsAreSeparateToo) {
  const char* first = zt3util::MakeReturnedText(zodu::vexstr());
  const char* second = zt3util::MakeReturnedText(zodu::vexstr());
  EXPECT_STREQ(first, "");
  EXPECT_STREQ(second, "");
  EXPECT_NE(first, second);
}

TEST(MakeReturnedText, CopiesOnlyTheViewAndEndsIt) {
  // A view inside a longer buffer: the copy must stop at the view's end.
  zodu::vexstr whole(u"abcdef");
  EXPECT_STREQ(zt3util::MakeReturnedText(whole.SubString(1, 3)), "bcd");
}

TEST(MakeReturnedText, CharactersUpTo255BecomeSingleBytes) {
  const char* text = zt3util::MakeReturnedText(zodu::vexstr(u"\u00E9\u00FF"));
  EXPECT_EQ(std::strlen(text), 2u);
  EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xE9);
  EXPECT_EQ(static_cast<unsigned char>(text[1]), 0xFF);
}

TEST(MakeReturnedText, CharactersAbove255AreAnError) {
  EXPECT_THROW(zt3util::MakeReturnedText(zodu::vexstr(u"a\u0100")),
               zodu::TInvalidArgumentException);
}

}  // namespace
