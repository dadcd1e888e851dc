// The tool's frames, HKL, DYN, match and cell subcommands, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/stat.h>  // for mkfifo

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/run_tool.h"
#include "support/dyn_reference.h"
#include "support/frames_reference.h"
#include "support/hkl_text.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using dyn_reference::kColumns;
using zt7test::Outcome;
using zt7test::Quote;
using zt7test::RunTool;

class DigestCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(folder / "frames");
    for (const std::string& name : frames) folder.MakeFile("frames/" + name, "frame " + name);
    folder.MakeFile("a.hkl", hkl_test::JoinLines(hkl_test::SteppedReflections(150)));
    const std::vector<std::string> notes(30, "a line of notes, not a reflection");
    folder.MakeFile("notes.hkl", hkl_test::JoinLines(notes));
    folder.MakeFile("r.cif_od", "data_r\n" + dyn_reference::LoopCif(kColumns, rows));
    folder.MakeFile("other.txt", "not a reflection loop\n");
    digest = frames_reference::FramesDigest(folder / "frames", frames);
    first = digest.substr(0, 43);
    second = digest.substr(44);
  }
  std::string P(const std::string& name) const { return Quote(folder / name); }
  // The frames folder and its mask, as every frames-based subcommand takes them.
  std::string Frames() const { return P("frames") + " '*.img;*.cbf'"; }

  zodu::testing::TempFolder folder;
  const std::vector<std::string> frames = {"a_001.img", "a_002.img", "a_003.img", "b_001.cbf"};
  const std::vector<dyn_reference::Row> rows = dyn_reference::Rows(100);
  std::string digest, first, second;
};

TEST_F(DigestCommands, OutcomesOfEachSubcommand) {
  const std::string F = Frames(), A = P("a.hkl"), R = P("r.cif_od");
  const std::string loop = dyn_reference::LoopDigest(kColumns, rows);
  const std::string r = folder / "r.cif_od", other = folder / "other.txt";
  std::string loopText;
  for (const std::string& line : dyn_reference::LoopLines(kColumns, rows)) loopText += line + "\n";
  const std::string otherSum = dyn_reference::WholeFileDigest("not a reflection loop\n");
  folder.MakeFile("list", loop + "  " + r + "\r\n" + otherSum + " *" + other + "\n\n");
  zt7test::ExpectCalls({
      {"digest-frames " + F, 0, digest + "\n"},
      {"digest-frames " + P("frames") + " '*.tif'", 1,
       "zt7util: digest-frames: " + P("frames") + ": Too few frames\n"},
      {"check-frames " + F + " " + first + " " + second, 0, "3 both parts valid\n"},
      // The module's own reason, one line for each kind of refusal.
      {"check-hkl " + A, 1, "0 invalid\nzt7util: check-hkl: " + A + ": no first digest part"},
      // A file without a reflection line still gets its digest (stored seals rely on it).
      {"digest-hkl " + F + " " + P("notes.hkl") + " " + digest, 0, "holds no reflection line"},
      {"digest-hkl " + F + " " + P("other.txt") + " " + digest, 1,
       "holds too few reflection lines"},
      {"check-cell 5.95 9.03 18.38 90 90 90", 0, "yes\n"},
      {"check-cell nan nan nan nan nan nan", 1, "no\n"},  // not finite: never a match
      {"check-cell 7.77 8.72 10.86 90 104 ninety", 2, "ninety"},
      {"digest-dyn " + F + " " + first + " " + second + " " + R, 0, loop + "\n"},
      {"digest-dyn " + F + " " + digest + " " + R, 0, loop + "\n"},  // as printed
      {"digest-dyn " + F + " " + digest + " " + second + " " + R, 2, "FIRST,SECOND FILE"},
      // Every refusal names its reason, the library's or the fact that it gave none.
      {"update-hkl " + P("other.txt") + " " + A, 1, "zt7util: update-hkl: " + A + ": "},
      {"check-dyn " + R + " " + loop, 0, r + ": OK\n"},
      {"dyn-loop " + R, 0, loopText},
      {"check-dyn -c " + P("list"), 0, r + ": OK\n" + other + ": OK\n"},
  });
}

TEST_F(DigestCommands, HklSealChecksInEveryFormAndCarriesOver) {
  // Digests are taken as printed (one word, FIRST,SECOND) or as two words.
  const Outcome sealed =
      RunTool("digest-hkl " + Frames() + " --key-version 1 " + P("a.hkl") + " " + digest);
  ASSERT_EQ(sealed.status, 0) << sealed.err;
  ASSERT_EQ(sealed.out.size(), 78u);
  EXPECT_EQ(sealed.out.substr(0, 2), "41");
  const std::string parts = sealed.out.substr(0, 38) + " " + sealed.out.substr(39, 38);
  zt7test::ExpectCalls({
      {"check-hkl " + P("a.hkl") + " " + parts, 0, "3 both parts valid\n"},
      {"check-hkl " + P("a.hkl") + " " + sealed.out.substr(0, 77), 0, "3 both parts valid\n"},
      {"check-refs - " + parts + " <" + P("a.hkl"), 0, "3 both parts valid\n"},
      {"update-hkl " + P("a.hkl") + " " + P("a.hkl") + " " + parts, 0, sealed.out},
  });
  // A name under ten characters, which the library refuses, is passed as a whole path.
  const std::string loop = dyn_reference::LoopDigest(kColumns, rows);
  fs::copy_file(folder / "r.cif_od", "d.cif_od", fs::copy_options::overwrite_existing);
  EXPECT_EQ(RunTool("check-dyn d.cif_od " + loop).out, "d.cif_od: OK\n");
  fs::remove("d.cif_od");
  EXPECT_EQ(RunTool("match-hkl " + P("a.hkl") + " " + P("a.hkl")).out, "0\n");
}

// What is not a regular file is never read: one line on standard error, a non-zero exit
// within 5 seconds (RunTool ends a run at 5 seconds with status 124), and nothing on
// standard output but a check's result. Every kind of bad file is tested in the process
// (tests/abi/kit_api_test.cpp); here, that the tool passes the library's reason on.
TEST_F(DigestCommands, BadPathsGetOneLineAndNoWait) {
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0644), 0);
  folder.MakeFile("binary.hkl", std::string("\x7f\x45LF\0\1\2\xff\xfe\n", 10));
  const std::string seal = "43" + std::string(36, '0') + "," + "53" + std::string(36, '0');
  const struct {
    const char* name;
    const char* reason;  // in the error line; "" where the library's reason varies
  } paths[] = {{"fifo", "FIFO"}, {"none.hkl", "no such"}, {"binary.hkl", ""}};
  for (const auto& p : paths) {
    const std::string path = P(p.name);
    for (const std::string& command :
         {"check-refs " + path + " " + seal, "digest-hkl " + Frames() + " " + path + " " + seal}) {
      const Outcome r = RunTool(command);
      EXPECT_EQ(r.status, 1) << command << ": " << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << command << ": " << r.err;
      EXPECT_NE(r.err.find(p.reason), std::string::npos) << command << ": " << r.err;
      EXPECT_TRUE(r.out.empty() || r.out == "0 invalid\n") << command << ": " << r.out;
    }
  }
  const Outcome flood = RunTool("check-refs - " + seal + " </dev/zero", 60);
  EXPECT_EQ(flood.status, 1);
  EXPECT_NE(flood.err.find("1 GiB"), std::string::npos) << flood.err;
}

}  // namespace
