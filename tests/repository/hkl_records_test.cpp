// Which HKL lines hold reflections, and the records read from them.
#include "repository/hkl_records.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "repository/hkl_text.h"
#include "sdl/ebase.h"

using namespace zodu;
using hkl_test::HklLine;

namespace {

vexcstr C(const std::string& s) {
  return vexcstr(s.data(), s.size());
}

// The rules of the number tests, field by field: h (4 characters) then I (8 characters),
// the other fields plain. A record with h 0 means "no record expected".
TEST(ParseRef, FieldRules) {
  const std::pair<const char*, int> indices[] = {
      {"  12", 12}, {" -12", -12}, {"  +7", 7},  {"12  ", 12}, {"   0", 0},  {"  07", 7},
      {" 010", 10}, {"\t\t 5", 5}, {"  -0", 0},  {"0   ", 99}, {"  0 ", 99}, {"  08", 99},
      {"    ", 99}, {"  - ", 99},  {" 1 2", 99}, {"  1a", 99},
  };
  for (const auto& [field, h] : indices) {
    vex_object_ptr<hkl_util::Ref> ref =
        hkl_util::ParseRef(C(field + HklLine(0, 1, 1, 1, 1).substr(4)));
    EXPECT_EQ(ref ? ref->h : 99, h) << "'" << field << "'";
  }
  const std::pair<const char*, double> reals[] = {
      {"   12.50", 12.5}, {" -3.1e2 ", -310}, {"      .5", 0.5}, {"       0", 0},  {"     017", 17},
      {"    1e5 ", 1e5},  {"     e5 ", 0},    {"   +1.5 ", 1.5}, {"  0012.5", -1}, {"     019", -1},
      {"     1e ", -1},   {"  1.2.3 ", -1},   {"        ", -1},  {"   1 2  ", -1}, {"   1.5x ", -1},
  };
  const std::string indicesText = "   1   2   3", one = "    1.00";
  for (const auto& [field, I] : reals) {
    vex_object_ptr<hkl_util::Ref> ref = hkl_util::ParseRef(C(indicesText + field + one));
    EXPECT_EQ(ref ? ref->I : -1, I) << "'" << field << "'";
    EXPECT_EQ(hkl_util::ParseRef(C(indicesText + one + field)).is_null(), I == -1) << field;
  }
}

TEST(ParseRef, WholeLinesEndMarkerAndShortViews) {
  vex_object_ptr<hkl_util::Ref> ref =
      hkl_util::ParseRef(C(HklLine(-3, 14, 0, 1234.56, 7.89) + " x"));
  ASSERT_TRUE(ref);
  EXPECT_EQ(std::tuple(ref->h, ref->k, ref->l, ref->I, ref->sigma),
            std::tuple(-3, 14, 0, 1234.56, 7.89));
  EXPECT_TRUE(hkl_util::ParseRef(C(hkl_test::EndMarker())).is_null());
  EXPECT_TRUE(hkl_util::ParseRef(C("  -0   0  00   12.50    1.00")).is_null());
  const vexcstr whole = C(HklLine(1, 2, 3, 4, 5));  // only the view's own characters count
  EXPECT_TRUE(hkl_util::ParseRef(whole.SubString(0, 27)).is_null());
  EXPECT_TRUE(hkl_util::ParseRef(vexcstr()).is_null());
  // Hexadecimal fields pass their tests and then raise, unless another test failed first.
  EXPECT_THROW(hkl_util::ParseRef(C("   1   10x1F   12.50    1.00")),
               TInvalidIntegerNumberException);
  EXPECT_THROW(hkl_util::ParseRef(C("   1   1   1    1.00    0X1a")), TInvalidFloatNumberException);
  EXPECT_TRUE(hkl_util::ParseRef(C("0x1F  08   1   12.50    1.00")).is_null());
}

// Legacy rejects only a lone right-justified zero, and reads no reals.
TEST(ReadIndices, Legacy) {
  const std::tuple<const char*, bool> rows[] = {
      {"   1   0   2", false}, {"   0   1   2", false}, {"   1   2   0", false},
      {"  -0   1   2", true},  {"  07   1   2", true},  {"   1  10   2", true},
  };
  for (const auto& [indices, legacy] : rows) {
    hkl_util::Ref ref;
    EXPECT_TRUE(hkl_util::ReadIndices(C(std::string(indices) + "    0x1A    1.00"), ref, false));
    EXPECT_EQ(hkl_util::ReadIndices(C(std::string(indices) + "    0x1A    1.00"), ref, true),
              legacy)
        << indices;
  }
}

// Lines of the model length, in order, also after the end marker; a hexadecimal index raises.
TEST(ParseRefs, ModelLengthAndErrors) {
  TCStrList lines;
  for (const std::string& s : {HklLine(1, 0, 0, 10, 1), HklLine(2, 0, 0, 20, 1) + " ",
                               HklLine(3, 0, 0, 30, 1).substr(0, 27), hkl_test::EndMarker(),
                               "  08" + HklLine(4, 0, 0, 40, 1).substr(4), HklLine(5, 0, 0, 50, 1)})
    lines.Add(C(s));
  const TTypeList<hkl_util::Ref> refs = hkl_util::ParseRefs(lines, 28).Release();
  ASSERT_EQ(refs.Count(), 2u);
  EXPECT_EQ(refs[1].h, 5);
  const TArrayList<double> intensities = hkl_util::ParseIntensities(lines, 28);
  ASSERT_EQ(intensities.Count(), 2u);
  EXPECT_EQ(intensities[1], 50.0);
  EXPECT_EQ(hkl_util::ParseRefs(lines, 29).obj().Count(), 1u);
  lines.Add(C("0x1F   1   1   12.50    1.00"));
  EXPECT_THROW(hkl_util::ParseRefs(lines, 28), TInvalidIntegerNumberException);
  EXPECT_THROW(hkl_util::ParseIntensities(lines, 28), TInvalidIntegerNumberException);
}

TEST(IsUsable, TwentyLinesWithAFirstLineOfTwentyEight) {
  TCStrList lines;
  for (int i = 0; i < 19; ++i) lines.Add(C(HklLine(i + 1, 0, 0, 1, 1)));
  EXPECT_FALSE(hkl_util::IsUsable(lines));
  lines.Add(C("short"));
  EXPECT_TRUE(hkl_util::IsUsable(lines));
  lines[0] = C(HklLine(1, 0, 0, 1, 1).substr(0, 27));
  EXPECT_FALSE(hkl_util::IsUsable(lines));
}

}  // namespace
