// The tool's DYN subcommands, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/run_tool.h"
#include "zt3util/dyn_reference.h"

namespace {

namespace fs = std::filesystem;
using dyn_reference::kColumns;
using zt7test::Outcome;
using zt7test::RunTool;

class DynCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zt7dyncli.XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    root_ = pattern;
    fs::create_directory(root_ / "frames");
    for (int i = 1; i <= 3; ++i)
      std::ofstream(root_ / "frames" / (std::to_string(i) + ".img")) << std::string(90 * i, 'z');
    std::ofstream(root_ / "r.cif_od") << "data_r\n" << dyn_reference::LoopCif(kColumns, rows_);
    std::ofstream(root_ / "other.txt") << "not a reflection loop\n";
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string Path(const std::string& name) const {
    std::string quoted = "'";  // built in steps: g++ 12 warns falsely on "'" + path + "'"
    return quoted.append((root_ / name).string()).append("'");
  }

  const std::vector<dyn_reference::Row> rows_ = dyn_reference::Rows(100);
  fs::path root_;
};

TEST_F(DynCommands, SealCheckAndShowTheLoop) {
  const Outcome frames = RunTool("digest-frames " + Path("frames") + " '*.img'");
  ASSERT_EQ(frames.status, 0) << frames.err;
  const std::string parts = frames.out.substr(0, 43) + " " + frames.out.substr(44, 43);
  const std::string expected = dyn_reference::LoopDigest(kColumns, rows_);
  const Outcome sealed =
      RunTool("digest-dyn " + Path("frames") + " '*.img' " + parts + " " + Path("r.cif_od"));
  EXPECT_EQ(sealed.status, 0) << sealed.err;
  EXPECT_EQ(sealed.out, expected + "\n");
  const Outcome refused = RunTool("digest-dyn " + Path("frames") + " '*.img' " +
                                  frames.out.substr(0, 43) + " 11x " + Path("r.cif_od"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("frames digest"), std::string::npos) << refused.err;

  const std::string file = (root_ / "r.cif_od").string();
  EXPECT_EQ(RunTool("check-dyn " + Path("r.cif_od") + " " + expected).out, file + ": OK\n");
  // A name under ten characters, which the library refuses, is passed as a whole path.
  fs::copy_file(root_ / "r.cif_od", "d.cif_od", fs::copy_options::overwrite_existing);
  EXPECT_EQ(RunTool("check-dyn d.cif_od " + expected).out, "d.cif_od: OK\n");
  fs::remove("d.cif_od");
  const Outcome failed = RunTool("check-dyn " + Path("r.cif_od") + " 62" + expected.substr(2, 35));
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, file + ": FAILED\n");

  std::string loop;
  for (const std::string& line : dyn_reference::LoopLines(kColumns, rows_)) loop += line + "\n";
  const Outcome shown = RunTool("dyn-loop " + Path("r.cif_od"));
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out, loop);
  EXPECT_EQ(RunTool("dyn-loop " + Path("other.txt")).status, 1);
  EXPECT_EQ(RunTool("dyn-loop " + Path("absent.cif_od")).status, 1);
}

TEST_F(DynCommands, CheckList) {
  const std::string sealed = dyn_reference::LoopDigest(kColumns, rows_);
  std::ofstream(root_ / "list") << sealed << "  " << (root_ / "r.cif_od").string() << "\r\n"
                                << dyn_reference::WholeFileDigest("not a reflection loop\n") << " *"
                                << (root_ / "other.txt").string() << "\n\n";
  const Outcome ok = RunTool("check-dyn -c " + Path("list"));
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out,
            (root_ / "r.cif_od").string() + ": OK\n" + (root_ / "other.txt").string() + ": OK\n");
  std::ofstream(root_ / "other.txt", std::ios::app) << "changed\n";
  const Outcome one = RunTool("check-dyn -c - <" + Path("list"));
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(one.out, (root_ / "r.cif_od").string() + ": OK\n" + (root_ / "other.txt").string() +
                         ": FAILED\n");
  EXPECT_NE(one.err.find("1 of 2"), std::string::npos) << one.err;
  std::ofstream(root_ / "bad") << "no-separator-here\n";
  EXPECT_EQ(RunTool("check-dyn -c " + Path("bad")).status, 1);
  EXPECT_EQ(RunTool("check-dyn -c " + Path("absent")).status, 1);
  EXPECT_EQ(RunTool("check-dyn -c").status, 2);
}

}  // namespace
