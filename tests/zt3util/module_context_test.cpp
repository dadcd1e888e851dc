// What the exports leave in the application context: failures in its log, returned texts
// in its collector until the context idles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sdl/bapp.h"
#include "sdl/egc.h"
#include "sdl/log_capture.h"
#include "zt3util/boundary.h"
#include "zt3util/returned_text.h"
#include "zt3util/runnable.h"

namespace {

using zodu::TBasicApp;
using zodu::TEGC;
using zodu::testing::CaptureStream;

class ModuleContext : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(RODediRunnable::GetInstance(), nullptr);
    TBasicApp::GetInstance().GetLog().AddStream(&log, false);
  }
  void TearDown() override { TBasicApp::GetInstance().GetLog().RemoveStream(&log); }
  CaptureStream log;
};

TEST_F(ModuleContext, TheGuardReportsIntoTheLog) {
  testing::internal::CaptureStderr();
  int result = zt3util::GuardExport(0, [] {
    throw zodu::TFunctionFailedException(ZT_LOCATION, u"frames went missing");
    return 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(log.bytes.rfind("Failed frames went missing at [", 0), 0u) << log.bytes;
  EXPECT_EQ(log.bytes.substr(log.bytes.size() - 3), "]\r\n");
}

TEST_F(ModuleContext, ReturnedTextsLiveUntilTheContextIdles) {
  TBasicApp& app = TBasicApp::GetInstance();
  ASSERT_TRUE(TEGC::Get().IsAttached());
  app.GetIdleQueue().Execute(&app, nullptr);
  const char* first = zt3util::MakeReturnedText(u"01abc");
  const char* second = zt3util::MakeReturnedText(u"01abc");
  EXPECT_NE(first, second);
  EXPECT_EQ(TEGC::Get().Count(), 2u);
  zt3util::MakeReturnedText(u"");
  EXPECT_STREQ(first, "01abc");
  EXPECT_STREQ(second, "01abc");
  app.GetIdleQueue().Execute(&app, nullptr);
  EXPECT_EQ(TEGC::Get().Count(), 0u);
}

}  // namespace
