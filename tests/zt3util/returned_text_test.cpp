// Returned texts: one new module-owned copy per call that stays readable.
#include "zt3util/returned_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sdl/ebase.h"

namespace {

// Empty texts too: a host may keep one while asking for the next.
TEST(MakeReturnedText, EveryCallMakesItsOwnCopy) {
  for (const char16_t* text : {u"4162a5", u""}) {
    const char* first = zt7::MakeReturnedText(zodu::vexstr(text));
    const char* second = zt7::MakeReturnedText(zodu::vexstr(text));
    EXPECT_NE(first, second);
    EXPECT_EQ(std::u16string(first, first + std::strlen(first)), text);
    EXPECT_STREQ(first, second);
  }
}

TEST(MakeReturnedText, CopiesOnlyTheViewAndEndsIt) {
  // A view inside a longer buffer: the copy must stop at the view's end.
  zodu::vexstr whole(u"abcdef");
  EXPECT_STREQ(zt7::MakeReturnedText(whole.SubString(1, 3)), "bcd");
}

// Characters up to 255 become single bytes; above, see the export guard's test.
TEST(MakeReturnedText, CharactersUpTo255BecomeSingleBytes) {
  const char* text = zt7::MakeReturnedText(zodu::vexstr(u"\u00E9\u00FF"));
  EXPECT_EQ(std::strlen(text), 2u);
  EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xE9);
  EXPECT_EQ(static_cast<unsigned char>(text[1]), 0xFF);
}

}  // namespace
