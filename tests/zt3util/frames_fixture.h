// Frame folders for the frames digest tests, and the module's log caught while a test runs.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "sdl/bapp.h"
#include "sdl/log_capture.h"
#include "sdl/temp_folder.h"
#include "zt3util/runnable.h"

namespace frames_testing {

// A scratch folder of frames whose names the test knows.
class FrameFolder : public zodu::testing::TempFolder {
 public:
  // `count` more frames "frameNNNNNN.img" with distinct short contents; all made so far.
  const std::vector<std::string>& AddFrames(size_t count) {
    char name[32];
    for (size_t i = 0; i < count; ++i) {
      size_t number = frames_.size();
      std::snprintf(name, sizeof(name), "frame%06zu.img", number);
      MakeFile(name, "frame " + std::to_string(number));
      frames_.push_back(name);
    }
    return frames_;
  }

  // Every entry with its size and modification time, to show that nothing was written.
  std::map<std::string, std::pair<long long, long long>> Snapshot() const {
    std::map<std::string, std::pair<long long, long long>> entries;
    for (const auto& entry : std::filesystem::directory_iterator(path())) {
      struct stat st;
      lstat(entry.path().c_str(), &st);
      entries[entry.path().filename().string()] = {
          static_cast<long long>(st.st_size),
          st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    }
    return entries;
  }

 private:
  std::vector<std::string> frames_;
};

// The runtime object, and with it the application context, with a stream on its log.
class LoggedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(RODediRunnable::GetInstance(), nullptr);
    zodu::TBasicApp::GetInstance().GetLog().AddStream(&log, false);
  }
  void TearDown() override { zodu::TBasicApp::GetInstance().GetLog().RemoveStream(&log); }

  zodu::testing::CaptureStream log;
};

inline const char* const kProceeding = "Proceeding to the frames digesting\r\n";

}  // namespace frames_testing
