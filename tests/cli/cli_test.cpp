// The zt7util tool as a user meets it: help, version, info, usage, demo, README session.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "cli/run_tool.h"
#include "support/temp_folder.h"

namespace {

using zt7test::RunTool;

TEST(Tool, HelpVersionInfoAndUsageErrors) {
  zt7test::ExpectCalls({
      {"--help", 0, "info TEXT"},
      {"--version", 0, "zt7util tool version: 11.0.0\nmodule version: 11\nkey version: 3\n"},
      {"-V", 0, "zt7util tool version: 11.0.0\nmodule version: 11\nkey version: 3\n"},
      {"info -- -x", 0, "37\n"},  // after --, a leading '-' is text
      // A usage error names the argument at fault.
      {"frobnicate", 2, "'frobnicate'"},
      {"", 2, "missing subcommand"},
      {"digest-hkl --key-version 4 f m h a b", 2, "--key-version"},
      {"check-hkl h a,b c", 2, "'a,b'"},
  });
}

// FOLDER must be absent or empty; without it the temporary folder goes unless --keep.
TEST(Tool, DemoNeverWritesOverFilesAndCleansUp) {
  zodu::testing::TempFolder folder;
  const std::string used = zt7test::Quote(folder.MakeFile("a.hkl", "x"));
  for (const std::string& target : {used, zt7test::Quote(folder.path())}) {
    const zt7test::Outcome r = RunTool("demo " + target);
    EXPECT_EQ(r.status, 2) << target;
    EXPECT_NE(r.err.find(target), std::string::npos) << r.err;
  }
  std::filesystem::create_directory(folder / "tmp");
  setenv("TMPDIR", (folder / "tmp").c_str(), 1);
  const zt7test::Outcome demo = RunTool("demo", 120);
  unsetenv("TMPDIR");
  EXPECT_EQ(demo.status, 0) << demo.out << demo.err;
  EXPECT_TRUE(std::filesystem::is_empty(folder / "tmp"));
  // A full disk (here a limit on file sizes) stops it at the first file it cannot write.
  const zt7test::Outcome full =
      RunTool("demo " + zt7test::Quote(folder / "full"), 120, "ulimit -f 64; trap '' XFSZ; ");
  EXPECT_EQ(full.status, 1);
  EXPECT_TRUE(std::regex_match(full.err, std::regex("zt7util: demo: '[^\n]*/frames/run1_0[^\n]*"
                                                    "\.img': File too large\n")))
      << full.err;
}

// The README's example session, run line by line in a fresh folder: each output line must
// match the README's, where "..." stands for any text.
TEST(Readme, ExampleSessionRunsAsShown) {
  std::ifstream readme(ZT7_README_PATH);
  std::string line;
  while (std::getline(readme, line) && !line.starts_with("A session in a sample folder")) {
  }
  std::vector<std::pair<std::string, std::string>> steps;  // command, output lines
  while (std::getline(readme, line) && (steps.empty() || line.starts_with("    "))) {
    if (line.starts_with("    $ "))
      steps.push_back({line.substr(6), ""});
    else if (!steps.empty())
      steps.back().second += line.substr(4) + "\n";
  }
  ASSERT_GE(steps.size(), 8u);
  zodu::testing::TempFolder folder;
  const std::string tools = std::filesystem::path(ZT7_TOOL_PATH).parent_path().string();
  const std::string out = folder / "session.out";
  for (const auto& [command, expected] : steps) {
    const std::string shell =
        "cd '" + folder.path() + "' && PATH='" + tools + "':$PATH; " + command;
    EXPECT_NE(
        std::system(("timeout 120 sh -c " + zt7test::Quote(shell) + " >'" + out + "'").c_str()),
        -1);
    std::string pattern =
        std::regex_replace(expected, std::regex(R"([\\^$.|?*+()[\]{}])"), R"(\$&)");
    pattern = std::regex_replace(pattern, std::regex(R"(\\\.\\\.\\\.)"), "[^\n]*");
    const std::string got = zt7test::ReadFile(out);
    EXPECT_TRUE(std::regex_match(got, std::regex(pattern))) << command << "\n" << got;
  }
}

}  // namespace
