// Returned texts stay in the application context's collector until the context idles.
#include <gtest/gtest.h>

#include "sdl/bapp.h"
#include "sdl/egc.h"
#include "zt3util/returned_text.h"
#include "zt3util/runnable.h"

namespace {

using zodu::TBasicApp;
using zodu::TEGC;

TEST(ModuleContext, ReturnedTextsLiveUntilTheContextIdles) {
  ASSERT_NE(RODediRunnable::GetInstance(), nullptr);
  TBasicApp& app = TBasicApp::GetInstance();
  ASSERT_TRUE(TEGC::Get().IsAttached());
  app.GetIdleQueue().Execute(&app, nullptr);
  const char* first = zt7::MakeReturnedText(u"01abc");
  const char* second = zt7::MakeReturnedText(u"01abc");
  EXPECT_NE(first, second);
  EXPECT_EQ(TEGC::Get().Count(), 2u);
  zt7::MakeReturnedText(u"");
  EXPECT_STREQ(first, "01abc");
  EXPECT_STREQ(second, "01abc");
  app.GetIdleQueue().Execute(&app, nullptr);
  EXPECT_EQ(TEGC::Get().Count(), 0u);
}

}  // namespace
