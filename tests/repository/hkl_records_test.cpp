// Which HKL lines hold reflections, and the records read from them.
#include "repository/hkl_records.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "sdl/ebase.h"
#include "support/hkl_text.h"

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

// The surprising field shapes, one field at a time (h, then I).
TEST(ParseRef, FieldTests) {
  const std::tuple<const char*, const char*, bool, int, double> rows[] = {
      {"   0", "   12.50", true, 0, 12.5},  // a lone right-justified zero
      {"0   ", "   12.50", false, 0, 0},    // left-justified: only blanks after the dropped 0
      {"  07", "   12.50", true, 7, 12.5},  // octal digits, read in decimal
      {"\t\t 5", "   12.50", true, 5, 12.5},
      {"   1", "  0012.5", false, 0, 0},  // two leading zeros before a fraction
      {"   1", "     017", true, 1, 17},
      {"   1", "     e5 ", true, 1, 0},
      {"   1", " -3.1e2 ", true, 1, -310},
  };
  for (const auto& [h, I, record, hValue, IValue] : rows) {
    vex_object_ptr<hkl_util::Ref> ref = hkl_util::ParseRef(C(Fields(h, "   1", "   1", I)));
    EXPECT_EQ(!ref.is_null(), record) << "'" << h << "' '" << I << "'";
    if (ref) {
      EXPECT_EQ(ref->h, hValue) << "'" << h << "'";
      EXPECT_EQ(ref->I, IValue) << "'" << I << "'";
    }
  }
}

// Five fields are read, the rest ignored; end marker, lines under 28 characters: no record.
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

// A hexadecimal field would fail to read, but a failing test of a later field ends the work first.
TEST(ParseRef, AFailingTestComesBeforeAHexadecimalRead) {
  EXPECT_TRUE(hkl_util::ParseRef(C(Fields("0x1F", "  08", "   1"))).is_null());
}

}  // namespace
