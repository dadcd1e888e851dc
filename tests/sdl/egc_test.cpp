// The collector: objects live until the idle queue runs or the collector ends.
#include "sdl/egc.h"

#include <gtest/gtest.h>

#include "sdl/bapp.h"

namespace {

using zodu::TBasicApp;
using zodu::TEGC;

// Counts its own deletion.
struct Tracked {
  explicit Tracked(int& deleted) : deleted_(deleted) {}
  ~Tracked() { ++deleted_; }
  int& deleted_;
};

TEST(TEGC, ExecuteDeletesWhatItHolds) {
  ASSERT_FALSE(TBasicApp::HasInstance());
  TEGC& gc = TEGC::Get();
  EXPECT_TRUE(TEGC::HasInstance());
  EXPECT_EQ(&TEGC::Get(), &gc);
  int deleted = 0;
  Tracked* kept = gc.AddP(new Tracked(deleted));
  gc.AddP(new Tracked(deleted));
  EXPECT_EQ(&kept->deleted_, &deleted);
  EXPECT_EQ(gc.Count(), 2u);
  EXPECT_TRUE(gc.Execute(nullptr, nullptr));
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(gc.Count(), 0u);
  // Objects of any type, strings included.
  gc.AddP(new zodu::vexcstr("text"));
  gc.Execute(nullptr, nullptr);
}

TEST(TEGC, JoinsTheIdleQueueOfANewContextAndEndsWithIt) {
  ASSERT_FALSE(TBasicApp::HasInstance());
  int deleted = 0;
  TEGC::Get().AddP(new Tracked(deleted));
  EXPECT_FALSE(TEGC::Get().IsAttached());
  {
    TBasicApp app(u"RODEDI", false);
    EXPECT_TRUE(TEGC::Get().IsAttached());
    TEGC::Get().AddP(new Tracked(deleted));
    EXPECT_EQ(deleted, 0);
    app.GetIdleQueue().Execute(&app, nullptr);
    EXPECT_EQ(deleted, 2);
    TEGC::Get().AddP(new Tracked(deleted));
  }
  // The queue took the collector, and what it still held, along.
  EXPECT_EQ(deleted, 3);
  EXPECT_FALSE(TEGC::HasInstance());
}

TEST(TEGC, OneIsMadeOnDemandAfterItsContextEnded) {
  { TBasicApp app(u"RODEDI", false); }
  EXPECT_FALSE(TEGC::HasInstance());
  TEGC& gc = TEGC::Get();
  EXPECT_FALSE(gc.IsAttached());
  {
    // The next context takes it over.
    TBasicApp app(u"RODEDI", false);
    EXPECT_EQ(&TEGC::Get(), &gc);
    EXPECT_TRUE(gc.IsAttached());
  }
  EXPECT_FALSE(TEGC::HasInstance());
}

}  // namespace
