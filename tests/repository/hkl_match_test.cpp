// Matching reflection lists and HKL files by their fingerprints.
#include "repository/hkl_match.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/hkl_text.h"
#include "support/temp_folder.h"

using namespace zodu;
using zodu::testing::W;

namespace {

TTypeList<hkl_util::Ref> Refs(std::vector<double> intensities) {
  TTypeList<hkl_util::Ref> refs;
  for (double I : intensities) refs.AddNew(hkl_util::Ref{1, 1, 1, I, 1.0});
  return refs;
}

std::vector<double> Stepped(int count, bool reversed = false) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) values.push_back(7.5 * (reversed ? count - 1 - i : i));
  return values;
}

// Same intensities in any order give 0; other counts or under 20 records give 1. B's single 312
// sits in bin 12, empty in A, and adds 2 * 312 / (0 + 1 + 1) over 25 bins: past 1.
TEST(MatchRefs, HandWorked) {
  std::vector<double> a(9999, 0.0), b(9998, 0.0);
  a.push_back(624);
  b.insert(b.end(), {624, 312});
  const std::tuple<std::vector<double>, std::vector<double>, double> rows[] = {
      {Stepped(20), Stepped(20, true), 0.0},
      {Stepped(40), Stepped(41), 1.0},
      {Stepped(19), Stepped(19), 1.0},
      {{}, {}, 1.0},
      {a, b, 12.48},
  };
  for (const auto& [first, second, distance] : rows)
    EXPECT_DOUBLE_EQ(MatchRefs(Refs(first), Refs(second)), distance);
}

// Each file's own first line sets its model length; an unusable file gives 1 before the other
// is read (the export's tests cover refusals).
TEST(MatchHklFiles, EachFileHasItsOwnModelLength) {
  zodu::testing::TempFolder folder;
  auto file = [&](const char* name, std::vector<std::string> lines) {
    return W(folder.MakeFile(name, hkl_test::JoinLines(lines)));
  };
  std::vector<std::string> lines = hkl_test::SteppedReflections(30), reordered = lines, wide,
                           mixed = lines;
  std::reverse(reordered.begin(), reordered.end() - 1);
  for (const std::string& line : lines) wide.push_back(line + "   1");
  mixed[0] += " ";
  const vexstr a = file("a.hkl", lines);
  EXPECT_EQ(MatchHklFiles(a, file("reordered.hkl", reordered)), 0.0);
  EXPECT_EQ(MatchHklFiles(a, file("wide.hkl", wide)), 0.0);
  EXPECT_EQ(MatchHklFiles(a, file("mixed.hkl", mixed)), 1.0);
}

}  // namespace
