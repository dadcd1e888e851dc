// Scheme 2's raw histogram and the text form of histograms.
#include "zt3util/scheme_histograms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repository/hkl_text.h"

using namespace zodu;
using hkl_test::Intensities;
using hkl_util::Bin;

namespace {

std::string Text(const TTypeList<Bin>& bins) {
  const vexcstr text = zt7::FingerprintText(bins);
  return std::string(text.raw(), text.Length());
}

std::string RawText(const std::vector<double>& values) {
  return Text(zt7::RawFingerprint(Intensities(values), 25).Release());
}

TEST(RawFingerprint, ValuesZeroAndOneModuloTwentyFiveAreLeftOut) {
  // 0 and 624 fix the factor at 1. Left out: 0, 1, 25, 26, 50, 51, 600, 601, 0.6 -> 1.
  EXPECT_EQ(RawText({0, 1, 25, 26, 50, 51, 600, 601, 0.6, 624}), "1(624.0)");
  // Kept: 2, 24 (bin 0), 27 (bin 1), 1.5 -> 2 (halves up), 599.49 -> 599 (bin 23); the
  // counts are not normalised.
  EXPECT_EQ(RawText({0, 2, 24, 27, 1.5, 599.49, 624}), "3(9.3)1(27.0)1(599.0)1(624.0)");
}

TEST(RawFingerprint, LowestIntensityBelowOneThousandIsNeverCounted) {
  // Factor 624 / 520 = 1.2: 30 -> 60 and 40 -> 72, both in bin 2; -20 -> 0 left out.
  EXPECT_EQ(RawText({-20, 30, 40, 500}), "2(66.0)1(624.0)");
  EXPECT_EQ(RawText({42, 42, 42}), "");
  EXPECT_EQ(RawText({}), "");
}

TEST(FingerprintText, CountAndMeanOfEveryCountedBin) {
  TTypeList<Bin> bins;
  bins.AddNew(Bin{3800, 100});
  bins.AddNew(Bin{0, 0});
  bins.AddNew(Bin{1250, 25});
  EXPECT_EQ(Text(bins), "100(38.0)25(50.0)");
  bins.AddNew(Bin{2, 3});     // 0.666... -> 0.7
  bins.AddNew(Bin{0.25, 1});  // halfway cases follow "%.1f"
  EXPECT_EQ(Text(bins), "100(38.0)25(50.0)3(0.7)1(0.2)");
  EXPECT_EQ(Text(TTypeList<Bin>()), "");
}

}  // namespace
