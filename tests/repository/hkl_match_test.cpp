// Matching reflection lists by their fingerprints (files: dMatchHKL in tests/abi).
#include "repository/hkl_match.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zodu;

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

}  // namespace
