// The collector: objects live until the idle queue runs or the collector ends.
#include "sdl/egc.h"

#include <gtest/gtest.h>

#include "sdl/bapp.h"

namespace zodu {
namespace {

// Counts its own deletion.
struct Tracked {
  explicit Tracked(int& deleted) : deleted_(deleted) {}
  ~Tracked() { ++deleted_; }
  int& deleted_;
};

// Made on demand, it joins the idle queue of the next context, is emptied by it, and ends
// with it, taking what it still holds along.
TEST(TEGC, LivesFromDemandToTheEndOfItsContext) {
  ASSERT_FALSE(TBasicApp::HasInstance());
  int deleted = 0;
  TEGC& gc = TEGC::Get();
  gc.AddP(new Tracked(deleted));
  EXPECT_FALSE(gc.IsAttached());
  {
    TBasicApp app(u"RODEDI", false);
    EXPECT_EQ(&TEGC::Get(), &gc);
    EXPECT_TRUE(gc.IsAttached());
    gc.AddP(new Tracked(deleted));
    app.GetIdleQueue().Execute(&app, nullptr);
    EXPECT_EQ(deleted, 2);
    TEGC::Get().AddP(new Tracked(deleted));
  }
  EXPECT_EQ(deleted, 3);
  EXPECT_FALSE(TEGC::HasInstance());
  // One made on demand while a context exists attaches to it at once.
  TBasicApp app(u"RODEDI", false);
  EXPECT_TRUE(TEGC::Get().IsAttached());
}

}  // namespace
}  // namespace zodu
