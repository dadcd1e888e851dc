// Digest texts of HKL line lists under schemes 1, 2 and 3, against summaries assembled by
// hand and hashed with OpenSSL.
#include "zt3util/digest_schemes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "repository/hkl_text.h"
#include "sdl/ebase.h"
#include "zt3util/module_digests.h"

using namespace zodu;
using zt7::ComposeDigest;

namespace {

// Twenty reflections and the end marker. Sorted, they keep this order: "   9" sorts before
// "  10" because a blank sorts before a digit. k = 0 or l = 0 appears as a lone right-
// justified zero, which the legacy test rejects (h = 3, 5, 6, 9, 10, 12, 15, 18, 20).
const std::vector<std::string> kLines = {
    "   1  -1   1    0.00    1.00", "   2  -2   2  624.00    1.00", "   3   0   3  100.00    1.00",
    "   4  -1   4  110.00    1.00", "   5  -2   0  110.00    1.00", "   6   0   1  260.00    1.00",
    "   7  -1   2  270.00    1.00", "   8  -2   3  300.00    1.00", "   9   0   4  301.00    1.00",
    "  10  -1   0  302.00    1.00", "  11  -2   1  305.50    1.00", "  12   0   2  350.00    1.00",
    "  13  -1   3   26.00    1.00", "  14  -2   4   51.00    1.00", "  15   0   0   27.00    1.00",
    "  16  -1   1   28.00    1.00", "  17  -2   2   29.40    1.00", "  18   0   3  500.00    1.00",
    "  19  -1   4  520.00    1.00", "  20  -2   0   10.00    1.00", "   0   0   0    0.00    0.00",
};

// Scheme 3: the range 0..624 scales by 1, so s is the intensity cut toward zero; 20
// records count 500 each. Bins 0 {0, 10}, 1 {26..29}, 2 {51}, 4 {100, 110, 110},
// 10 {260, 270}, 12 {300..305}, 14 {350}, 20 {500, 520}, 24 {624}.
const std::string kFingerprintSummary =
    "1000(5.0)2000(27.5)500(51.0)1500(106.7)1000(265.0)2000(302.0)500(350.0)1000(510.0)"
    "500(624.0)";
// Scheme 2: s rounded (305.5 -> 306), and s = 0, 1 modulo 25 left out (0, 26, 51, 100,
// 300, 301, 350, 500); counts as they are.
const std::string kRawSummary = "1(10.0)3(28.0)2(110.0)2(265.0)2(304.0)1(520.0)1(624.0)";

TCStrList List(const std::vector<std::string>& lines) {
  TCStrList list;
  for (const std::string& s : lines) list.Add(vexcstr(s.data(), s.size()));
  return list;
}

std::string Digest(const std::vector<std::string>& lines, int version, unsigned mask,
                   bool legacy = false) {
  const vexcstr digest = ComposeDigest(List(lines), version, mask, legacy);
  return std::string(digest.raw(), digest.Length());
}

// kLines[h - 1] for each h, joined with `separator`.
std::string Join(std::initializer_list<int> hs, const std::string& separator) {
  std::string text;
  for (int h : hs) text += (text.empty() ? "" : separator) + kLines[h - 1];
  return text;
}

std::string HashesText(const std::string& x) {
  return reference::MD5Text(x) + reference::SHA256Text(x) + reference::SHA224Text(x);
}

std::vector<std::string> Shuffled(std::vector<std::string> lines) {
  std::reverse(lines.begin(), lines.end());
  std::rotate(lines.begin(), lines.begin() + 7, lines.end());
  return lines;
}

TEST(ComposeDigest, SchemeThree) {
  EXPECT_EQ(Digest(kLines, 3, 1), reference::Part("43", reference::MD5Text(kFingerprintSummary)));
  EXPECT_EQ(Digest(kLines, 3, 3),
            reference::Part("43", reference::MD5Text(kFingerprintSummary)) + "," +
                reference::Part("53", reference::MD5Text(HashesText(kFingerprintSummary))));
}

TEST(ComposeDigest, SchemeTwo) {
  EXPECT_EQ(Digest(kLines, 2, 3),
            reference::Part("42", reference::MD5Text(kRawSummary)) + "," +
                reference::Part("52", reference::MD5Text(HashesText(kRawSummary))));
}

TEST(ComposeDigest, SchemeOneSortsAndTakesTheEndLines) {
  // Part 1: the first ten and the last ten backwards, blanks between; part 2: fifteen and
  // fifteen, nothing between. The end marker sorts first and is no reflection line.
  const std::string x1 =
      Join({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11}, " ");
  const std::string x2 = Join({1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                               20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9,  8,  7,  6},
                              "");
  const std::string expected = reference::Part("41", reference::MD5Text(x1)) + "," +
                               reference::Part("51", reference::MD5Text(x2));
  EXPECT_EQ(Digest(kLines, 1, 3), expected);
  EXPECT_EQ(Digest(Shuffled(kLines), 1, 3), expected);
}

TEST(ComposeDigest, SchemeOneLegacyRejectsLoneZeroIndices) {
  // Eleven lines qualify, so the backward passes take them again.
  const std::string x1 =
      Join({1, 2, 4, 7, 8, 11, 13, 14, 16, 17, 19, 17, 16, 14, 13, 11, 8, 7, 4, 2}, " ");
  const std::string x2 =
      Join({1, 2, 4, 7, 8, 11, 13, 14, 16, 17, 19, 19, 17, 16, 14, 13, 11, 8, 7, 4, 2, 1}, "");
  EXPECT_EQ(Digest(kLines, 1, 3, true), reference::Part("41", reference::MD5Text(x1)) + "," +
                                            reference::Part("51", reference::MD5Text(x2)));
}

TEST(ComposeDigest, SummaryLeavingFiftySixBytesUsesTheModulePadding) {
  // Fifteen zeros (7500 per 10000) and one reflection in each of bins 1, 2, 3, 4 and 24:
  // 56 characters. Under scheme 2 all but 624 sit on a multiple of 25 and are left out.
  std::vector<std::string> lines;
  for (int h = 1; h <= 15; ++h) lines.push_back(hkl_test::HklLine(h, 1, 1, 0.0, 1.0));
  for (double I : {25.0, 50.0, 75.0, 100.0, 624.0})
    lines.push_back(hkl_test::HklLine(9, 9, 9, I, 1.0));
  lines.push_back(hkl_test::EndMarker());
  const std::string x3 = "7500(0.0)500(25.0)500(50.0)500(75.0)500(100.0)500(624.0)";
  ASSERT_EQ(x3.size() % 64, 56u);
  EXPECT_EQ(Digest(lines, 3, 3), reference::Part("43", reference::MD5Text(x3)) + "," +
                                     reference::Part("53", reference::MD5Text(HashesText(x3))));
  EXPECT_EQ(Digest(lines, 2, 1), reference::Part("42", reference::MD5Text("1(624.0)")));
}

TEST(ComposeDigest, EveryVersionButOneAndTwoIsSchemeThree) {
  const std::string three = Digest(kLines, 3, 3);
  EXPECT_EQ(three.substr(0, 2), "43");
  EXPECT_EQ(three.substr(39, 2), "53");
  for (int version : {0, 7, -1, 4, 1000}) EXPECT_EQ(Digest(kLines, version, 3), three) << version;
}

TEST(ComposeDigest, MaskSelectsTheParts) {
  for (int version : {1, 2, 3}) {
    const std::string both = Digest(kLines, version, 3);
    ASSERT_EQ(both.size(), 77u);
    EXPECT_EQ(both[38], ',');
    EXPECT_EQ(Digest(kLines, version, 1), both.substr(0, 38));
    EXPECT_EQ(Digest(kLines, version, 2), both.substr(38));
    EXPECT_EQ(Digest(kLines, version, 0), "");
    EXPECT_EQ(Digest(kLines, version, 7), both);
    const std::regex part("[45][123][0-9a-f]{36}");
    EXPECT_TRUE(std::regex_match(both.substr(0, 38), part)) << both;
    EXPECT_TRUE(std::regex_match(both.substr(39), part)) << both;
  }
}

TEST(ComposeDigest, TooFewLinesOrShortFirstLineGiveNothing) {
  std::vector<std::string> twenty(kLines.begin(), kLines.begin() + 20);
  std::vector<std::string> nineteen(kLines.begin(), kLines.begin() + 19);
  std::vector<std::string> shortFirst = kLines;
  shortFirst[0].pop_back();  // 27 characters
  for (int version : {1, 2, 3}) {
    EXPECT_EQ(Digest(twenty, version, 3).size(), 77u) << version;
    EXPECT_EQ(Digest(nineteen, version, 3), "") << version;
    EXPECT_EQ(Digest(shortFirst, version, 3), "") << version;
    EXPECT_EQ(Digest({}, version, 3), "") << version;
  }
}

TEST(ComposeDigest, OrderOfLinesOfOneLengthDoesNotMatter) {
  for (int version : {1, 2, 3})
    EXPECT_EQ(Digest(Shuffled(kLines), version, 3), Digest(kLines, version, 3));
}

TEST(ComposeDigest, LinesOfAnotherLengthNeverContribute) {
  std::vector<std::string> extra = kLines;
  extra.insert(extra.begin() + 5, hkl_test::HklLine(30, 1, 1, 400, 1) + " ");
  extra.insert(extra.begin() + 9, hkl_test::HklLine(31, 1, 1, 900, 1).substr(0, 27));
  extra.push_back(hkl_test::HklLine(32, 1, 1, 10, 1) + "\r");
  for (int version : {1, 2, 3}) EXPECT_EQ(Digest(extra, version, 3), Digest(kLines, version, 3));
  // A longer line first makes its length the model: only it counts then.
  std::vector<std::string> longFirst = kLines;
  longFirst.insert(longFirst.begin(), hkl_test::HklLine(30, 1, 1, 400, 1) + " ");
  EXPECT_NE(Digest(longFirst, 3, 3), Digest(kLines, 3, 3));
}

TEST(ComposeDigest, RecordsAfterTheEndMarkerCount) {
  std::vector<std::string> after = kLines;
  after.push_back("  21   1   1  200.00    1.00");
  EXPECT_NE(Digest(after, 3, 1), Digest(kLines, 3, 1));
  EXPECT_NE(Digest(after, 1, 1), Digest(kLines, 1, 1));
}

TEST(ComposeDigest, TheListKeepsItsOrder) {
  for (int version : {1, 2, 3}) {
    const TCStrList list = List(Shuffled(kLines));
    ComposeDigest(list, version, 3, false);
    for (size_t i = 0; i < list.Count(); ++i)
      EXPECT_EQ(std::string(list[i].raw(), list[i].Length()), Shuffled(kLines)[i]);
  }
}

TEST(ComposeDigest, AllEqualIntensitiesAndIntensitiesAboveOneThousand) {
  std::vector<std::string> equal, high;
  for (int h = 1; h <= 20; ++h) {
    equal.push_back(hkl_test::HklLine(h, 1, 1, 42.0, 1.0));
    high.push_back(hkl_test::HklLine(h, 1, 1, h <= 10 ? 2000.0 : 3000.0, 1.0));
  }
  // All in bin 0 with s = 0; scheme 2 leaves them all out.
  EXPECT_EQ(Digest(equal, 3, 1), reference::Part("43", reference::MD5Text("10000(0.0)")));
  EXPECT_EQ(Digest(equal, 2, 1), reference::Part("42", reference::MD5Text("")));
  // lo stays 1000: 2000 scales to 312, 3000 to 624.
  EXPECT_EQ(Digest(high, 3, 1),
            reference::Part("43", reference::MD5Text("5000(312.0)5000(624.0)")));
  EXPECT_EQ(Digest(high, 2, 1), reference::Part("42", reference::MD5Text("10(312.0)10(624.0)")));
}

TEST(ComposeDigest, HexadecimalFieldsRaiseOutOfEveryScheme) {
  std::vector<std::string> hexIndex = kLines, hexIntensity = kLines;
  hexIndex[4] = "0x1F" + hexIndex[4].substr(4);
  hexIntensity[4] = hexIntensity[4].substr(0, 12) + "    0x1A" + hexIntensity[4].substr(20);
  for (int version : {1, 2, 3}) {
    EXPECT_THROW(Digest(hexIndex, version, 1), TInvalidIntegerNumberException) << version;
    EXPECT_THROW(Digest(hexIntensity, version, 2), TInvalidFloatNumberException) << version;
  }
  // The legacy test reads no reals.
  EXPECT_NO_THROW(Digest(hexIntensity, 1, 3, true));
  EXPECT_EQ(Digest(hexIndex, 3, 0), "");
}

TEST(ComposeDigest, BinaryAndLongLinesGiveDigestsWithoutReflections) {
  std::vector<std::string> binary;
  for (int i = 0; i < 25; ++i) {
    std::string line(40, '\0');
    for (int j = 0; j < 40; ++j) line[j] = static_cast<char>(i * 41 + j * 97);
    binary.push_back(line);
  }
  EXPECT_EQ(Digest(binary, 3, 1), reference::Part("43", reference::MD5Text("")));
  // Lines of 100000 characters: only the first 28 are read ("7777" is a valid index).
  const std::string sevens(100000, '7');
  EXPECT_EQ(Digest(std::vector<std::string>(20, std::string(100000, 'x')), 1, 1),
            reference::Part("41", reference::MD5Text("")));
  std::string x;
  for (int i = 0; i < 20; ++i) x += (i ? " " : "") + sevens;
  EXPECT_EQ(Digest(std::vector<std::string>(20, sevens), 1, 1),
            reference::Part("41", reference::MD5Text(x)));
}

}  // namespace
