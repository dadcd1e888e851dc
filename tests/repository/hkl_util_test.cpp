// Intensity fingerprints and the distance between two of them.
#include "repository/hkl_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "repository/hkl_text.h"
#include "sdl/ebase.h"
#include "sdl/raises.h"

using namespace zodu;
using hkl_test::Intensities;
using hkl_util::Bin;

namespace {

TArrayList<double> Repeated(std::vector<std::pair<double, int>> runs) {
  TArrayList<double> list;
  for (auto [value, count] : runs)
    for (int i = 0; i < count; ++i) list.Add(value);
  return list;
}

TTypeList<Bin> Fingerprint(const TArrayList<double>& intensities) {
  return hkl_util::fingerprint(intensities, hkl_util::kBins).Release();
}

// Bins with a count, as (bin number, count, mean).
struct Counted {
  size_t bin;
  unsigned count;
  double mean;
};
std::vector<Counted> CountedBins(const TTypeList<Bin>& bins) {
  std::vector<Counted> out;
  for (size_t i = 0; i < bins.Count(); ++i)
    if (bins[i].b != 0) out.push_back({i, bins[i].b, bins[i].a / bins[i].b});
  return out;
}

void ExpectBins(const TTypeList<Bin>& bins, const std::vector<Counted>& expected) {
  ASSERT_EQ(bins.Count(), 25u);
  const std::vector<Counted> got = CountedBins(bins);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].bin, expected[i].bin) << i;
    EXPECT_EQ(got[i].count, expected[i].count) << "bin " << got[i].bin;
    EXPECT_NEAR(got[i].mean, expected[i].mean, 1e-9) << "bin " << got[i].bin;
  }
}

// Range 0..624 gives the factor 1, so each scaled value is the intensity cut toward zero.
// 20 records: 500 per reflection.
TEST(Fingerprint, HandWorkedTwentyRecords) {
  const TTypeList<Bin> bins =
      Fingerprint(Intensities({0,     624, 100, 110, 110, 260, 270,  300, 301, 302,
                               305.5, 350, 26,  51,  27,  28,  29.4, 500, 520, 10}));
  ExpectBins(bins, {{0, 1000, 5.0},
                    {1, 2000, 27.5},
                    {2, 500, 51.0},
                    {4, 1500, 320.0 / 3},
                    {10, 1000, 265.0},
                    {12, 2000, 302.0},
                    {14, 500, 350.0},
                    {20, 1000, 510.0},
                    {24, 500, 624.0}});
}

TEST(Fingerprint, EqualIntensitiesInsideTheRangeFallIntoTheFirstBin) {
  ExpectBins(Fingerprint(Repeated({{42.5, 30}})), {{0, 10000, 0.0}});
  ExpectBins(Fingerprint(Repeated({{1000.0, 20}})), {{0, 10000, 0.0}});
}

TEST(Fingerprint, IntensitiesAboveOneThousandKeepTheLowEndAtOneThousand) {
  // lo 1000, hi 3000: 2000 scales to 312, 3000 to 624.
  ExpectBins(Fingerprint(Repeated({{2000, 10}, {3000, 10}})),
             {{12, 5000, 312.0}, {24, 5000, 624.0}});
}

TEST(Fingerprint, NormalisedCountsRoundHalvesUp) {
  // 32 records: 312.5 per reflection.
  ExpectBins(Fingerprint(Repeated({{0, 28}, {300, 3}, {624, 1}})),
             {{0, 8750, 0.0}, {12, 938, 300.0}, {24, 313, 624.0}});
}

TEST(Fingerprint, BinBelowHalfAReflectionPerTenThousandCountsZero) {
  const TTypeList<Bin> bins = Fingerprint(Repeated({{0, 24999}, {624, 1}}));
  EXPECT_EQ(bins[24].b, 0u);
  EXPECT_EQ(bins[24].a, 0.0);
  EXPECT_EQ(bins[0].b, 10000u);
  EXPECT_TRUE(std::isnan(bins[5].a));  // never filled: 0 reflections, mean not a number
}

TEST(Fingerprint, IntensitiesThatAreNotFiniteNeverLeaveTheScale) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ExpectBins(Fingerprint(Repeated({{1.0, 19}, {inf, 1}})), {{0, 10000, 0.0}});
  ExpectBins(Fingerprint(Repeated({{1.0, 19}, {-inf, 1}})), {{0, 10000, 0.0}});
  ExpectBins(Fingerprint(Repeated({{0, 10}, {624, 9}, {nan, 1}})),
             {{0, 5500, 0.0}, {24, 4500, 624.0}});
  // No records: nothing counted, nothing converted from a count that is not a number.
  EXPECT_TRUE(CountedBins(Fingerprint(TArrayList<double>())).empty());
}

TEST(ScaledValue, CutOrRoundedAndKeptInRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double x;
    unsigned cut, rounded;
  } cases[] = {{0, 0, 0},       {0.49, 0, 0},      {0.5, 0, 1},
               {1.5, 1, 2},     {24.5, 24, 25},    {623.5, 623, 624},
               {624, 624, 624}, {624.7, 624, 624}, {1e300, 624, 624},
               {inf, 624, 624}, {-0.7, 0, 0},      {-1e300, 0, 0},
               {-inf, 0, 0},    {nan, 0, 0},       {4294967296.0, 624, 624}};
  for (const Case& c : cases) {
    EXPECT_EQ(hkl_util::ScaledValue(c.x, 624, false), c.cut) << c.x;
    EXPECT_EQ(hkl_util::ScaledValue(c.x, 624, true), c.rounded) << c.x;
  }
}

TEST(Fingerprint, TheRecordFormsAgreeWithTheIntensities) {
  TTypeList<hkl_util::Ref> refs;
  const TArrayList<double> intensities = Intensities({3, 99, 740.25, -2, 1500, 17, 17, 400, 12});
  for (double I : intensities) refs.AddNew(hkl_util::Ref{1, 2, 3, I, 1.0});
  const std::vector<Counted> expected = CountedBins(Fingerprint(intensities));
  ExpectBins(hkl_util::fingerprint(refs, 25).Release(), expected);
  const ConstTypeList<hkl_util::Ref> handed(std::move(refs));
  ExpectBins(hkl_util::fingerprint(handed, 25).Release(), expected);
}

TTypeList<Bin> Bins(std::vector<Bin> bins) {
  TTypeList<Bin> list;
  for (const Bin& b : bins) list.AddNew(b);
  return list;
}

TEST(Corelate, HandWorkedDistance) {
  // Bin 0: means 5 and 4 -> 2 * 1 / 4; bin 1: empty in A -> 2 * 10 / 4. Sum 5.5 over 2 bins.
  EXPECT_DOUBLE_EQ(hkl_util::corelate(Bins({{10, 2}, {0, 0}}), Bins({{4, 1}, {30, 3}})), 2.75);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(hkl_util::corelate(Bins({{nan, 0}, {6, 3}}), Bins({{nan, 0}, {6, 3}})), 0.0);
}

TEST(Corelate, DifferentSizesRaiseFromHklUtil) {
  EXPECT_TRUE(zodu::testing_support::Raises<TInvalidArgumentException>(
      [] {
        hkl_util::corelate(Bins({{1, 1}}), Bins({{1, 1}, {2, 1}}));
      },
      "fingerprint size", "[repository/hkl_util(hkl_util::corelate):"));
}

}  // namespace
