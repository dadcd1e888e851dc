// The tool's CIF subcommands, run as a user runs them, on hand-written CIF text.
#include <gtest/gtest.h>
#include <sys/stat.h>  // for mkfifo

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>

#include "cli/run_tool.h"
#include "support/temp_folder.h"

namespace {

using zt7test::Outcome;
using zt7test::ReadFile;
using zt7test::RunTool;

const auto Q = zt7test::Quote;

class CifCommands : public ::testing::Test {
 protected:
  std::string File(const std::string& text) { return folder.MakeFile("in.cif", text); }
  zodu::testing::TempFolder folder;
};

// check-cif: a line of counts per file on standard output, each of the reader's warnings and
// findings on standard error as FILE:LINE:COLUMN, - for standard input, status 1
// when anything was lost or a file could not be read, and it goes on after such a file
// (what each text gives is tested in tests/abi/kit_api_test.cpp).
TEST_F(CifCommands, CheckCif) {
  const std::string counts = ": CIF 1.1, blocks 1, save frames 0, items ";
  Outcome r = RunTool("check-cif - <" + Q(File("data_x\n_a 1\n2\n")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "-" + counts + "1, loops 0, loop rows 0\n");
  EXPECT_EQ(r.err, "-:3:1: value without a name, skipped: 2\n");
  const std::string fifo = folder / "fifo", bad = folder.MakeFile("a.cif", ";x\n");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string good = folder.MakeFile("good.cif", "data_x\n_a 1\n");
  r = RunTool("check-cif " + Q(bad) + " " + Q(fifo) + " " + Q(good) + " " + Q(folder / "none"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, good + counts + "1, loops 0, loop rows 0\n");
  EXPECT_EQ(r.err, bad + ":1:1: invalid start of file\nzt7util: check-cif: '" + fifo +
                       "': a FIFO, not a regular file\nzt7util: check-cif: '" + folder / "none" +
                       "': no such file\n");
  r = RunTool("check-cif --json " + Q(File("data_x\n_a 1\n_a 2\n")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "{\"file\": \"" + folder / "in.cif" +
                       "\", \"read\": true, \"lost\": true, \"cif-version\": \"1.1\", "
                       "\"blocks\": 1, \"save-frames\": 0, \"items\": 1, \"loops\": 0, "
                       "\"loop-rows\": 0, \"findings\": [{\"line\": 3, \"column\": 1, "
                       "\"kind\": \"replaced-name\", \"lost\": true, \"message\": \"_a is given "
                       "again: the earlier value is not kept\"}], \"findings-not-shown\": 0, "
                       "\"log\": []}\n");
}

// cif-json: the document on standard output, a warning as one line, - for standard input,
// and one line and status 1 for what is no regular file.
TEST_F(CifCommands, CifJson) {
  const std::string path = File("data_x\n_d 1\nloop_\n_d\n_e\n2 3\n");
  const std::string hidden =
      "warning: block 'x': '_d' of entry 1 is hidden by the one of entry 2\n";
  const Outcome r = RunTool("cif-json " + Q(path)), piped = RunTool("cif-json - <" + Q(path));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("{\n  \"CIF-JSON\": {\n")) << r.out;
  EXPECT_TRUE(
      r.out.ends_with("\"x\": {\n      \"_d\": [\"2\"],\n      \"_e\": [\"3\"]\n    }\n  }\n}\n"))
      << r.out;
  EXPECT_EQ(r.err, "zt7util: cif-json: '" + path + "': " + hidden);
  EXPECT_EQ(piped.out, r.out);
  EXPECT_EQ(piped.err, "zt7util: cif-json: '-': " + hidden);
  const std::string fifo = folder / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const Outcome refused = RunTool("cif-json " + Q(fifo));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out + refused.err,
            "zt7util: cif-json: '" + fifo + "': a FIFO, not a regular file\n");
}

// Real dictionaries as a Debian package ships them (libcifpp-data) read whole, with no
// finding; their save frames are counted apart by their headings.
TEST_F(CifCommands, RealDictionariesReadWhole) {
  const std::string folder = "/usr/share/libcifpp";
  if (!std::filesystem::exists(folder + "/mmcif_pdbx.dic")) GTEST_SKIP() << "no libcifpp-data";
  for (const char* name : {"mmcif_ddl.dic", "mmcif_pdbx.dic"}) {
    const std::string path = folder + "/" + name, text = ReadFile(path);
    const std::regex heading("(^|\n)[ \t]*save_[^ \t\n]");
    const auto frames = std::distance(std::sregex_iterator(text.begin(), text.end(), heading),
                                      std::sregex_iterator());
    const Outcome r = RunTool("check-cif " + Q(path), 20);
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.err, "") << name;
    EXPECT_NE(r.out.find(", save frames " + std::to_string(frames) + ","), std::string::npos)
        << r.out;
  }
}

// Lists and tables a million deep go through cif-json, format-cif and dyn-loop.
TEST_F(CifCommands, DeepNestingGoesThrough) {
  constexpr size_t kDepth = 1000000;
  std::string text = "#\\#CIF_2.0\ndata_x\n_m ";
  for (size_t i = 0; i < kDepth; ++i) text += "{'k':";
  text += "1" + std::string(kDepth, '}') + "\nloop_\n_refln_index_h\n_refln_index_k\n" +
          "_refln_index_l\n_refln_intensity_meas\n_refln_intensity_sigma\n_refln_deep\n";
  for (int row = 0; row < 100; ++row)
    text += "1 2 3 4.5 0.5 " +
            (row ? std::string("[]") : std::string(kDepth, '[') + std::string(kDepth, ']')) + "\n";
  const std::string path = folder.MakeFile("deep.cif_od", text);
  auto count = [](const std::string& s, char c) {
    return size_t(std::count(s.begin(), s.end(), c));
  };
  Outcome r = RunTool("cif-json " + Q(path), 120);
  EXPECT_EQ(r.status, 0) << r.err;
  // The deep cell, the 99 others, an array for each of the 6 columns and for "_m".
  EXPECT_EQ(count(r.out, '['), kDepth + 99 + 6 + 1);
  EXPECT_EQ(count(r.out, '{'), kDepth + 4);  // and the document, "CIF-JSON", Metadata, the block
  r = RunTool("format-cif " + Q(path), 120);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count(r.out, '['), kDepth + 99);
  EXPECT_EQ(count(r.out, '{'), kDepth);
  r = RunTool("dyn-loop " + Q(path), 120);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count(r.out, '['), kDepth + 99);
}

