// Frame folders for the frames digest tests, and the module's log caught while a test runs.
#pragma once

#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sdl/bapp.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "zt3util/runnable.h"

namespace frames_testing {

// A memory file system makes a hundred thousand frames many times faster than a disk;
// /tmp serves where there is none with room for them (1 GiB, 200,000 entries).
inline std::string FramesParent() {
  struct statvfs room;
  const bool roomy = statvfs("/dev/shm", &room) == 0 && access("/dev/shm", W_OK) == 0 &&
                     uint64_t{room.f_bavail} * room.f_frsize >= (uint64_t{1} << 30) &&
                     room.f_favail >= 200000;
  return roomy ? "/dev/shm" : "/tmp";
}

// A scratch folder of frames whose names the test knows.
class FrameFolder : public zodu::testing::TempFolder {
 public:
  FrameFolder() : TempFolder(FramesParent()) {}

  // `count` more frames "frameNNNNNN.img" holding "frame N"; all made so far.
  const std::vector<std::string>& AddFrames(size_t count) {
    for (size_t i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof(name), "frame%06zu.img", frames_.size());
      MakeFile(name, "frame " + std::to_string(frames_.size()));
      frames_.push_back(name);
    }
    return frames_;
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
