// Selecting the reflection lines at both ends of a list without sorting it.
#include "zt3util/end_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "repository/hkl_text.h"
#include "sdl/ebase.h"
#include "zt3util/reflection_lines.h"

using namespace zodu;
using hkl_test::HklLine;

namespace {

// The lines of `lineLength` offered in the given order, then selected.
std::vector<std::string> Select(const std::vector<std::string>& lines, size_t lineLength,
                                size_t nFirst, size_t nLast, bool legacy = false) {
  zt7::EndLineSelection selection(lineLength, std::max(nFirst, nLast), legacy);
  for (const std::string& line : lines)
    if (line.size() == lineLength) selection.Offer(line.data());
  std::vector<std::string> out;
  for (const vexcstr& line : selection.Select(nFirst, nLast))
    out.emplace_back(line.raw(), line.Length());
  return out;
}

// The passes as written out: sort (bytes as signed values), then forward and backward,
// testing every line of the model length on the way. "!" stands for a raised error.
std::vector<std::string> SortAndPass(std::vector<std::string> lines, size_t lineLength,
                                     size_t nFirst, size_t nLast, bool legacy) {
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<signed char>(x) < static_cast<signed char>(y);
    });
  });
  std::vector<std::string> out;
  auto takes = [&](const std::string& line) {
    if (line.size() != lineLength) return false;
    return legacy ? zt7::IsReflectionLineLegacy(line.data(), line.size())
                  : zt7::IsReflectionLine(line.data(), line.size());
  };
  try {
    for (size_t i = 0; i < lines.size() && out.size() < nFirst; ++i)
      if (takes(lines[i])) out.push_back(lines[i]);
    for (size_t i = lines.size(); i-- > 0 && out.size() < nFirst + nLast;)
      if (takes(lines[i])) out.push_back(lines[i]);
  } catch (const TExceptionBase&) {
    return {"!"};
  }
  return out;
}

TEST(EndLineSelection, TwelveQualifyingLinesGiveTheMiddleOnesTwice) {
  std::vector<std::string> q, lines;
  for (int i = 1; i <= 12; ++i) q.push_back(HklLine(i, 1, 1, i, 1));
  lines.push_back("TITLE");
  for (const std::string& line : q) lines.push_back(line);
  lines.push_back(hkl_test::EndMarker());
  std::reverse(lines.begin(), lines.end());
  // Sorted, "   9" comes before "  10": a blank sorts before a digit.
  EXPECT_EQ(
      Select(lines, 28, 10, 10),
      (std::vector<std::string>{q[0],  q[1],  q[2], q[3], q[4], q[5], q[6], q[7], q[8], q[9],
                                q[11], q[10], q[9], q[8], q[7], q[6], q[5], q[4], q[3], q[2]}));
}

TEST(EndLineSelection, OnlyReflectionLines) {
  const std::vector<std::string> lines = {HklLine(1, 1, 1, 1, 1),
                                          HklLine(3, 1, 1, 1, 1),
                                          "  08" + HklLine(4, 1, 1, 1, 1).substr(4),
                                          HklLine(5, 1, 1, 1, 1).substr(0, 27) + "x",
                                          HklLine(6, 0, 1, 1, 1),
                                          hkl_test::EndMarker(),
                                          HklLine(7, 1, 1, 1, 1)};
  EXPECT_EQ(Select(lines, 28, 2, 2),
            (std::vector<std::string>{lines[0], lines[1], lines[6], lines[4]}));
  // The legacy test rejects k written as a lone zero.
  EXPECT_EQ(Select(lines, 28, 2, 2, true),
            (std::vector<std::string>{lines[0], lines[1], lines[6], lines[1]}));
}

TEST(EndLineSelection, RaisesOnlyWhereThePassesWouldTest) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 6; ++i) lines.push_back(HklLine(i, 1, 1, 1, 1));
  // A hexadecimal intensity of h = 3 sorts right before the line of h = 3: passes that
  // stop at h = 2 from the start and at h = 4 from the end never test it.
  lines.insert(lines.begin(), "   3   1   1    0x1A    1.00");
  EXPECT_EQ(Select(lines, 28, 2, 3).size(), 5u);
  EXPECT_THROW(Select(lines, 28, 3, 4), TInvalidFloatNumberException);
  EXPECT_THROW(Select(lines, 28, 2, 5), TInvalidFloatNumberException);
}

TEST(EndLineSelection, AgreesWithSortingAndPassingOnRandomLists) {
  // Reflection lines, lines failing a test, lines raising on their index or intensity,
  // all of one length and in random order, many equal; sorted or reversed lists too.
  std::mt19937 random(11);
  const std::vector<std::string> odd = {
      "0x1F   1   1    1.00    1.00",    "  0x   1   1    1.00    1.00",
      "   1   1   1    0x1A    1.00",    "   0   1   0    2.00    1.00",
      "   0   0   0    0.00    0.00",    "  08   1   1    1.00    1.00",
      "\xe9   1   1   1    1.00    1.0", "   1   1   1    1.00    1.0x"};
  for (int round = 0; round < 400; ++round) {
    const size_t count = 1 + random() % 80;
    std::vector<std::string> lines;
    for (size_t i = 0; i < count; ++i) {
      if (random() % 4 == 0) {
        lines.push_back(odd[random() % odd.size()]);
      } else {
        const int h = int(random() % 7) - 3, k = int(random() % 3), l = int(random() % 30);
        lines.push_back(HklLine(h, k, l, double(random() % 100), 1));
      }
    }
    if (round % 10 == 0) std::sort(lines.begin(), lines.end());
    if (round % 10 == 1) std::sort(lines.rbegin(), lines.rend());
    const size_t nFirst = 1 + random() % 15, nLast = 1 + random() % 15;
    for (bool legacy : {false, true}) {
      std::vector<std::string> got;
      try {
        got = Select(lines, 28, nFirst, nLast, legacy);
      } catch (const TExceptionBase&) {
        got = {"!"};
      }
      ASSERT_EQ(got, SortAndPass(lines, 28, nFirst, nLast, legacy))
          << "round " << round << " legacy " << legacy;
    }
  }
}

}  // namespace
