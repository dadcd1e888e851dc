// The tool's frames subcommands, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/run_tool.h"
#include "sdl/temp_folder.h"
#include "zt3util/frames_reference.h"

namespace {

using zt7test::Outcome;
using zt7test::RunTool;

class FramesCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& name : names) folder.MakeFile(name, "detector frame " + name);
    folder.MakeFile("notes.txt", "not a frame");
    digest = frames_reference::FramesDigest(folder.path(), names);
    first = digest.substr(0, 43);
    second = digest.substr(44);
  }
  std::string Quoted() const { return "'" + folder.path() + "'"; }

  zodu::testing::TempFolder folder;
  const std::vector<std::string> names = {"a_001.img", "a_002.img", "a_003.img", "b_001.cbf"};
  std::string digest, first, second;
};

TEST_F(FramesCommands, DigestFramesPrintsTheDigest) {
  Outcome r = RunTool("digest-frames " + Quoted() + " '*.img;*.cbf'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, digest + "\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(FramesCommands, VerboseShowsTheModulesLogLines) {
  Outcome r = RunTool("digest-frames -v " + Quoted() + " '*.img;*.cbf'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Proceeding to the frames digesting\r\n");
  Outcome refused = RunTool("digest-frames --verbose " + Quoted() + " '*.tif'");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err.rfind("Proceeding to the frames digesting\r\nToo few frames\r\n", 0), 0u)
      << refused.err;
  Outcome notFolder = RunTool("digest-frames " + Quoted() + "/notes.txt '*' -v");
  EXPECT_EQ(notFolder.status, 1);
  EXPECT_EQ(notFolder.err.rfind("Not a directory\r\nzt7util: digest-frames: no digest for", 0), 0u)
      << notFolder.err;
}

TEST_F(FramesCommands, CheckFramesPrintsTheCodeAndItsWord) {
  const std::string wrong = "11" + std::string(41, '0');
  struct Case {
    std::string arguments, out;
    int status;
  } cases[] = {
      {first + " " + second, "3 both parts valid\n", 0},
      {first + "," + second, "3 both parts valid\n", 0},  // as digest-frames prints it
      {first, "1 first part valid\n", 0},
      {first + " " + wrong, "1 first part valid\n", 1},
      {"0" + first.substr(1, 30), "0 invalid\n", 1},
      {"00" + first.substr(2) + " " + second, "0 invalid\n", 1},
  };
  for (const Case& c : cases) {
    Outcome r = RunTool("check-frames " + Quoted() + " '*.img;*.cbf' " + c.arguments);
    EXPECT_EQ(r.out, c.out) << c.arguments;
    EXPECT_EQ(r.status, c.status) << c.arguments;
  }
}

TEST_F(FramesCommands, WrongArgumentCountsAreUsageErrors) {
  for (const std::string& arguments :
       {"digest-frames " + Quoted(), "digest-frames -v " + Quoted(),
        "check-frames -v " + Quoted() + " '*.img'", std::string("check-frames a b c d -v e")}) {
    Outcome r = RunTool(arguments);
    EXPECT_EQ(r.status, 2) << arguments;
    EXPECT_EQ(r.out, "") << arguments;
  }
}

}  // namespace
