// The tool's HKL subcommands and its demo, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/run_tool.h"

namespace {

namespace fs = std::filesystem;
using zt7test::Outcome;
using zt7test::RunTool;

class HklCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zt7hklcli.XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    root_ = pattern;
    fs::create_directory(root_ / "frames");
    for (int i = 1; i <= 4; ++i)
      std::ofstream(root_ / "frames" / ("f" + std::to_string(i) + ".img"))
          << std::string(100 * i, 'x');
    std::ofstream hkl(root_ / "a.hkl");
    char line[64];
    for (int i = 1; i <= 150; ++i) {
      std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.2f\n", i % 9, i % 5 - 2, i, 3.5 * i, 1.0);
      hkl << line;
    }
    hkl << "   0   0   0    0.00    0.00\n";
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string Path(const std::string& name) const { return "'" + (root_ / name).string() + "'"; }

  fs::path root_;
};

TEST_F(HklCommands, SealAndCheck) {
  Outcome frames = RunTool("digest-frames " + Path("frames") + " '*.img'");
  ASSERT_EQ(frames.status, 0) << frames.err;
  const std::string digest = frames.out.substr(0, frames.out.size() - 1);
  // Digests are taken as printed (one word, FIRST,SECOND) or as two words.
  Outcome sealed = RunTool("digest-hkl " + Path("frames") + " '*.img' --key-version 1 " +
                           Path("a.hkl") + " " + digest);
  ASSERT_EQ(sealed.status, 0) << sealed.err;
  ASSERT_EQ(sealed.out.size(), 78u);
  EXPECT_EQ(sealed.out.substr(0, 2), "41");
  const std::string parts = sealed.out.substr(0, 38) + " " + sealed.out.substr(39, 38);

  Outcome both = RunTool("check-hkl " + Path("a.hkl") + " " + parts);
  EXPECT_EQ(both.status, 0);
  EXPECT_EQ(both.out, "3 both parts valid\n");
  EXPECT_EQ(RunTool("check-hkl " + Path("a.hkl") + " " + sealed.out.substr(0, 77)).out,
            "3 both parts valid\n");
  Outcome text = RunTool("check-refs - " + parts + " <" + Path("a.hkl"));
  EXPECT_EQ(text.out, "3 both parts valid\n");
  Outcome first = RunTool("check-hkl " + Path("a.hkl") + " " + sealed.out.substr(0, 38));
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.out, "1 first part valid\n");
  Outcome wrongSecond =
      RunTool("check-hkl " + Path("a.hkl") + " " + sealed.out.substr(0, 38) + " 51xxxxxxxxxx");
  EXPECT_EQ(wrongSecond.status, 1);

  Outcome carried = RunTool("update-hkl " + Path("a.hkl") + " " + Path("a.hkl") + " " + parts);
  EXPECT_EQ(carried.status, 0);
  EXPECT_EQ(carried.out, sealed.out);
}

TEST_F(HklCommands, RefusalsNameTheFileAtFault) {
  Outcome missing = RunTool("check-hkl " + Path("none.hkl"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("none.hkl"), std::string::npos) << missing.err;
  Outcome unsealed = RunTool("check-hkl " + Path("a.hkl"));
  EXPECT_EQ(unsealed.status, 1);
  EXPECT_EQ(unsealed.out, "0 invalid\n");
  Outcome noFrames =
      RunTool("digest-hkl " + Path("frames") + " '*.img' " + Path("a.hkl") + " 01abc 11abc");
  EXPECT_EQ(noFrames.status, 1);
  EXPECT_NE(noFrames.err.find("a.hkl"), std::string::npos) << noFrames.err;
}

TEST(Demo, EveryStepGivesItsExpectedResult) {
  std::string pattern = (fs::temp_directory_path() / "zt7demo.XXXXXX").string();
  ASSERT_TRUE(mkdtemp(pattern.data()));
  Outcome demo = RunTool("demo '" + pattern + "'");
  EXPECT_EQ(demo.status, 0) << demo.out << demo.err;
  EXPECT_NE(demo.out.find("Every step gave the expected result"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(pattern) / "frames"), {}), 361);
  fs::remove_all(pattern);
}

}  // namespace