// format-cif: the text on standard output or in the -o file, which is replaced only once
// complete (also when it is the input); a refusal is one line and leaves both files as they
// were (what each text gives is tested in tests/abi/kit_api_test.cpp).
TEST_F(CifCommands, FormatCif) {
  const std::string text = "data_x\n_a 1\n", written = "data_x\n_a" + std::string(33, ' ') + "1\n";
  const std::string in = File(text), out = folder.MakeFile("out.cif", "old\n");
  Outcome r = RunTool("format-cif - <" + Q(in));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, written);
  EXPECT_EQ(RunTool("format-cif " + Q(in) + " -o " + Q(out)).status, 0);
  EXPECT_EQ(ReadFile(out), written);
  EXPECT_EQ(RunTool("format-cif -o " + Q(in) + " " + Q(in)).status, 0);  // named explicitly
  EXPECT_EQ(ReadFile(in), written);
  r = RunTool("format-cif " + Q(in) + " -o " + Q(folder.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zt7util: format-cif: '" + folder.path() + "': not a regular file\n");
  const std::string lossy = "data_x\n_a 1\n2\n", refused = File(lossy);
  folder.MakeFile("out.cif", "old\n");
  r = RunTool("format-cif " + Q(refused) + " -o " + Q(out));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("zt7util: format-cif: '" + refused +
                       "': its document lacks what the file holds at line 3, column 1 (value "
                       "without a name, skipped: 2); nothing written\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadFile(out), "old\n");
  EXPECT_EQ(ReadFile(refused), lossy);
  namespace fs = std::filesystem;  // in.cif and out.cif: no temporary file is left behind
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

}  // namespace
