// dMatchHKL and bCheckCell as a host calls them, through the loaded library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repository/hkl_text.h"
#include "sdl/temp_folder.h"
#include "support/loaded_module.h"

using zodu::testing::TempFolder;
using zodu::testing::W;

namespace {

class MatchExportsTest : public ::testing::Test {
 protected:
  double Match(const std::string& a, const std::string& b) {
    const zodu::vexstr wa = W(a), wb = W(b);
    return EXPORT(module_, dMatchHKL)(wa.c_str(), wb.c_str());
  }
  std::string File(const std::string& name, const std::vector<std::string>& lines) {
    return folder_.MakeFile(name, hkl_test::JoinLines(lines));
  }
  zt7test::FreshModule module_;
  TempFolder folder_;
};

TEST_F(MatchExportsTest, SameFileGivesZeroFilesDifferingByOneRecordGiveOne) {
  const std::string a = File("a.hkl", hkl_test::SteppedReflections(40));
  EXPECT_EQ(Match(a, a), 0.0);
  EXPECT_EQ(Match(a, File("b.hkl", hkl_test::SteppedReflections(41))), 1.0);
  std::vector<std::string> fewer = hkl_test::SteppedReflections(40);
  fewer.erase(fewer.begin() + 17);
  EXPECT_EQ(Match(a, File("c.hkl", fewer)), 1.0);
}

TEST_F(MatchExportsTest, InputsThatCannotBeComparedGiveOne) {
  const std::string a = File("a.hkl", hkl_test::SteppedReflections(40));
  std::vector<std::string> hex = hkl_test::SteppedReflections(40);
  hex[5] = hex[5].substr(0, 12) + "    0x1A" + hex[5].substr(20);
  std::string binary(3000, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131 + 7);
  const std::string paths[] = {folder_ / "missing.hkl",
                               folder_.path(),
                               File("hex.hkl", hex),
                               folder_.MakeFile("empty.hkl"),
                               folder_.MakeFile("bin.hkl", binary),
                               ""};
  for (const std::string& other : paths) {
    EXPECT_EQ(Match(a, other), 1.0) << other;
    EXPECT_EQ(Match(other, a), 1.0) << other;
  }
  const zodu::vexstr wa = W(a);
  EXPECT_EQ(EXPORT(module_, dMatchHKL)(nullptr, wa.c_str()), 1.0);
  EXPECT_EQ(EXPORT(module_, dMatchHKL)(wa.c_str(), nullptr), 1.0);
  EXPECT_EQ(EXPORT(module_, dMatchHKL)(nullptr, nullptr), 1.0);
}

TEST_F(MatchExportsTest, CheckCell) {
  auto check = EXPORT(module_, bCheckCell);
  const double first[6] = {5.95, 9.03, 18.38, 90, 90, 90};
  const double beyond[6] = {6.15, 9.03, 18.38, 90, 90, 90};
  const double third[6] = {7.77, 8.72, 10.86, 90, 104, 90};
  const double other[6] = {10, 10, 10, 90, 90, 90};
  EXPECT_TRUE(check(first));
  EXPECT_FALSE(check(beyond));
  EXPECT_TRUE(check(third));
  EXPECT_FALSE(check(other));
  EXPECT_FALSE(check(nullptr));
  EXPECT_TRUE(check(first));  // the same answer on the next call
}

}  // namespace
