// The runtime object: made once, a single chain of bases, Initialise keeps the host's values.
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

TEST(RODediRunnable, EveryBaseHasTheSameAddress) {
  RODediRunnable* object = RODediRunnable::GetInstance();
  const void* address = object;
  EXPECT_EQ(static_cast<const void*>(static_cast<IRODedi*>(object)), address);
  EXPECT_EQ(static_cast<const void*>(static_cast<vex2::IVex2Runnable*>(object)), address);
  EXPECT_EQ(static_cast<const void*>(static_cast<zodu::IVexObject*>(object)), address);
}

TEST(RODediRunnable, InitialiseStoresBothValuesUnchanged) {
  Initialise(-1, INTPTR_MAX);
  RODediRunnable* object = RODediRunnable::GetInstance();
  EXPECT_EQ(object->GetHostCallback(), -1);
  EXPECT_EQ(object->GetHostContext(), INTPTR_MAX);
  Initialise(0x5A5A, 0);
  EXPECT_EQ(object->GetHostCallback(), 0x5A5A);
  EXPECT_EQ(object->GetHostContext(), 0);
}

}  // namespace
