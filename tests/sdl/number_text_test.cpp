// Number text: reading and testing numbers in text, ToBool and FormatFloat, as tables.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>   // for snprintf, the independent formatter
#include <cstdlib>  // for system, setenv
#include <limits>
#include <string>

#include "raises.h"
#include "sdl/ebase.h"

namespace zodu {
namespace {

using testing_support::Raises;

const char* const kAtofAt =
    "[sdl/smart/vex_istring(zodu::TTSString<zodu::TCString, char>::o_atof):";
const char* const kAtoiAt =
    "[sdl/smart/vex_istring(zodu::TTSString<zodu::TCString, char>::o_atoi_s):";

std::u16string Wide(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

struct FloatRow {
  std::string text;
  double value;
};

TEST(OAtof, ReadsNumbers) {
  const FloatRow rows[] = {
      // blanks and tabs at both ends are ignored; the sign is applied last
      {" -1.5e2 ", -150},
      {"\t3\t", 3},
      {"+2", 2},
      // the point and the fraction
      {"1.", 1},
      {".5", 0.5},
      {"0.25", 0.25},
      {"-0.125", -0.125},
      // the exponent mark: a mark that ends the text means exponent 0
      {"1e", 1},
      {"1E", 1},
      {"e5", 0},
      {"1e+2", 100},
      {"1E2", 100},
      {"1e-", 1},
      // powers of ten by repeated multiplication
      {"1e8", 1e8},
      {"1e9", 1e9},
      {"1e16", 1e16},
      {"1e-3", 1e-3},
      {"1.5e2", 150},
      {"25e-1", 2.5},
      // zero stays zero, huge exponents overflow to infinity without looping for ages
      {"0e400", 0},
      {"e4000000000", 0},
      {"1e400", std::numeric_limits<double>::infinity()},
      {"1e4000000000", std::numeric_limits<double>::infinity()},
      {"1e-400", 0},
  };
  for (const FloatRow& row : rows) {
    EXPECT_EQ(vexcstr::o_atof(row.text.data(), row.text.size()), row.value) << row.text;
    std::u16string wide = Wide(row.text);
    EXPECT_EQ(vexstr::o_atof(wide.data(), wide.size()), row.value) << row.text;
  }
}

TEST(OAtof, LongFractionStaysANumber) {
  std::string text = "0." + std::string(400, '9');
  double value = vexcstr::o_atof(text.data(), text.size());
  EXPECT_FALSE(std::isnan(value));
  EXPECT_NEAR(value, 1.0, 1e-12);
}

TEST(OAtof, RejectsWithTheTextInQuotes) {
  const std::string rows[] = {
      "",       // count 0
      "   ",    // blanks and tabs only
      " \t ",   //
      "-",      // sign only
      "+",      //
      " - ",    //
      "1.2.3",  // second point
      "1e5e2",  // second exponent mark
      "1ex",    // bad character after the mark
      "1e ",    // a blank after the mark
      "1e\t",   //
      "1e+-5",  // a second sign
      "0x1A",   // any other character
      "1 2",    //
      "1,5",    //
      "- 5",    //
      "1\n",    // no white space but blanks and tabs
      "\r1",    //
  };
  for (const std::string& text : rows) {
    EXPECT_TRUE(Raises<TInvalidFloatNumberException>(
        [&] { vexcstr::o_atof(text.data(), text.size()); }, "'" + text + "'", kAtofAt))
        << "[" << text << "]";
    std::u16string wide = Wide(text);
    EXPECT_TRUE(Raises<TInvalidFloatNumberException>(
        [&] { vexstr::o_atof(wide.data(), wide.size()); }, "'" + text + "'"))
        << "[" << text << "]";
  }
}

struct IntRow {
  std::string text;
  unsigned base;
  uint32_t magnitude;
  bool negative;
};

TEST(OAtoiS, ReadsMagnitudeAndSign) {
  const IntRow rows[] = {
      {" -12", 10, 12, true},
      {"12", 10, 12, false},
      {"+7", 10, 7, false},
      {" 42\t", 10, 42, false},
      {"-0", 10, 0, true},
      {"7", 8, 7, false},
      {"101", 2, 5, false},
      {"ff", 16, 255, false},
      {"FF", 16, 255, false},
      {"-7fffffff", 16, 0x7fffffff, true},
      {"z", 36, 35, false},
      // value * base + digit in 32 bits, no overflow check
      {"4294967295", 10, 4294967295u, false},
      {"4294967296", 10, 0, false},
      {"4294967297", 10, 1, false},
      {"ffffffff", 16, 0xffffffffu, false},
      {"100000000", 16, 0, false},
      {"100000001", 16, 1, false},
  };
  for (const IntRow& row : rows) {
    bool negative = false;
    EXPECT_EQ(vexcstr::o_atoi_s(row.text.data(), row.text.size(), negative, row.base),
              row.magnitude)
        << row.text;
    EXPECT_EQ(negative, row.negative) << row.text;
    std::u16string wide = Wide(row.text);
    negative = false;
    EXPECT_EQ(vexstr::o_atoi_s(wide.data(), wide.size(), negative, row.base), row.magnitude);
    EXPECT_EQ(negative, row.negative) << row.text;
  }
}

TEST(OAtoiS, RejectsWithTheTextInQuotes) {
  const std::pair<std::string, unsigned> rows[] = {
      {"", 10},      // count 0
      {"  \t", 10},  // blanks and tabs only
      {"-", 10},     // sign only
      {" + ", 16},   //
      {"12a", 10},   // not a decimal digit
      {"1.0", 10},   //
      {"1 2", 10},   //
      {"8", 8},      // digit not below the base
      {"2", 2},      //
      {"g", 16},     // base above 10: digit not below the base
      {"0x1A", 16},  //
      {"1-", 16},    // base above 10: not alphanumeric
      {"1\n", 16},   //
  };
  for (const auto& [text, base] : rows) {
    bool negative = false;
    EXPECT_TRUE(Raises<TInvalidIntegerNumberException>(
        [&] { vexcstr::o_atoi_s(text.data(), text.size(), negative, base); }, "'" + text + "'",
        kAtoiAt))
        << "[" << text << "] base " << base;
  }
}

struct TestRow {
  std::string text;
  bool result;
};

TEST(IsIntegerText, FollowsTheBaseAndBlankRules) {
  const TestRow rows[] = {
      // blanks before a lone 0 are skipped; after it they leave nothing in base 8
      {"   0", true},
      {"0   ", false},
      {"  0 ", false},
      {"0", true},
      {"00", true},
      // 0x: base 16, but not alone
      {"0x", false},
      {"0X", false},
      {"0x1A", true},
      {"0X1a", true},
      {"0xG", false},
      // leading 0: base 8
      {"07", true},
      {"08", false},
      {"017", true},
      // base 10 with sign
      {"-", false},
      {"+", false},
      {"-12", true},
      {"+12", true},
      {"12a", false},
      {"1.0", false},
      // tabs count as blanks
      {"\t12\t", true},
      {"\t-5", true},
      {"", false},
      {"   ", false},
      {"\n1", false},
  };
  for (const TestRow& row : rows) {
    bool negative = false;
    EXPECT_EQ(vexcstr::IsIntegerText(row.text.data(), row.text.size(), negative), row.result)
        << "[" << row.text << "]";
    std::u16string wide = Wide(row.text);
    EXPECT_EQ(vexstr::IsIntegerText(wide.data(), wide.size(), negative), row.result)
        << "[" << row.text << "]";
  }
}

TEST(IsIntegerText, SetsTheNegativeFlag) {
  bool negative = false;
  EXPECT_TRUE(vexcstr::IsIntegerText("\t-5", 3, negative));
  EXPECT_TRUE(negative);
  negative = false;
  EXPECT_TRUE(vexcstr::IsIntegerText("15", 2, negative));
  EXPECT_FALSE(negative);
}

TEST(IsNumberText, FollowsThePrefixPointAndExponentRules) {
  const TestRow rows[] = {
      // a leading 0: lone, hexadecimal or octal
      {"0", true},
      {" 0 ", true},
      {"0x1A", true},
      {"0x", false},
      {"0xg", false},
      {"017", true},
      {"018", false},
      {"0012.50", false},
      // 0 followed by a point or a mark reads as a decimal number
      {"0.5", true},
      {"0e5", true},
      // decimal numbers
      {"12.50", true},
      {"-3.1e2", true},
      {".5", true},
      {"+5", true},
      {" 7 ", true},
      {"1.2.3", false},
      {"1 2", false},
      {"abc", false},
      // the exponent mark
      {"e5", true},
      {"1e", false},
      {"1e+5", true},
      {"1ex", false},
      {"1e5e2", false},
      // a digit is needed somewhere
      {"", false},
      {"   ", false},
      {"-", false},
      {".", false},
  };
  for (const TestRow& row : rows) {
    EXPECT_EQ(vexcstr::IsNumberText(row.text.data(), row.text.size()), row.result)
        << "[" << row.text << "]";
    std::u16string wide = Wide(row.text);
    EXPECT_EQ(vexstr::IsNumberText(wide.data(), wide.size()), row.result) << "[" << row.text << "]";
  }
}

TEST(ToBool, ComparesIgnoringCase) {
  EXPECT_TRUE(vexstr::ToBool(vexstr(u"TRUE")));
  EXPECT_TRUE(vexstr::ToBool(vexstr(u"true")));
  EXPECT_FALSE(vexstr::ToBool(vexstr(u"False")));
  EXPECT_FALSE(vexstr::ToBool(vexstr(u"false")));
  for (const char16_t* word : {u"yes", u"", u" true", u"tru"}) {
    EXPECT_TRUE(Raises<TInvalidBoolException>(
        [&] { vexstr::ToBool(vexstr(word)); }, "'" + testing_support::Ascii(vexstr(word)) + "'",
        "[sdl/smart/vex_istring(zodu::TTSString<zodu::TWString, char16_t>::ToBool):"));
  }
}

struct FormatRow {
  int digits;
  double value;
  bool exponent;
  std::string text;
};

// Positive digit counts are compared with printf below.
TEST(FormatFloat, PadsPositiveNumbersForNegativeDigits) {
  const FormatRow rows[] = {
      {-2, 3.14159, false, " 3.14"},
      {-2, -3.14159, false, "-3.14"},
      {-2, 0.0, false, " 0.00"},
      {-3, 1234.56, true, " 1.235e+03"},
  };
  for (const FormatRow& row : rows)
    EXPECT_EQ(testing_support::Ascii(vexcstr::FormatFloat(row.digits, row.value, row.exponent)),
              row.text)
        << row.digits << " " << row.value;
}

TEST(FormatFloat, RefusesFixedTextsBeyondTheLimit) {
  const char* at = "[sdl/smart/vex_istring(zodu::TTSString<zodu::TCString, char>::FormatFloat):";
  EXPECT_TRUE(Raises<TFunctionFailedException>([] { vexcstr::FormatFloat(3, 1.1e75, false); },
                                               "format overrun", at));
  EXPECT_TRUE(Raises<TFunctionFailedException>([] { vexcstr::FormatFloat(-3, -1e76, false); },
                                               "format overrun", at));
  EXPECT_TRUE(Raises<TFunctionFailedException>(
      [] { vexcstr::FormatFloat(2, std::numeric_limits<double>::infinity(), false); },
      "format overrun", at));
  EXPECT_NO_THROW(vexcstr::FormatFloat(3, 1e76, true));
  // At the limit, not above it: printed.
  char expected[100];
  std::snprintf(expected, sizeof expected, "%.3f", 1e75);
  EXPECT_EQ(testing_support::Ascii(vexcstr::FormatFloat(3, 1e75, false)), expected);
}

TEST(FormatFloat, LargeDigitCountsGiveTheWholeText) {
  vexcstr third = vexcstr::FormatFloat(200, 1.0 / 3, true);
  std::string text = testing_support::Ascii(third);
  ASSERT_EQ(text.size(), 206u);  // "3." + 200 digits + "e-01"
  EXPECT_EQ(text.substr(0, 12), "3.3333333333");
  EXPECT_EQ(text.substr(202), "e-01");
  EXPECT_EQ(testing_support::Ascii(vexcstr::FormatFloat(100, 0.0, false)),
            "0." + std::string(100, '0'));
  // Absurd counts are refused, never allocated or overflowed.
  EXPECT_THROW(vexcstr::FormatFloat(INT_MAX, 1.0, true), TFunctionFailedException);
  EXPECT_THROW(vexcstr::FormatFloat(INT_MIN, 1.0, true), TFunctionFailedException);
}

TEST(FormatFloat, MatchesPrintfInTheCLocale) {
  const double values[] = {0.0,    -0.0,   1.0, 0.1, 2.675, 1.005, 123456.789, -1e-7,   6.02e23,
                           1e-300, 5e-324, 0.5, 1.5, -2.5,  1e15,  9.999999,   3.0 / 7, 1234.5678};
  for (double v : values)
    for (int digits : {0, 1, 2, 3, 6, 10, 17, 30}) {
      for (bool exponent : {false, true}) {
        char expected[512];
        std::snprintf(expected, sizeof expected, exponent ? "%.*e" : "%.*f", digits, v);
        EXPECT_EQ(testing_support::Ascii(vexcstr::FormatFloat(digits, v, exponent)), expected)
            << digits << " " << v << " " << exponent;
      }
    }
}

// A locale with a decimal comma: an installed one, or one compiled into a temporary folder
// when the locale sources are there; empty when neither.
std::string CommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8"})
    if (std::setlocale(LC_NUMERIC, name)) return name;
  std::string folder = ::testing::TempDir() + "zt7_locales";
  // A single-byte character map compiles in a fraction of the time of UTF-8.
  std::string make = "mkdir -p " + folder + " && localedef -i de_DE -f ISO-8859-1 " + folder +
                     "/de_DE.ISO-8859-1 >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) return "";
  setenv("LOCPATH", folder.c_str(), 1);
  return std::setlocale(LC_NUMERIC, "de_DE.ISO-8859-1") ? "de_DE.ISO-8859-1" : "";
}

// A host that sets a locale with a decimal comma must not change the numbers in digests.
TEST(FormatFloat, IgnoresTheHostLocale) {
  if (CommaLocale().empty()) GTEST_SKIP() << "no locale with a decimal comma";
  std::string fixed = testing_support::Ascii(vexcstr::FormatFloat(-2, 3.14159, false));
  std::string exponent = testing_support::Ascii(vexcstr::FormatFloat(3, 1234.56, true));
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  EXPECT_EQ(fixed, " 3.14");
  EXPECT_EQ(exponent, "1.235e+03");
}

}  // namespace
}  // namespace zodu
