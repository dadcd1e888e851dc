// HKL digest schemes 1, 2 and 3 against summaries written by hand and hashed with OpenSSL.
#include "zt3util/digest_schemes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "repository/narrow_lines.h"
#include "sdl/bapp.h"
#include "support/hkl_text.h"
#include "support/log_capture.h"
#include "support/module_digests.h"
#include "support/raises.h"
#include "support/temp_folder.h"
#include "zt3util/hkl_digest.h"
#include "zt3util/runnable.h"

using namespace zodu;
using hkl_test::HklLine;
using zodu::testing_support::Ascii;
using Lines = std::vector<std::string>;

namespace {

// Twenty reflections and the end marker. Sorted, they keep this order: "   9" sorts before
// "  10" because a blank sorts before a digit. k = 0 or l = 0 appears as a lone right-
// justified zero, which the legacy test rejects (h = 3, 5, 6, 9, 10, 12, 15, 18, 20).
const Lines kLines = {
    "   1  -1   1    0.00    1.00", "   2  -2   2  624.00    1.00", "   3   0   3  100.00    1.00",
    "   4  -1   4  110.00    1.00", "   5  -2   0  110.00    1.00", "   6   0   1  260.00    1.00",
    "   7  -1   2  270.00    1.00", "   8  -2   3  300.00    1.00", "   9   0   4  301.00    1.00",
    "  10  -1   0  302.00    1.00", "  11  -2   1  305.50    1.00", "  12   0   2  350.00    1.00",
    "  13  -1   3   26.00    1.00", "  14  -2   4   51.00    1.00", "  15   0   0   27.00    1.00",
    "  16  -1   1   28.00    1.00", "  17  -2   2   29.40    1.00", "  18   0   3  500.00    1.00",
    "  19  -1   4  520.00    1.00", "  20  -2   0   10.00    1.00", "   0   0   0    0.00    0.00",
};

std::string Digest(const Lines& lines, int version, unsigned mask, bool legacy = false) {
  TCStrList list;
  for (const std::string& s : lines) list.Add(vexcstr(s.data(), s.size()));
  const vexcstr digest = zt7::ComposeDigest(list, version, mask, legacy);
  return std::string(digest.raw(), digest.Length());
}

// kLines[h - 1] for each h, joined with `separator`.
std::string Join(std::initializer_list<int> hs, const std::string& separator) {
  std::string text;
  for (int h : hs) text += (text.empty() ? "" : separator) + kLines[h - 1];
  return text;
}

Lines Shuffled(Lines lines) {
  std::reverse(lines.begin(), lines.end());
  std::rotate(lines.begin(), lines.begin() + 7, lines.end());
  return lines;
}

// Twenty lines (and the end marker) with the given intensities, the rest `pad`.
Lines WithIntensities(std::vector<double> values, double pad) {
  values.resize(20, pad);
  Lines lines;
  for (size_t i = 0; i < values.size(); ++i)
    lines.push_back(HklLine(int(i) + 1, 1, 1, values[i], 1));
  lines.push_back(hkl_test::EndMarker());
  return lines;
}

// A part from its tag and summary text; part 2 of schemes 2 and 3 hashes the summary's
// MD5, SHA-256 and SHA-224 texts.
std::string One(const char* tag, const std::string& x) {
  return reference::Part(tag, reference::MD5Text(x));
}
std::string Two(const char* tag, const std::string& x) {
  return One(tag, reference::MD5Text(x) + reference::SHA256Text(x) + reference::SHA224Text(x));
}

TEST(ComposeDigest, GoldenDigests) {
  // Scheme 3: the range 0..624 scales by 1, so s is the intensity cut toward zero; 20
  // records count 500 each. Bins 0 {0, 10}, 1 {26..29}, 2 {51}, 4 {100, 110, 110},
  // 10 {260, 270}, 12 {300..305}, 14 {350}, 20 {500, 520}, 24 {624}.
  const std::string fingerprint =
      "1000(5.0)2000(27.5)500(51.0)1500(106.7)1000(265.0)2000(302.0)500(350.0)1000(510.0)"
      "500(624.0)";
  // Scheme 2: s rounded (305.5 -> 306), and s = 0, 1 modulo 25 left out (0, 26, 51, 100,
  // 300, 301, 350, 500); counts as they are.
  const std::string raw = "1(10.0)3(28.0)2(110.0)2(265.0)2(304.0)1(520.0)1(624.0)";
  // Scheme 1: the first ten and the last ten backwards, blanks between; fifteen and fifteen,
  // nothing between. The end marker sorts first and is no reflection line.
  const std::string schemeOne =
      One("41",
          Join({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11}, " ")) +
      "," +
      One("51", Join({1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                      20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9,  8,  7,  6},
                     ""));
  // The legacy line test: eleven lines qualify, so the backward passes take them again.
  const std::string legacy =
      One("41",
          Join({1, 2, 4, 7, 8, 11, 13, 14, 16, 17, 19, 17, 16, 14, 13, 11, 8, 7, 4, 2}, " ")) +
      "," +
      One("51",
          Join({1, 2, 4, 7, 8, 11, 13, 14, 16, 17, 19, 19, 17, 16, 14, 13, 11, 8, 7, 4, 2, 1}, ""));
  // Fifteen zeros (7500 per 10000) and one in each of bins 1, 2, 3, 4 and 24: a summary
  // of 56 bytes, where the module's padding differs.
  const Lines fiftySix = WithIntensities({25, 50, 75, 100, 624}, 0);
  const std::string x56 = "7500(0.0)500(25.0)500(50.0)500(75.0)500(100.0)500(624.0)";
  ASSERT_EQ(x56.size() % 64, 56u);
  Lines high = WithIntensities({}, 3000);
  std::fill(high.begin(), high.begin() + 10, HklLine(1, 1, 1, 2000, 1));
  const struct {
    const char* what;
    Lines lines;
    int version;
    unsigned mask;
    bool legacy;
    std::string expected;
  } cases[] = {
      {"scheme 3", kLines, 3, 3, false, One("43", fingerprint) + "," + Two("53", fingerprint)},
      {"scheme 2", kLines, 2, 3, false, One("42", raw) + "," + Two("52", raw)},
      {"scheme 2, part 2 alone", kLines, 2, 2, false, "," + Two("52", raw)},
      {"scheme 1", kLines, 1, 3, false, schemeOne},
      {"scheme 1 sorts", Shuffled(kLines), 1, 3, false, schemeOne},
      {"scheme 1, legacy", kLines, 1, 3, true, legacy},
      {"56 bytes", fiftySix, 3, 3, false, One("43", x56) + "," + Two("53", x56)},
      // Left out under scheme 2: 0, 1, 25, 26, 600, 601 and 0.6 -> 1; kept: 2, 24, 1.5 -> 2
      // (halves up) in bin 0, 27 in bin 1, 599.49 -> 599 in bin 23.
      {"scheme 2 rounding",
       WithIntensities({1, 25, 26, 600, 601, 0.6, 2, 24, 27, 1.5, 599.49, 624}, 0), 2, 1, false,
       One("42", "3(9.3)1(27.0)1(599.0)1(624.0)")},
      // The lowest intensity, below 1000, is the origin: factor 624 / 520 = 1.2, so 30 -> 60
      // and 40 -> 72, both in bin 2.
      {"scheme 2 origin", WithIntensities({30, 40, 500}, -20), 2, 1, false,
       One("42", "2(66.0)1(624.0)")},
      // Bin means are written as "%.1f" writes them: 2.25 -> 2.2, 27.666... -> 27.7.
      {"bin means", WithIntensities({2, 2, 2, 3, 27, 28, 28, 624}, 0), 2, 1, false,
       One("42", "4(2.2)3(27.7)1(624.0)")},
      {"all equal", WithIntensities({}, 42), 3, 1, false, One("43", "10000(0.0)")},
      // Above 1000 the origin stays 1000: 2000 scales to 312, 3000 to 624.
      {"above 1000", high, 3, 1, false, One("43", "5000(312.0)5000(624.0)")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Digest(c.lines, c.version, c.mask, c.legacy), c.expected) << c.what;
}

// Which lines count, on hostile files read whole into lines and read a piece at a time:
// the same digest or the same error from both, and the warning only when no line as long
// as the first is a reflection.
TEST(ComposeDigest, WhichLinesCountReadWholeOrInPieces) {
  Lines base;  // sorted already: l = 1, 2, ... 40
  for (int l = 1; l <= 40; ++l) base.push_back(HklLine(1, 1, l, 42, 1));
  // Scheme 1 of sorted lines: the first n and the last n backwards, n = 10 and 15.
  auto schemeOne = [](const Lines& sorted) {
    auto ends = [&](size_t n, const char* gap) {
      std::string x;
      for (size_t i = 0; i < 2 * n; ++i)
        x += (i ? gap : "") + sorted[i < n ? i : sorted.size() - 1 - (i - n)];
      return x;
    };
    return One("41", ends(10, " ")) + "," + One("51", ends(15, ""));
  };
  auto with = [&](Lines first, Lines last = {}) {
    first.insert(first.end(), base.begin(), base.end());
    first.insert(first.end(), last.begin(), last.end());
    return hkl_test::JoinLines(first);
  };
  const std::string emptyOne = One("41", "") + "," + One("51", ""),
                    emptyThree = One("43", "") + "," + Two("53", ""),
                    equal = One("43", "10000(0.0)") + "," + Two("53", "10000(0.0)"),
                    hexError = "error: Invalid float format '    0x1A'",
                    hexI = "   1   1  20    1.00    0x1A", end = hkl_test::EndMarker();
  // Text, version, digest or error, warning.
  const std::tuple<std::string, int, std::string, bool> rows[] = {
      {with({std::string(60, 'T'), "   0 -32  12  0xff    126.41"}), 3, emptyThree, true},
      {with({}, {hexI}), 3, hexError, false},
      {with({}, {hexI}), 1, schemeOne(base), false},  // where no pass of the sorted lines reaches
      {with({}, {"   0   1   1    0x1A    1.00"}), 1, hexError, false},  // sorts first
      {with({}, {hexI.substr(1), hexI + " "}), 1, schemeOne(base), false},
      {with({end}), 1, schemeOne(base), false},               // records after the end marker count
      {with({std::string(300000, 'T')}), 1, emptyOne, true},  // longer than a piece
      {hkl_test::JoinLines(Lines(40, end)), 3, emptyThree, true},
      {hkl_test::JoinLines(Lines(base.begin(), base.begin() + 20)), 3, equal, false},
      {hkl_test::JoinLines(Lines(base.begin(), base.begin() + 19)), 3, "", false},
      {with({base[0].substr(1)}), 3, "", false},  // a first line of 27 characters
  };
  RODediRunnable::GetInstance();  // the log, for the warning
  zodu::testing::CaptureStream log;
  TBasicApp::GetInstance().GetLog().AddStream(&log, false);
  const zodu::testing::TempFolder folder;
  auto outcome = [](auto digest) {
    try {
      return Ascii(digest());
    } catch (const TBasicException& e) {
      return "error: " + std::string(e.GetKindName()) + " " + Ascii(e.GetMessage());
    }
  };
  for (const auto& [text, version, expected, warns] : rows) {
    const vexstr path = zodu::testing::W(folder.MakeFile("t.hkl", text));
    log.bytes.clear();
    auto whole = [&] { return zt7::ComposeDigest(ReadNarrowLines(path).obj(), version, 3, false); };
    EXPECT_EQ(outcome(whole), expected) << text.substr(0, 90);
    EXPECT_EQ(outcome([&] { return zt7::DigestHklFile(path, version, 3); }), expected);
    EXPECT_EQ(log.bytes.find("holds no reflection line") != std::string::npos, warns);
  }
  TBasicApp::GetInstance().GetLog().RemoveStream(&log);
}

}  // namespace
