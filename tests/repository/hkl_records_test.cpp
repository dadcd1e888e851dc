// Which HKL lines hold reflections, and the records read from them.
#include "repository/hkl_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repository/hkl_text.h"
#include "repository/intensity_scan.h"
#include "sdl/ebase.h"

using namespace zodu;
using hkl_test::HklLine;

namespace {

vexcstr C(const std::string& s) {
  return vexcstr(s.data(), s.size());
}

// Index fields h, k, l, then I and sigma, as written in the line.
std::string Fields(const std::string& h, const std::string& k, const std::string& l,
                   const std::string& I = "   12.50", const std::string& sigma = "    1.00") {
  return h + k + l + I + sigma;
}

struct IndexCase {
  const char* field;  // 4 characters, used for h
  bool record;
  int value;
};

TEST(ParseRef, IndexFieldTests) {
  const IndexCase cases[] = {
      {"  12", true, 12},  {" -12", true, -12}, {"  +7", true, 7},
      {"12  ", true, 12},  {"   0", true, 0},  // a lone right-justified zero
      {"0   ", false, 0},  // left-justified zero: only blanks after the dropped 0
      {"  0 ", false, 0},  {"  07", true, 7},  // octal digits, read in decimal
      {"  08", false, 0},  {" 010", true, 10},  {"    ", false, 0},
      {"\t\t 5", true, 5}, {"  -0", true, 0},   {"  - ", false, 0},
      {" 1 2", false, 0},  {"  1a", false, 0},  {"   a", false, 0},
  };
  for (const IndexCase& c : cases) {
    const std::string line = Fields(c.field, "   1", "   1");
    vex_object_ptr<hkl_util::Ref> ref = hkl_util::ParseRef(C(line));
    EXPECT_EQ(!ref.is_null(), c.record) << "'" << c.field << "'";
    if (ref) {
      EXPECT_EQ(ref->h, c.value) << "'" << c.field << "'";
    }
  }
}

struct RealCase {
  const char* field;  // 8 characters, used for I
  bool record;
  double value;
};

TEST(ParseRef, RealFieldTests) {
  const RealCase cases[] = {
      {"   12.50", true, 12.5}, {" -3.1e2 ", true, -310}, {"      .5", true, 0.5},
      {"  0012.5", false, 0},  // two leading zeros before a fraction
      {"    0.25", true, 0.25}, {"       0", true, 0},    {"     017", true, 17},
      {"     019", false, 0},   {"    1e5 ", true, 1e5},  {"     1e ", false, 0},
      {"     e5 ", true, 0},    {"  1.2.3 ", false, 0},   {"        ", false, 0},
      {"   1 2  ", false, 0},   {"   +1.5 ", true, 1.5},  {"   1.5x ", false, 0},
  };
  for (const RealCase& c : cases) {
    vex_object_ptr<hkl_util::Ref> ref =
        hkl_util::ParseRef(C(Fields("   1", "   2", "   3", c.field)));
    EXPECT_EQ(!ref.is_null(), c.record) << "'" << c.field << "'";
    if (ref) {
      EXPECT_EQ(ref->I, c.value) << "'" << c.field << "'";
    }
    EXPECT_EQ(!hkl_util::ParseRef(C(Fields("   1", "   2", "   3", "    1.00", c.field))).is_null(),
              c.record)
        << "sigma '" << c.field << "'";
  }
}

TEST(ParseRef, ReadsAllFieldsAndIgnoresWhatFollows) {
  vex_object_ptr<hkl_util::Ref> ref =
      hkl_util::ParseRef(C(HklLine(-3, 14, 0, 1234.56, 7.89) + "   1 anything"));
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->h, -3);
  EXPECT_EQ(ref->k, 14);
  EXPECT_EQ(ref->l, 0);
  EXPECT_EQ(ref->I, 1234.56);
  EXPECT_EQ(ref->sigma, 7.89);
}

TEST(ParseRef, EndMarkerAndShortLinesGiveNoRecord) {
  EXPECT_TRUE(hkl_util::ParseRef(C(hkl_test::EndMarker())).is_null());
  EXPECT_TRUE(hkl_util::ParseRef(C(Fields("  -0", "   0", "  00"))).is_null());
  const std::string line = HklLine(1, 2, 3, 4, 5);
  // Only the line's own characters may be read: a short view on a longer buffer.
  const vexcstr whole = C(line);
  EXPECT_TRUE(hkl_util::ParseRef(whole.SubString(0, 27)).is_null());
  EXPECT_FALSE(hkl_util::ParseRef(whole.SubString(0, 28)).is_null());
  EXPECT_TRUE(hkl_util::ParseRef(vexcstr()).is_null());
}

