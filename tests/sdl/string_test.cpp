// The string types: conversions, comparison order, copy on write, C texts, Replace, appends.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "raises.h"
#include "sdl/ebase.h"
#include "sdl/estrlist.h"

namespace zodu {
namespace {

using testing_support::Ascii;
using testing_support::Raises;

// Narrowing keeps bytes up to 255, widening extends the sign of the narrow byte.
TEST(Conversion, AsciiAndTheFullByteRange) {
  EXPECT_EQ(Ascii(vexcstr(vexstr(u"abc"))), "abc");
  EXPECT_EQ(Ascii(vexstr(vexcstr("abc"))), "abc");
  vexcstr bytes("\x7f\x80\xff", 3);
  vexstr wide(bytes);
  EXPECT_EQ(wide[0], 0x7F);
  EXPECT_EQ(wide[1], 0xFF80);
  EXPECT_EQ(wide[2], 0xFFFF);
  const char16_t latin[] = {0x41, 0xFF, 0x100};
  EXPECT_EQ(vexcstr(vexstr(latin, 2))[1], '\xff');
  EXPECT_THROW(vexcstr(vexstr(latin, 3)), TInvalidArgumentException);
  EXPECT_TRUE(Raises<TInvalidArgumentException>([&] { vexcstr again(wide); },
                                                "Char out of range for MBStr",
                                                "[sdl/smart/vex_cstring(zodu::TCString::init):"));
}

TEST(Conversion, AssignLeavesTheStringWhenACharIsOutOfRange) {
  vexcstr s("keep");
  const char16_t bad[] = {u'o', 0x2603};
  EXPECT_TRUE(Raises<TInvalidArgumentException>(
      [&] { s.AssignWCharStr(bad, 2); }, "Char out of range for MBStr",
      "[sdl/smart/vex_cstring(zodu::TCString::AssignWCharStr):"));
  EXPECT_EQ(Ascii(s), "keep");
  s.AssignWCharStr(u"new", 3);
  EXPECT_EQ(Ascii(s), "new");
}

TEST(Conversion, NullTextsAreEmpty) {
  EXPECT_TRUE(vexstr(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_TRUE(vexcstr(static_cast<const char16_t*>(nullptr)).IsEmpty());
  EXPECT_TRUE(vexcstr(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_TRUE(vexstr(static_cast<const char16_t*>(nullptr), 5).IsEmpty());
}

struct OrderRow {
  const char* a;
  const char* b;
  int sign;
};

int Sign(int v) {
  return (v > 0) - (v < 0);
}

TEST(Comparison, ModuleOrder) {
  const OrderRow rows[] = {
      {"abc", "abd", -1}, {"abd", "abc", 1}, {"ab", "abc", -1}, {"abc", "ab", 1},
      {"", "a", -1},      {"a", "", 1},      {"", "", 0},       {"abc", "abc", 0},
      {"ABC", "abc", -1}, {"b", "abc", 1},   {"a", "B", 1},
  };
  for (const OrderRow& row : rows) {
    EXPECT_EQ(Sign(vexcstr(row.a).Compare(vexcstr(row.b))), row.sign) << row.a << "|" << row.b;
    EXPECT_EQ(Sign(vexstr(row.a).Compare(vexstr(row.b))), row.sign) << row.a << "|" << row.b;
  }
  // An empty string against a non-empty one is exactly -1 or +1.
  EXPECT_EQ(vexcstr("").Compare(vexcstr("a")), -1);
  EXPECT_EQ(vexstr(u"a").Compare(vexstr(u"")), 1);
  // At the first difference: this character minus the other.
  EXPECT_EQ(vexcstr("abz").Compare(vexcstr("abA")), 'z' - 'A');
  EXPECT_EQ(vexcstr("ab").Compare(vexcstr("abc")), -1);
}

TEST(Comparison, IgnoringCase) {
  const OrderRow rows[] = {
      {"ABC", "abc", 0}, {"abc", "ABD", -1}, {"a", "B", -1}, {"Cell", "CELL", 0}, {"_", "a", -1},
  };
  for (const OrderRow& row : rows) {
    EXPECT_EQ(Sign(vexcstr(row.a).Comparei(vexcstr(row.b))), row.sign) << row.a << "|" << row.b;
    EXPECT_EQ(Sign(vexstr(row.a).Comparei(vexstr(row.b))), row.sign) << row.a << "|" << row.b;
  }
  // Only ASCII letters are lowered, as the C locale does.
  EXPECT_NE(vexstr(u"\u00C9").Comparei(vexstr(u"\u00E9")), 0);
}

TEST(Comparison, NarrowHighBytesSortBelowAsciiWideOnesAbove) {
  EXPECT_LT(vexcstr("\x80").Compare(vexcstr("a")), 0);
  EXPECT_LT(vexcstr("\xff").Compare(vexcstr("\x01")), 0);
  EXPECT_LT(vexcstr("\xe9").Comparei(vexcstr("A")), 0);
  EXPECT_GT(vexstr(u"\u0080").Compare(vexstr(u"a")), 0);
  EXPECT_GT(vexstr(u"\uFFE9").Compare(vexstr(u"a")), 0);
}

TEST(CopyOnWrite, ChangingACopyLeavesTheOriginal) {
  vexcstr original("hello");
  vexcstr copy = original;
  EXPECT_EQ(copy.raw(), original.raw());  // shared until changed
  copy.Set(0, 'j');
  EXPECT_EQ(Ascii(original), "hello");
  EXPECT_EQ(Ascii(copy), "jello");

  vexstr a(u"abc");
  vexstr b = a;
  b << u"def";
  EXPECT_EQ(Ascii(a), "abc");
  EXPECT_EQ(Ascii(b), "abcdef");
  a << u'!';
  EXPECT_EQ(Ascii(a), "abc!");
  EXPECT_EQ(Ascii(b), "abcdef");
}

TEST(CopyOnWrite, SubStringsShareAndCopyBeforeChange) {
  vexcstr text("hello world");
  vexcstr world = text.SubString(6, 5);
  EXPECT_EQ(world.raw(), text.raw() + 6);  // no characters copied
  world.Set(0, 'W');
  EXPECT_EQ(Ascii(text), "hello world");
  EXPECT_EQ(Ascii(world), "World");
}

TEST(CopyOnWrite, AppendingToASubStringKeepsTheSharedBuffer) {
  vexcstr text("hello world");
  vexcstr hello = text.SubString(0, 5);
  hello << "!!";
  EXPECT_EQ(Ascii(hello), "hello!!");
  EXPECT_EQ(Ascii(text), "hello world");
  EXPECT_STREQ(text.c_str(), "hello world");
}

TEST(CopyOnWrite, AppendingAStringToItself) {
  vexcstr s("abc");
  s << s;
  EXPECT_EQ(Ascii(s), "abcabc");
  vexcstr t("0123456789");
  for (int i = 0; i < 5; ++i) t << t.SubString(2, 3);
  EXPECT_EQ(Ascii(t), "0123456789234234234234234");
}

TEST(CopyOnWrite, AssignmentSharesAndReleases) {
  vexstr a(u"one"), b(u"two");
  a = b;
  EXPECT_EQ(a.raw(), b.raw());
  a = a;
  EXPECT_EQ(Ascii(a), "two");
  b = vexstr(u"three");
  EXPECT_EQ(Ascii(a), "two");
}

TEST(CStr, SubStringsAreTerminatedWithoutChangingTheOriginal) {
  vexcstr text("hello world");
  vexcstr hello = text.SubString(0, 5);
  EXPECT_STREQ(hello.c_str(), "hello");
  EXPECT_STREQ(text.c_str(), "hello world");
  // A view that already ends at a NUL is handed out in place.
  vexcstr world = text.SubString(6, 5);
  EXPECT_EQ(world.c_str(), text.raw() + 6);
  EXPECT_STREQ(vexcstr().c_str(), "");
  vexstr wide(u"ab cd");
  EXPECT_EQ(std::u16string(wide.SubString(0, 2).c_str()), u"ab");
}

TEST(SubString, RangesBeyondTheLengthRaise) {
  vexcstr s("abc");
  EXPECT_EQ(Ascii(s.SubString(3, 0)), "");
  EXPECT_EQ(Ascii(s.SubStringFrom(1)), "bc");
  EXPECT_EQ(Ascii(s.SubStringTo(2)), "ab");
  EXPECT_THROW(s.SubString(2, 2), TIndexOutOfRangeException);
  EXPECT_THROW(s.SubString(4, 0), TIndexOutOfRangeException);
  EXPECT_THROW(s.SubString(1, SIZE_MAX), TIndexOutOfRangeException);
  EXPECT_THROW(s.SubStringFrom(5), TIndexOutOfRangeException);
}

TEST(Adopt, TakesTheBufferWithoutCopying) {
  char* chars = static_cast<char*>(vex_malloc_(5));
  std::memcpy(chars, "abcde", 5);
  vexcstr s = vexcstr::Adopt(chars, 5);
  EXPECT_EQ(s.raw(), chars);
  EXPECT_EQ(Ascii(s), "abcde");
  EXPECT_STREQ(s.c_str(), "abcde");  // no room for the NUL: the buffer grows

  char* roomy = static_cast<char*>(vex_malloc_(8));
  std::memcpy(roomy, "xyz", 4);
  vexcstr t = vexcstr::Adopt(roomy, 3, 8);
  EXPECT_EQ(t.c_str(), roomy);
  EXPECT_TRUE(vexcstr::Adopt(nullptr, 0).IsEmpty());
}

TEST(Replace, NonOverlappingFromTheStart) {
  const struct {
    const char16_t* text;
    const char* pattern;
    const char* replacement;
    const char* result;
  } rows[] = {
      {u"aaaa", "aa", "b", "bb"},  {u"aaa", "aa", "b", "ba"},     {u"a.b.c", ".", "", "abc"},
      {u"a-b", "-", "--", "a--b"}, {u"abc", "abc", "xyz", "xyz"}, {u"abc", "", "x", "abc"},
      {u"", "a", "b", ""},         {u"abc", "abcd", "x", "abc"},  {u"xax", "x", nullptr, "a"},
      {u"Abc", "a", "z", "Abc"},
  };
  for (const auto& row : rows) {
    vexstr s(row.text);
    s.Replace(row.pattern, row.replacement);
    EXPECT_EQ(Ascii(s), row.result) << row.pattern;
  }
}

TEST(Replace, HighPatternBytesNeverMatchWideCharacters) {
  vexstr widened(vexcstr("caf\xe9"));  // 0xFFE9 after widening
  widened.Replace("\xe9", "e");
  EXPECT_EQ(widened[3], 0xFFE9);
  vexstr latin(u"caf\u00E9");
  latin.Replace("\xe9", "e");
  EXPECT_EQ(latin[3], 0x00E9);
}

TEST(Replace, LeavesCopiesAlone) {
  vexstr original(u"a-b-c");
  vexstr copy = original;
  copy.Replace("-", "+");
  EXPECT_EQ(Ascii(original), "a-b-c");
  EXPECT_EQ(Ascii(copy), "a+b+c");
}

TEST(Append, IntegersAsDecimalText) {
  vexcstr s;
  s << -5 << ' ' << 4294967295u << ' ' << INT_MIN << ' ' << 0;
  EXPECT_EQ(Ascii(s), "-5 4294967295 -2147483648 0");
  vexstr w;
  w << 42 << u'/' << static_cast<unsigned long>(18446744073709551615ul) << u'/' << -7L;
  EXPECT_EQ(Ascii(w), "42/18446744073709551615/-7");
}

TEST(Append, CharactersOfTheOtherTypeAreText) {
  vexstr w;
  w << 'x' << "yz";
  EXPECT_EQ(Ascii(w), "xyz");
  vexcstr n;
  n << u'q';
  EXPECT_EQ(Ascii(n), "q");
  EXPECT_THROW(n << u'\u2603', TInvalidArgumentException);
}

TEST(GetLast, EmptyStringRaises) {
  EXPECT_EQ(vexstr(u"ab").GetLast(), u'b');
  EXPECT_TRUE(Raises<TFunctionFailedException>(
      [] { vexstr().GetLast(); }, "empty string",
      "[sdl/smart/vex_istring(zodu::TTSString<zodu::TWString, char16_t>::GetLast):"));
  EXPECT_THROW(vexcstr("abc").SubString(1, 0).GetLast(), TFunctionFailedException);
}

TEST(Trim, BlanksAndTabsOnly) {
  EXPECT_EQ(Ascii(vexcstr(" \tab c\t ").TrimWhiteChars()), "ab c");
  EXPECT_EQ(Ascii(vexcstr("\nx\n").TrimWhiteChars()), "\nx\n");
  EXPECT_EQ(Ascii(vexcstr("   ").TrimWhiteChars()), "");
}

TEST(StrBuffer, JoinsPiecesInOrder) {
  TTStrBuffer<vexcstr> buffer;
  vexcstr line("one two three");
  buffer << line.SubString(8, 5) << vexcstr("") << vexcstr("-") << line.SubString(0, 3);
  EXPECT_EQ(buffer.Length(), 9u);
  vexcstr joined = buffer.ToString();
  EXPECT_EQ(Ascii(joined), "three-one");
  EXPECT_STREQ(joined.c_str(), "three-one");
  EXPECT_EQ(Ascii(TTStrBuffer<vexstr>().ToString()), "");
}

}  // namespace
}  // namespace zodu
