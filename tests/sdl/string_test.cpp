// The string types: conversions, comparison order, copy on write, C texts, appends.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <tuple>

#include "sdl/estrlist.h"
#include "support/raises.h"

namespace zodu {
namespace {

using testing_support::Ascii;
using testing_support::Raises;

// Narrowing keeps bytes up to 255; widening extends the sign of the byte; null texts are empty.
TEST(Conversion, ByteRangeSignAndNull) {
  const char16_t latin[] = {0x41, 0xE9, 0x100};
  vexcstr narrowed(vexstr(latin, 2));
  EXPECT_EQ(narrowed[1], '\xe9');
  vexstr widened(narrowed);
  EXPECT_EQ(widened[1], 0xFFE9);
  EXPECT_TRUE(Raises<TInvalidArgumentException>([&] { vexcstr again(widened); },
                                                "Char out of range for MBStr"));
  vexcstr kept("keep");
  EXPECT_THROW(kept.AssignWCharStr(latin, 3), TInvalidArgumentException);
  EXPECT_EQ(Ascii(kept), "keep");  // a failed conversion leaves the string
  EXPECT_TRUE(vexstr(static_cast<const char*>(nullptr)).IsEmpty());
}

// Equal lengths compare characters; else empty is smaller, then the prefix, then the length.
// Narrow characters are signed bytes, wide ones unsigned; only ASCII letters are lowered.
TEST(Comparison, ModuleOrder) {
  // a, b, then the sign of the exact and the case-ignoring comparisons, or their value.
  const std::tuple<const char*, const char*, int, int> rows[] = {
      {"ab", "abc", -1, -1},
      {"", "a", -1, -1},
      {"ABC", "abc", 'A' - 'a', 0},
      {"a", "B", 'a' - 'B', -1},
      {"abz", "abA", 'z' - 'A', 'z' - 'a'},
      {"_", "a", '_' - 'a', '_' - 'a'},
  };
  for (const auto& [a, b, exact, ignoringCase] : rows) {
    EXPECT_EQ(vexcstr(a).Compare(vexcstr(b)), exact) << a << "|" << b;
    EXPECT_EQ(vexstr(a).Compare(vexstr(b)), exact) << a << "|" << b;
    EXPECT_EQ(vexcstr(a).Comparei(vexcstr(b)), ignoringCase) << a << "|" << b;
  }
  EXPECT_LT(vexcstr("\x80").Compare(vexcstr("a")), 0);
  EXPECT_GT(vexstr(u"\u0080").Compare(vexstr(u"a")), 0);
  EXPECT_NE(vexstr(u"\u00C9").Comparei(vexstr(u"\u00E9")), 0);
}

TEST(CopyOnWrite, ChangingACopyOrViewLeavesTheOriginal) {
  vexcstr text("hello world");
  vexcstr copy = text, world = text.SubString(6, 5);
  EXPECT_EQ(world.raw(), text.raw() + 6);  // views share the buffer
  copy.Set(0, 'j');
  world.Set(0, 'W');
  EXPECT_EQ(Ascii(text), "hello world");
  EXPECT_EQ(Ascii(copy), "jello world");
  EXPECT_EQ(Ascii(world), "World");
  vexcstr t("0123456789");
  t << t;  // appending from the own buffer, which growing moves
  for (int i = 0; i < 5; ++i) t << t.SubString(2, 3);
  EXPECT_EQ(Ascii(t), "01234567890123456789234234234234234");
}

TEST(CStr, ViewsAreTerminatedWithoutChangingTheOriginal) {
  vexcstr text("hello world");
  EXPECT_STREQ(text.SubString(0, 5).c_str(), "hello");
  EXPECT_STREQ(text.c_str(), "hello world");
  EXPECT_EQ(text.SubString(6, 5).c_str(), text.raw() + 6);  // already ends at a NUL
  char* chars = static_cast<char*>(vex_malloc_(5));
  std::memcpy(chars, "abcde", 5);
  vexcstr adopted = vexcstr::Adopt(chars, 5);
  EXPECT_EQ(adopted.raw(), chars);         // adopted without a copy
  EXPECT_STREQ(adopted.c_str(), "abcde");  // no room for the NUL: the buffer grows
}

TEST(SubString, RangesBeyondTheLengthRaise) {
  vexcstr s("abc");
  EXPECT_EQ(Ascii(s.SubString(3, 0)), "");
  EXPECT_EQ(Ascii(s.SubStringFrom(1)), "bc");
  for (auto [start, count] : {std::pair<size_t, size_t>{2, 2}, {4, 0}, {1, SIZE_MAX}})
    EXPECT_THROW(s.SubString(start, count), TIndexOutOfRangeException) << start;
  EXPECT_EQ(Ascii(vexcstr(" \tab c\t ").TrimWhiteChars()), "ab c");
  EXPECT_EQ(Ascii(vexcstr("\nx\n").TrimWhiteChars()), "\nx\n");
}

TEST(Append, IntegersAndCharactersAsText) {
  vexcstr s;
  s << -5 << ' ' << 4294967295u << ' ' << INT_MIN << u'q';
  EXPECT_EQ(Ascii(s), "-5 4294967295 -2147483648q");
  vexstr w;
  w << 'x' << "yz" << static_cast<unsigned long>(18446744073709551615ul);
  EXPECT_EQ(Ascii(w), "xyz18446744073709551615");
  EXPECT_THROW(s << u'\u2603', TInvalidArgumentException);
  TTStrBuffer<vexcstr> buffer;
  vexcstr line("one two three");
  buffer << line.SubString(8, 5) << vexcstr("") << vexcstr("-") << line.SubString(0, 3);
  EXPECT_STREQ(buffer.ToString().c_str(), "three-one");
}

// Non-overlapping from the start; a pattern byte above 0x7F never matches a wide character.
TEST(Replace, Table) {
  const std::tuple<std::u16string, const char*, const char*, const char*> rows[] = {
      {u"aaaa", "aa", "b", "bb"},          {u"aaa", "aa", "b", "ba"},
      {u"a-b", "-", "--", "a--b"},         {u"abc", "", "x", "abc"},
      {u"xax", "x", nullptr, "a"},         {u"Abc", "a", "z", "Abc"},
      {u"caf\uFFE9", "\xe9", "e", "caf?"}, {u"caf\u00E9", "\xe9", "e", "caf?"},
  };
  for (const auto& [text, pattern, replacement, result] : rows) {
    vexstr s(text.data(), text.size()), copy = s;
    s.Replace(pattern, replacement);
    EXPECT_EQ(Ascii(s), result) << pattern;
    EXPECT_EQ(std::u16string(copy.raw(), copy.Length()), text);
  }
}

TEST(ToBool, ComparesIgnoringCase) {
  EXPECT_TRUE(vexstr::ToBool(vexstr(u"TRUE")));
  EXPECT_FALSE(vexstr::ToBool(vexstr(u"False")));
  for (const char16_t* word : {u"yes", u"", u" true"})
    EXPECT_THROW(vexstr::ToBool(vexstr(word)), TInvalidBoolException);
}

}  // namespace
}  // namespace zodu
