// The export guard: whatever a body throws, the export gives its refusal and says why.
#include "zt3util/boundary.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "sdl/ebase.h"
#include "zt3util/returned_text.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(GuardExport, PassesTheBodysResultThrough) {
  EXPECT_EQ(zt7::GuardExport(-1, [] { return 42; }), 42);
  EXPECT_STREQ(zt7::GuardExport(zt7::kRefusedText, [] { return "text"; }), "text");
}

TEST(GuardExport, RefusesAndReportsEveryKindOfException) {
  struct Case {
    void (*raise)();
    const char* reported;
  } cases[] = {
      {[] { throw zodu::TFunctionFailedException(ZT_LOCATION, u"frames went missing"); },
       "Failed frames went missing at ["},
      {[] { throw std::runtime_error("standard trouble"); }, "standard trouble"},
      {[] { throw 7; }, "unknown exception"},
  };
  for (const Case& c : cases) {
    CaptureStderr();
    double result = zt7::GuardExport(1.0, [&] {
      c.raise();
      return 0.5;
    });
    std::string err = GetCapturedStderr();
    EXPECT_EQ(result, 1.0) << c.reported;
    EXPECT_NE(err.find(c.reported), std::string::npos) << err;
  }
}

TEST(GuardExport, AnExportWithoutResultIsGuardedToo) {
  CaptureStderr();
  bool after = false;
  zt7::GuardExport([&] {
    throw std::logic_error("void body");
    after = true;
  });
  EXPECT_FALSE(after);
  EXPECT_NE(GetCapturedStderr().find("void body"), std::string::npos);
}

// A wide character that has no narrow form is an error inside and a refusal outside.
TEST(GuardExport, UnnarrowableReturnedTextIsRefused) {
  CaptureStderr();
  const char* text = zt7::GuardExport(
      zt7::kRefusedText, [] { return zt7::MakeReturnedText(zodu::vexstr(u"\u0100")); });
  EXPECT_STREQ(text, "");
  EXPECT_NE(GetCapturedStderr().find("Char out of range for MBStr"), std::string::npos);
}

}  // namespace
