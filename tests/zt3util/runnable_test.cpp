// The runtime object and the application context it makes or finds; Detach ends them.
#include "zt3util/runnable.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "sdl/bapp.h"

namespace {

using zodu::TBasicApp;

// These scenarios end the runtime object, which is made once per process: each runs in a
// process of its own and returns the number of the first check that failed.
int OwnedContext() {
  if (TBasicApp::HasInstance()) return 1;
  RODediRunnable* runnable = RODediRunnable::GetInstance();
  if (runnable == nullptr || !TBasicApp::HasInstance()) return 2;
  TBasicApp& app = TBasicApp::GetInstance();
  if (!app.GetModuleName().Equals(zodu::vexstr(u"RODEDI"))) return 3;
  if (!zodu::vexstr(runnable->GetBaseDir()).Equals(app.GetBaseDir())) return 4;
  if (runnable->Detach()) return 5;
  if (TBasicApp::HasInstance()) return 6;
  if (RODediRunnable::GetInstance() != nullptr) return 7;
  return 0;
}

int ForeignContext() {
  auto* app = new TBasicApp(u"/tmp/host-program", false);
  RODediRunnable* runnable = RODediRunnable::GetInstance();
  if (runnable == nullptr) return 1;
  if (!zodu::vexstr(runnable->GetBaseDir()).Equals(zodu::vexstr(u"/tmp/"))) return 2;
  if (runnable->Detach()) return 3;
  if (!TBasicApp::HasInstance() || &TBasicApp::GetInstance() != app) return 4;
  // The context still works after the runtime object is gone.
  TBasicApp::NewLogEntry(1) << "after Detach";
  delete app;
  return 0;
}

TEST(RODediRunnable, DetachEndsTheContextItMadeAndOnlyThat) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(OwnedContext()), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(std::exit(ForeignContext()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
