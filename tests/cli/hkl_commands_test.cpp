// The tool's HKL subcommands and its demo, run as a user runs them.
#include <gtest/gtest.h>

#include <sys/stat.h>  // for mkfifo
#include <cstdio>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "cli/run_tool.h"

namespace {

namespace fs = std::filesystem;
using zt7test::Outcome;
using zt7test::RunTool;

// `text` in single quotes for the shell.
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

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

// What is not a regular file is never read: one line on standard error, a non-zero exit
// within 5 seconds (RunTool ends a run at 5 seconds with status 124), and nothing on
// standard output but a check's result.
TEST_F(HklCommands, BadPathsGetOneLineAndNoWait) {
  ASSERT_EQ(mkfifo((root_ / "fifo").c_str(), 0644), 0);
  fs::create_symlink(root_ / "loop1", root_ / "loop2");
  fs::create_symlink(root_ / "loop2", root_ / "loop1");
  std::ofstream(root_ / "empty.hkl");
  std::ofstream(root_ / "binary.hkl") << std::string(
                                             "\x7f"
                                             "ELF\0\1\2\xff\xfe",
                                             9)
                                      << "\n";
  const std::string digest = "43" + std::string(36, '0') + "," + "53" + std::string(36, '0');
  const struct {
    const char* name;
    const char* reason;  // in the error line; "" where the module's reason varies
  } paths[] = {
      {"fifo", "FIFO"},           {"frames", "folder"},    {"/dev/zero", "device"},
      {"loop1", "symbolic link"}, {"none.hkl", "no such"}, {"empty.hkl", ""},
      {"binary.hkl", ""},
  };
  for (const auto& p : paths) {
    const std::string path = p.name[0] == '/' ? p.name : Path(p.name);
    for (const std::string& command :
         {"check-hkl " + path + " " + digest, "check-refs " + path + " " + digest,
          "match-hkl " + path + " " + Path("a.hkl"), "update-hkl " + Path("a.hkl") + " " + path,
          "digest-hkl " + Path("frames") + " '*.img' " + path + " " + digest}) {
      Outcome r = RunTool(command);
      EXPECT_EQ(r.status, 1) << command << ": " << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << command << ": " << r.err;
      EXPECT_NE(r.err.find(p.reason), std::string::npos) << command << ": " << r.err;
      EXPECT_TRUE(r.out.empty() || r.out == "0 invalid\n") << command << ": " << r.out;
    }
  }
  Outcome flood = RunTool("check-refs - " + digest + " </dev/zero", 60);
  EXPECT_EQ(flood.status, 1);
  EXPECT_NE(flood.err.find("1 GiB"), std::string::npos) << flood.err;
}

// The module's own reason, one line on standard error, for each kind of refusal.
TEST_F(HklCommands, RefusalsGiveTheModulesReason) {
  std::ofstream(root_ / "short.hkl") << "   1   0   0   12.50    1.20\n";
  const struct {
    std::string arguments;
    int status;
    const char* out;
    const char* reason;
  } cases[] = {
      {"check-hkl " + Path("a.hkl"), 1, "0 invalid\n", "no first digest part"},
      {"check-hkl " + Path("a.hkl") + " 43" + std::string(36, '0'), 1, "0 invalid\n",
       "digest part 1 (scheme 3) does not match"},
      {"check-hkl " + Path("short.hkl") + " 43" + std::string(36, '0'), 1, "0 invalid\n",
       "holds 1 lines: too few to validate (at least 100)"},
      {"match-hkl " + Path("a.hkl") + " " + Path("short.hkl"), 1, "", "too few reflection lines"},
      {"update-hkl " + Path("a.hkl") + " " + Path("a.hkl") + " 47" + std::string(36, '0'), 1, "",
       "is of scheme '7'; a seal is carried over from scheme 1 or 2"},
      {"digest-hkl " + Path("frames") + " '*.img' " + Path("a.hkl") + " 01abcdefghijk 11abc", 1, "",
       "frames digest part 1 does not match the frames in"},
  };
  for (const auto& c : cases) {
    Outcome r = RunTool(c.arguments);
    EXPECT_EQ(r.status, c.status) << c.arguments;
    EXPECT_EQ(r.out, c.out) << c.arguments;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.arguments << ": " << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.arguments << ": " << r.err;
  }
}

// A file without a reflection line still gets its digest (stored seals rely on it), with
// a warning.
TEST_F(HklCommands, DigestOfAFileWithoutReflectionsWarns) {
  std::ofstream notes(root_ / "notes.hkl");
  for (int i = 0; i < 30; ++i) notes << "a line of notes, not a reflection\n";
  notes.close();
  Outcome frames = RunTool("digest-frames " + Path("frames") + " '*.img'");
  Outcome r = RunTool("digest-hkl " + Path("frames") + " '*.img' " + Path("notes.hkl") + " " +
                      frames.out.substr(0, frames.out.size() - 1));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.size(), 78u);
  EXPECT_NE(r.err.find("holds no reflection line"), std::string::npos) << r.err;
}

