// Returned texts: one new copy per call, kept by the context's collector until it idles.
#include "zt3util/returned_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sdl/bapp.h"
#include "sdl/ebase.h"
#include "sdl/egc.h"
#include "zt3util/runnable.h"

namespace {

using zodu::TBasicApp;
using zodu::TEGC;

TEST(MakeReturnedText, CopiesLiveUntilTheContextIdles) {
  ASSERT_NE(RODediRunnable::GetInstance(), nullptr);
  TBasicApp& app = TBasicApp::GetInstance();
  app.GetIdleQueue().Execute(&app, nullptr);
  // A view inside a longer buffer: the copy must stop at the view's end.
  const char* view = zt3util::MakeReturnedText(zodu::vexstr(u"abcdef").SubString(1, 3));
  // Characters up to 255 become single bytes (above, see the export guard's test).
  const char* high = zt3util::MakeReturnedText(zodu::vexstr(u"\u00E9\u00FF"));
  // Empty texts too get their own copy: a host may keep one while asking for the next.
  const char* empty = zt3util::MakeReturnedText(u"");
  EXPECT_NE(empty, zt3util::MakeReturnedText(u""));
  EXPECT_EQ(TEGC::Get().Count(), 4u);
  EXPECT_STREQ(view, "bcd");
  EXPECT_STREQ(high, "\xE9\xFF");
  EXPECT_STREQ(empty, "");
  app.GetIdleQueue().Execute(&app, nullptr);
  EXPECT_EQ(TEGC::Get().Count(), 0u);
}

}  // namespace
