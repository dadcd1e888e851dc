// Number text: reading and testing numbers in text, and FormatFloat, as tables.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>   // for snprintf, the independent formatter
#include <cstdlib>  // for system, setenv
#include <limits>
#include <string>
#include <tuple>

#include "support/raises.h"

namespace zodu {
namespace {

using testing_support::Ascii;
using testing_support::Raises;

constexpr double kInf = std::numeric_limits<double>::infinity();

// Errors carry the text in quotes.
TEST(OAtof, Table) {
  const std::pair<std::string, double> values[] = {
      {" -1.5e2 ", -150}, {"\t3\t", 3}, {"1.", 1},      {".5", 0.5},  {"1e", 1},
      {"e5", 0},          {"1e-", 1},   {"25e-1", 2.5}, {"0e400", 0}, {"1e4000000000", kInf},
  };
  for (const auto& [text, value] : values)
    EXPECT_EQ(vexcstr::o_atof(text.data(), text.size()), value) << text;
  for (std::string text : {"", " \t ", "-", "1.2.3", "1e ", "1e+-5", "0x1A", "1 2", "1\n"})
    EXPECT_TRUE(Raises<TInvalidFloatNumberException>(
        [&] { vexcstr::o_atof(text.data(), text.size()); }, "'" + text + "'"))
        << "[" << text << "]";
}

// value * base + digit in 32 bits, without an overflow check; the caller applies the sign.
TEST(OAtoiS, Table) {
  // Text, base, then the sign read and the 32-bit magnitude, or "!" for a raise.
  const std::tuple<std::string, unsigned, std::string> rows[] = {
      {" -12", 10, "-12"}, {"-0", 10, "-0"}, {"z", 36, "35"},   {"4294967297", 10, "1"},
      {"", 10, "!"},       {"8", 8, "!"},    {"0x1A", 16, "!"}, {"1\n", 16, "!"},
  };
  for (const auto& [text, base, expected] : rows) {
    bool negative = false;
    auto read = [&] { return vexcstr::o_atoi_s(text.data(), text.size(), negative, base); };
    if (expected == "!") {
      EXPECT_TRUE(Raises<TInvalidIntegerNumberException>(read, "'" + text + "'")) << text;
    } else {
      const uint32_t magnitude = read();
      EXPECT_EQ((negative ? "-" : "") + std::to_string(magnitude), expected) << text;
    }
  }
}

// A leading 0 switches to base 8, 0x to base 16; blanks after a lone 0 leave nothing.
TEST(IsIntegerText, Table) {
  const std::pair<std::string, bool> rows[] = {
      {"   0", true}, {"0   ", false}, {"00", true},   {"0x", false},
      {"0X1a", true}, {"08", false},   {"\t-5", true}, {"\n1", false},
  };
  for (const auto& [text, result] : rows) {
    bool negative = false;
    EXPECT_EQ(vexcstr::IsIntegerText(text.data(), text.size(), negative), result)
        << "[" << text << "]";
  }
}

TEST(IsNumberText, Table) {
  const std::pair<std::string, bool> rows[] = {
      {" 0 ", true}, {"0x1A", true}, {"0x", false}, {"018", false},   {"0012.50", false},
      {"0e5", true}, {"e5", true},   {"1e", false}, {"1e5e2", false}, {".", false},
  };
  for (const auto& [text, result] : rows)
    EXPECT_EQ(vexcstr::IsNumberText(text.data(), text.size()), result) << "[" << text << "]";
}

std::string Format(int digits, double value, bool exponent) {
  return Ascii(vexcstr::FormatFloat(digits, value, exponent));
}

// Positive digit counts follow printf in the C locale; negative ones pad positive values.
TEST(FormatFloat, MatchesPrintfUpToTheLimit) {
  EXPECT_EQ(Format(-2, 3.14159, false), " 3.14");
  EXPECT_EQ(Format(-2, -3.14159, false), "-3.14");
  EXPECT_EQ(Format(-3, 1234.56, true), " 1.235e+03");
  for (double v : {0.0, -0.0, 0.1, 2.675, 1.005, 123456.789, -1e-7, 6.02e23, 5e-324, 2.5})
    for (int digits : {0, 2, 3, 10, 17, 30})
      for (bool exponent : {false, true}) {
        char expected[512];
        std::snprintf(expected, sizeof expected, exponent ? "%.*e" : "%.*f", digits, v);
        EXPECT_EQ(Format(digits, v, exponent), expected) << digits << " " << v << " " << exponent;
      }
  std::string third = Format(200, 1.0 / 3, true);  // beyond the 80 characters of old
  EXPECT_EQ(third.size(), 206u);
  EXPECT_EQ(third.substr(202), "e-01");
  // Fixed texts above 1100 digits are refused; exactly at the limit they are printed.
  for (auto [digits, value] : {std::pair{3, 1.1e75}, {-3, -1e76}, {2, kInf}, {INT_MAX, 1.0}})
    EXPECT_TRUE(Raises<TFunctionFailedException>(
        [=] { vexcstr::FormatFloat(digits, value, false); }, "format overrun"));
  EXPECT_THROW(vexcstr::FormatFloat(INT_MIN, 1.0, true), TFunctionFailedException);
  char atTheLimit[100];
  std::snprintf(atTheLimit, sizeof atTheLimit, "%.3f", 1e75);
  EXPECT_EQ(Format(3, 1e75, false), atTheLimit);
}

// Sets a locale with a decimal comma: an installed one, or one compiled into a temporary
// folder when the locale sources are there.
bool SetCommaLocale() {
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) return true;
  std::string folder = ::testing::TempDir() + "zt7_locales";
  std::string make = "mkdir -p " + folder + " && localedef -i de_DE -f ISO-8859-1 " + folder +
                     "/de_DE.ISO-8859-1 >/dev/null 2>&1";
  setenv("LOCPATH", folder.c_str(), 1);
  return std::system(make.c_str()) == 0 && std::setlocale(LC_NUMERIC, "de_DE.ISO-8859-1");
}

// A host that sets a locale with a decimal comma must not change the numbers in digests.
TEST(FormatFloat, IgnoresTheHostLocale) {
  if (!SetCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma";
  std::string fixed = Format(-2, 3.14159, false), exponent = Format(3, 1234.56, true);
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  EXPECT_EQ(fixed, " 3.14");
  EXPECT_EQ(exponent, "1.235e+03");
}

}  // namespace
}  // namespace zodu