// FOLDER must be absent or empty; without it the temporary folder goes unless --keep.
TEST_F(HklCommands, DemoNeverWritesOverFilesAndCleansUp) {
  for (const std::string& used : {Path("a.hkl"), Path("frames")}) {
    Outcome r = RunTool("demo " + used);
    EXPECT_EQ(r.status, 2) << used;
    EXPECT_NE(r.err.find(used), std::string::npos) << r.err;
  }
  fs::create_directory(root_ / "tmp");
  setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
  Outcome demo = RunTool("demo", 120);
  unsetenv("TMPDIR");
  EXPECT_EQ(demo.status, 0) << demo.out << demo.err;
  EXPECT_TRUE(fs::is_empty(root_ / "tmp"));
}

// The README's example session, run line by line in a fresh folder: each output line must
// match the README's, where "..." stands for any text.
TEST(Readme, ExampleSessionRunsAsShown) {
  std::ifstream readme(ZT7_README_PATH);
  std::string line;
  while (std::getline(readme, line) && line.rfind("A session in a sample folder", 0) != 0) {
  }
  std::vector<std::pair<std::string, std::vector<std::string>>> steps;  // command, output
  while (std::getline(readme, line) && (steps.empty() || line.rfind("    ", 0) == 0)) {
    if (line.rfind("    $ ", 0) == 0)
      steps.push_back({line.substr(6), {}});
    else if (!steps.empty())
      steps.back().second.push_back(line.substr(4));
  }
  ASSERT_GE(steps.size(), 8u);
  std::string pattern = (fs::temp_directory_path() / "zt7session.XXXXXX").string();
  ASSERT_TRUE(mkdtemp(pattern.data()));
  const std::string tools = fs::path(ZT7_TOOL_PATH).parent_path().string();
  for (const auto& [command, expected] : steps) {
    const std::string shell = "cd '" + pattern + "' && PATH='" + tools + "':$PATH; " + command;
    FILE* pipe = popen(("timeout 120 sh -c " + Quote(shell)).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> out;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
      out.emplace_back(buffer);
      if (!out.back().empty() && out.back().back() == '\n') out.back().pop_back();
    }
    pclose(pipe);
    ASSERT_EQ(out.size(), expected.size()) << command;
    for (size_t i = 0; i < out.size(); ++i) {
      std::string regex;
      for (size_t k = 0; k < expected[i].size(); ++k) {
        if (expected[i].compare(k, 3, "...") == 0) {
          regex += ".*";
          k += 2;
        } else {
          if (std::strchr("\\^$.|?*+()[]{}", expected[i][k])) regex += '\\';
          regex += expected[i][k];
        }
      }
      EXPECT_TRUE(std::regex_match(out[i], std::regex(regex))) << command << "\n" << out[i];
    }
  }
  fs::remove_all(pattern);
}

}  // namespace
