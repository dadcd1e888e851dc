// Exports called from several threads at once give what a serial run gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/loaded_module.h"
#include "zt7util.h"

namespace {

using zt7test::FreshModule;

TEST(Concurrency, EightThreadsOfMixedCallsMatchASerialRun) {
  FreshModule module;
  const auto folder = module.folder() / "frames";
  std::filesystem::create_directory(folder);
  for (int i = 1; i <= 4; ++i)
    std::ofstream(folder / ("f" + std::to_string(i) + ".img")) << std::string(300 * i, 'a' + i);
  const auto hklPath = module.folder() / "a.hkl";
  {
    std::ofstream hkl(hklPath);
    char line[64];
    for (int i = 1; i <= 150; ++i) {
      std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.2f\n", i % 7, i % 5 - 2, i, 4.5 * i, 1.5);
      hkl << line;
    }
  }
  const std::u16string folderText = folder.u16string(), hklText = hklPath.u16string();
  const char16_t* mask = u"*.img";
  const std::string frames = EXPORT(module, pcDigestFrames)(folderText.c_str(), mask);
  ASSERT_EQ(frames.size(), 87u);
  const std::string first = frames.substr(0, 43), second = frames.substr(44);
  const std::string hkl = EXPORT(module, pcDigestHKL)(folderText.c_str(), mask, hklText.c_str(),
                                                      first.c_str(), second.c_str());
  ASSERT_EQ(hkl.size(), 77u);
  const std::string hklFirst = hkl.substr(0, 38), hklSecond = hkl.substr(39);
  const double testCell[6] = {5.95, 9.03, 18.38, 90, 90, 90};
  const double nanCell[6] = {NAN, NAN, NAN, NAN, NAN, NAN};

  // Each call gives its result as text, so that one table holds them all.
  const std::vector<std::function<std::string()>> calls = {
      [&] { return std::string(EXPORT(module, pcGetInfo)("az")); },
      [&] { return std::to_string(EXPORT(module, bCheckCell)(testCell)); },
      [&] { return std::to_string(EXPORT(module, bCheckCell)(nanCell)); },
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
  EXPECT_EQ(serial[0], "12");
  EXPECT_EQ(serial[1], "1");
  EXPECT_EQ(serial[2], "0");
  EXPECT_EQ(serial[3], frames);
  EXPECT_EQ(serial[4], "3");
  EXPECT_EQ(serial[5], std::to_string(0.0));
  EXPECT_EQ(serial[6], "3");

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
