// The runtime object: made once, whichever thread asks first.
#include "zt3util/runnable.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(RODediRunnable, OneInstanceForConcurrentFirstCalls) {
  std::vector<RODediRunnable*> seen(8);
  std::vector<std::thread> threads;
  for (auto& slot : seen) threads.emplace_back([&slot] { slot = RODediRunnable::GetInstance(); });
  for (auto& t : threads) t.join();
  ASSERT_NE(seen[0], nullptr);
  for (RODediRunnable* object : seen) EXPECT_EQ(object, seen[0]);
}

}  // namespace
