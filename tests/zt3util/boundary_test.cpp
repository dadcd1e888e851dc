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

TEST(GuardExport, PassesTheResultThroughOrRefusesAndReportsEveryKindOfException) {
  EXPECT_EQ(zt7::GuardExport(-1, [] { return 42; }), 42);
  const struct {
    void (*raise)();
    const char* reported;
  } cases[] = {
      {[] { throw zodu::TFunctionFailedException(ZT_LOCATION, u"frames went missing"); },
       "Failed frames went missing at ["},
      {[] { throw std::runtime_error("standard trouble"); }, "standard trouble"},
      {[] { throw 7; }, "unknown exception"},
  };
  for (const auto& c : cases) {
    CaptureStderr();
    EXPECT_EQ(zt7::GuardExport(1.0, [&] { return c.raise(), 0.5; }), 1.0) << c.reported;
    EXPECT_NE(GetCapturedStderr().find(c.reported), std::string::npos) << c.reported;
  }
  // An export without a result is guarded too.
  CaptureStderr();
  zt7::GuardExport([] { throw std::logic_error("void body"); });
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