TEST(ParseRef, HexadecimalFieldsPassTheirTestsAndThenRaise) {
  EXPECT_THROW(hkl_util::ParseRef(C(Fields("0x1F", "   1", "   1"))),
               TInvalidIntegerNumberException);
  EXPECT_THROW(hkl_util::ParseRef(C(Fields("   1", "   1", "0x1F"))),
               TInvalidIntegerNumberException);
  EXPECT_THROW(hkl_util::ParseRef(C(Fields("   1", "   1", "   1", "    0x1A"))),
               TInvalidFloatNumberException);
  EXPECT_THROW(hkl_util::ParseRef(C(Fields("   1", "   1", "   1", "    1.00", "    0X1a"))),
               TInvalidFloatNumberException);
  // A failing test ends the work before any reading.
  EXPECT_TRUE(hkl_util::ParseRef(C(Fields("0x1F", "  08", "   1"))).is_null());
}

TEST(ReadIndices, LegacyRejectsOnlyLoneRightJustifiedZeros) {
  struct Case {
    std::string line;
    bool current, legacy;
  } cases[] = {
      {Fields("   1", "   0", "   2"), true, false},
      {Fields("   0", "   1", "   2"), true, false},
      {Fields("   1", "   2", "   0"), true, false},
      {Fields("  -0", "   1", "   2"), true, true},
      {Fields("  07", "   1", "   2"), true, true},
      {Fields("   1", "  10", "   2"), true, true},
      {Fields("   1", "   2", "   3", "    0x1A"), true, true},  // legacy reads no reals
  };
  for (const Case& c : cases) {
    hkl_util::Ref ref;
    EXPECT_EQ(hkl_util::ReadIndices(C(c.line), ref, false), c.current) << c.line;
    EXPECT_EQ(hkl_util::ReadIndices(C(c.line), ref, true), c.legacy) << c.line;
  }
}

TEST(ParseRefs, TakesLinesOfTheModelLengthInOrderAlsoAfterTheEndMarker) {
  TCStrList lines;
  for (const std::string& s :
       {HklLine(1, 0, 0, 10, 1), HklLine(2, 0, 0, 20, 1) + " ",
        HklLine(3, 0, 0, 30, 1).substr(0, 27), hkl_test::EndMarker(),
        std::string("  08") + HklLine(4, 0, 0, 40, 1).substr(4), HklLine(5, 0, 0, 50, 1)})
    lines.Add(C(s));
  const TTypeList<hkl_util::Ref> refs = hkl_util::ParseRefs(lines, 28).Release();
  ASSERT_EQ(refs.Count(), 2u);
  EXPECT_EQ(refs[0].h, 1);
  EXPECT_EQ(refs[1].h, 5);
  hkl_util::IntensityScan scan(true);
  for (const vexcstr& line : lines) scan.Take(line.raw(), line.Length());
  const TArrayList<double>& intensities = scan.Intensities();
  EXPECT_EQ(std::vector<double>(intensities.begin(), intensities.end()),
            (std::vector<double>{10.0, 50.0}));
  EXPECT_EQ(hkl_util::ParseRefs(lines, 29).obj().Count(), 1u);
}

TEST(ParseRefs, HexadecimalIndexRaisesOutOfTheList) {
  TCStrList lines;
  lines.Add(C(HklLine(1, 0, 0, 10, 1)));
  lines.Add(C(Fields("0x1F", "   1", "   1")));
  EXPECT_THROW(hkl_util::ParseRefs(lines, 28), TInvalidIntegerNumberException);
  hkl_util::IntensityScan scan(true);
  for (const vexcstr& line : lines) scan.Take(line.raw(), line.Length());
  EXPECT_THROW(scan.Intensities(), TInvalidIntegerNumberException);
  EXPECT_EQ(hkl_util::ParseRefs(lines, 29).obj().Count(), 0u);
}

TEST(IsUsable, TwentyLinesWithAFirstLineOfTwentyEight) {
  // The rule on a list and on a scan of its lines.
  auto usable = [](const TCStrList& lines) {
    hkl_util::IntensityScan scan(false);
    for (const vexcstr& line : lines) scan.Take(line.raw(), line.Length());
    EXPECT_EQ(scan.IsUsable(), hkl_util::IsUsable(lines));
    return hkl_util::IsUsable(lines);
  };
  TCStrList lines;
  for (int i = 0; i < 19; ++i) lines.Add(C(HklLine(i + 1, 0, 0, 1, 1)));
  EXPECT_FALSE(usable(lines));
  lines.Add(C("short"));
  EXPECT_TRUE(usable(lines));
  lines[0] = C(HklLine(1, 0, 0, 1, 1).substr(0, 27));
  EXPECT_FALSE(usable(lines));
  lines[0] = C("TITLE crystal");
  EXPECT_FALSE(usable(lines));
}

}  // namespace
