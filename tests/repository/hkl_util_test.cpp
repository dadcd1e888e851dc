// Intensity fingerprints and scaled values, worked by hand.
#include "repository/hkl_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "sdl/ebase.h"
#include "support/hkl_text.h"

using namespace zodu;
using hkl_util::Bin;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// The intensities as runs of (value, count).
TArrayList<double> Runs(std::vector<std::pair<double, int>> runs) {
  TArrayList<double> list;
  for (auto [value, count] : runs)
    for (int i = 0; i < count; ++i) list.Add(value);
  return list;
}

// The bins with a count as "bin:count:mean"; a bin without has a mean that is no number.
std::string CountedBins(const TTypeList<Bin>& bins) {
  std::string out;
  EXPECT_EQ(bins.Count(), 25u);
  for (size_t i = 0; i < bins.Count(); ++i) {
    char text[64];
    std::snprintf(text, sizeof text, "%zu:%u:%.6g ", i, bins[i].b, bins[i].a / bins[i].b);
    if (bins[i].b != 0) out += text;
    EXPECT_TRUE(bins[i].b != 0 || std::isnan(bins[i].a) || bins[i].a == 0) << i;
  }
  return out;
}

std::string Fingerprint(const TArrayList<double>& intensities) {
  return CountedBins(hkl_util::fingerprint(intensities, hkl_util::kBins).Release());
}

// Range 0..624 gives the factor 1, so each scaled value is the intensity cut toward zero;
// counts are per 10000 reflections, rounded half up; the low end is at most 1000.
TEST(Fingerprint, HandWorked) {
  const std::pair<TArrayList<double>, std::string> rows[] = {
      // 20 records: 500 per reflection.
      {hkl_test::Intensities({0,     624, 100, 110, 110, 260, 270,  300, 301, 302,
                              305.5, 350, 26,  51,  27,  28,  29.4, 500, 520, 10}),
       "0:1000:5 1:2000:27.5 2:500:51 4:1500:106.667 10:1000:265 12:2000:302 14:500:350 "
       "20:1000:510 24:500:624 "},
      {Runs({{42.5, 30}}), "0:10000:0 "},
      {Runs({{2000, 10}, {3000, 10}}), "12:5000:312 24:5000:624 "},
      {Runs({{0, 28}, {300, 3}, {624, 1}}), "0:8750:0 12:938:300 24:313:624 "},
      {Runs({{0, 24999}, {624, 1}}), "0:10000:0 "},  // half a reflection counts zero
      {Runs({{1.0, 19}, {kInf, 1}}), "0:10000:0 "},
      {Runs({{0, 10}, {624, 9}, {kNan, 1}}), "0:5500:0 24:4500:624 "},
      {TArrayList<double>(), ""},
  };
  for (const auto& [intensities, expected] : rows) EXPECT_EQ(Fingerprint(intensities), expected);
}

TEST(ScaledValue, CutOrRoundedAndKeptInRange) {
  const std::tuple<double, unsigned, unsigned> rows[] = {
      {0.49, 0, 0},     {0.5, 0, 1},  {623.5, 623, 624}, {624.7, 624, 624},
      {kInf, 624, 624}, {-0.7, 0, 0}, {kNan, 0, 0},      {4294967296.0, 624, 624},
  };
  for (const auto& [x, cut, rounded] : rows) {
    EXPECT_EQ(hkl_util::ScaledValue(x, 624, false), cut) << x;
    EXPECT_EQ(hkl_util::ScaledValue(x, 624, true), rounded) << x;
  }
}

}  // namespace
