// Which HKL lines hold reflections, and the records read from them.
#include "repository/hkl_records.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "repository/hkl_text.h"
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

// One index field (as h) and one real field (as I, then as sigma): whether the line holds a
// record, and the value read.
TEST(ParseRef, FieldTests) {
  const std::tuple<const char*, bool, int> indices[] = {
      {"  12", true, 12},  {" -12", true, -12}, {"  +7", true, 7},
      {"12  ", true, 12},  {"   0", true, 0},  // a lone right-justified zero
      {"0   ", false, 0},  // left-justified zero: only blanks after the dropped 0
      {"  0 ", false, 0},  {"  07", true, 7},  // octal digits, read in decimal
      {"  08", false, 0},  {" 010", true, 10},  {"    ", false, 0},
      {"\t\t 5", true, 5}, {"  -0", true, 0},   {"  - ", false, 0},
      {" 1 2", false, 0},  {"  1a", false, 0},  {"   a", false, 0},
  };
  for (const auto& [field, record, value] : indices) {
    vex_object_ptr<hkl_util::Ref> ref = hkl_util::ParseRef(C(Fields(field, "   1", "   1")));
    EXPECT_EQ(!ref.is_null(), record) << "'" << field << "'";
    if (ref) {
      EXPECT_EQ(ref->h, value) << "'" << field << "'";
    }
  }
  const std::tuple<const char*, bool, double> reals[] = {
      {"   12.50", true, 12.5}, {" -3.1e2 ", true, -310}, {"      .5", true, 0.5},
      {"  0012.5", false, 0},  // two leading zeros before a fraction
      {"    0.25", true, 0.25}, {"       0", true, 0},    {"     017", true, 17},
      {"     019", false, 0},   {"    1e5 ", true, 1e5},  {"     1e ", false, 0},
      {"     e5 ", true, 0},    {"  1.2.3 ", false, 0},   {"        ", false, 0},
      {"   1 2  ", false, 0},   {"   +1.5 ", true, 1.5},  {"   1.5x ", false, 0},
  };
  for (const auto& [field, record, value] : reals) {
    vex_object_ptr<hkl_util::Ref> ref =
        hkl_util::ParseRef(C(Fields("   1", "   2", "   3", field)));
    EXPECT_EQ(!ref.is_null(), record) << "'" << field << "'";
    if (ref) {
      EXPECT_EQ(ref->I, value) << "'" << field << "'";
    }
    EXPECT_EQ(!hkl_util::ParseRef(C(Fields("   1", "   2", "   3", "    1.00", field))).is_null(),
              record)
        << "sigma '" << field << "'";
  }
}

// All five fields are read and what follows is ignored; the end marker, lines under 28
// characters (also as a view on a longer buffer) and empty lines hold no record.
TEST(ParseRef, WholeLinesEndMarkerAndShortLines) {
  vex_object_ptr<hkl_util::Ref> ref =
      hkl_util::ParseRef(C(HklLine(-3, 14, 0, 1234.56, 7.89) + " x"));
  ASSERT_TRUE(ref);
  EXPECT_EQ(
      std::vector<double>({double(ref->h), double(ref->k), double(ref->l), ref->I, ref->sigma}),
      std::vector<double>({-3, 14, 0, 1234.56, 7.89}));
  EXPECT_TRUE(hkl_util::ParseRef(C(hkl_test::EndMarker())).is_null());
  EXPECT_TRUE(hkl_util::ParseRef(C(Fields("  -0", "   0", "  00"))).is_null());
  const vexcstr whole = C(HklLine(1, 2, 3, 4, 5));
  EXPECT_TRUE(hkl_util::ParseRef(whole.SubString(0, 27)).is_null());
  EXPECT_FALSE(hkl_util::ParseRef(whole.SubString(0, 28)).is_null());
  EXPECT_TRUE(hkl_util::ParseRef(vexcstr()).is_null());
}

// Hexadecimal fields pass the tests and then fail to read; a failing test ends the work first.
TEST(ParseRef, HexadecimalFieldsPassTheirTestsAndThenRaise) {
  EXPECT_THROW(hkl_util::ParseRef(C(Fields("   1", "   1", "0x1F"))),
               TInvalidIntegerNumberException);
  EXPECT_THROW(hkl_util::ParseRef(C(Fields("   1", "   1", "   1", "    1.00", "    0X1a"))),
               TInvalidFloatNumberException);
  EXPECT_TRUE(hkl_util::ParseRef(C(Fields("0x1F", "  08", "   1"))).is_null());
}

}  // namespace
