// Exports called from several threads at once give what a serial run gives.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/hkl_text.h"
#include "support/loaded_module.h"
#include "zt7util.h"

namespace {

using zt7test::FreshModule;

TEST(Concurrency, EightThreadsOfMixedCallsMatchASerialRun) {
  FreshModule module;
  const zt7test::SealedFrames frames(module);
  const std::u16string folderText = frames.path(),
                       hklText = (module.folder() / "a.hkl").u16string();
  std::ofstream(module.folder() / "a.hkl")
      << hkl_test::JoinLines(hkl_test::SteppedReflections(150));
  const char16_t* mask = u"*.img";
  const std::string digest = frames.first + "," + frames.second;
  const std::string hkl = EXPORT(module, pcDigestHKL)(folderText.c_str(), mask, hklText.c_str(),
                                                      frames.first.c_str(), frames.second.c_str());
  ASSERT_EQ(hkl.size(), 77u);
  const std::string hklFirst = hkl.substr(0, 38), hklSecond = hkl.substr(39);
  const double testCell[6] = {5.95, 9.03, 18.38, 90, 90, 90};

  // Each call gives its result as text, so that one table holds them all.
  const std::vector<std::function<std::string()>> calls = {
      [&] { return std::string(EXPORT(module, pcGetInfo)("az")); },
      [&] { return std::to_string(EXPORT(module, bCheckCell)(testCell)); },
      [&] { return std::string(EXPORT(module, pcDigestFrames)(folderText.c_str(), mask)); },
      [&] {
        return std::to_string(EXPORT(module, iValidateHKLDigests)(hklText.c_str(), hklFirst.c_str(),
                                                                  hklSecond.c_str()));
      },
      [&] { return std::to_string(EXPORT(module, dMatchHKL)(hklText.c_str(), hklText.c_str())); },
      [&] {
        EXPORT(module, SetKeyVersion)(3);
        return std::to_string(EXPORT(module, iGetKeyVersion)());
      },
  };
  std::vector<std::string> serial;
  for (const auto& call : calls) serial.push_back(call());
  EXPECT_EQ(serial, std::vector<std::string>({"12", "1", digest, "3", std::to_string(0.0), "3"}));

  constexpr int kThreads = 8, kCalls = 2000;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kCalls; ++i) {
        const size_t which = (i + t) % calls.size();
        if (calls[which]() != serial[which]) ++mismatches[t];
      }
    });
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
