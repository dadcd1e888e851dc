// Selecting the reflection lines at both ends of a list.
#include "zt3util/end_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repository/hkl_text.h"

using namespace zodu;
using hkl_test::HklLine;

namespace {

std::vector<std::string> Select(const std::vector<std::string>& lines, size_t lineLength,
                                size_t nFirst, size_t nLast, bool legacy = false) {
  TCStrList list;
  for (const std::string& s : lines) list.Add(vexcstr(s.data(), s.size()));
  std::vector<std::string> out;
  for (const vexcstr& line : zt3util::SelectEndLines(list, lineLength, nFirst, nLast, legacy))
    out.emplace_back(line.raw(), line.Length());
  return out;
}

TEST(SelectEndLines, TwelveQualifyingLinesGiveTheMiddleOnesTwice) {
  std::vector<std::string> q, lines;
  for (int i = 1; i <= 12; ++i) q.push_back(HklLine(i, 1, 1, i, 1));
  lines.push_back("TITLE");
  for (const std::string& line : q) lines.push_back(line);
  lines.push_back(hkl_test::EndMarker());
  EXPECT_EQ(
      Select(lines, 28, 10, 10),
      (std::vector<std::string>{q[0],  q[1],  q[2], q[3], q[4], q[5], q[6], q[7], q[8], q[9],
                                q[11], q[10], q[9], q[8], q[7], q[6], q[5], q[4], q[3], q[2]}));
}

TEST(SelectEndLines, OnlyReflectionLinesOfTheModelLength) {
  const std::vector<std::string> lines = {HklLine(1, 1, 1, 1, 1),
                                          HklLine(2, 1, 1, 1, 1) + " ",
                                          HklLine(3, 1, 1, 1, 1),
                                          "  08" + HklLine(4, 1, 1, 1, 1).substr(4),
                                          HklLine(5, 1, 1, 1, 1).substr(0, 27) + "x",
                                          HklLine(6, 0, 1, 1, 1),
                                          hkl_test::EndMarker(),
                                          HklLine(7, 1, 1, 1, 1)};
  EXPECT_EQ(Select(lines, 28, 2, 2),
            (std::vector<std::string>{lines[0], lines[2], lines[7], lines[5]}));
  // The legacy test rejects k written as a lone zero.
  EXPECT_EQ(Select(lines, 28, 2, 2, true),
            (std::vector<std::string>{lines[0], lines[2], lines[7], lines[2]}));
  EXPECT_EQ(Select(lines, 29, 2, 2), (std::vector<std::string>{lines[1], lines[1]}));
  EXPECT_TRUE(Select(lines, 30, 2, 2).empty());
}

TEST(SelectEndLines, StopsAtTheCountsAndReadsNoFurther) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 6; ++i) lines.push_back(HklLine(i, 1, 1, 1, 1));
  // A hexadecimal index raises when tested; the passes stop before reaching it.
  lines.insert(lines.begin() + 3, "0x1F" + HklLine(9, 1, 1, 1, 1).substr(4));
  EXPECT_EQ(Select(lines, 28, 2, 3).size(), 5u);
  EXPECT_ANY_THROW(Select(lines, 28, 3, 4));
}

}  // namespace
