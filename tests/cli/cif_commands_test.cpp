// The tool's CIF subcommands, run as a user runs them, on hand-written CIF text.
#include <gtest/gtest.h>
#include <sys/stat.h>  // for mkfifo

#include <filesystem>
#include <regex>
#include <string>
#include <utility>

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

// check-cif counts and passes on the reader's warnings, one line each; format-cif writes a
// text that reads back the same.
TEST_F(CifCommands, ReadableFilesAreCountedAndRoundTrip) {
  const std::string dup = "Duplicate CIF data name ", out = folder / "out.cif";
  const struct {
    const char *text, *counts;  // the CIF version, then blocks, save frames, items, loops, rows
    std::string warnings;
  } cases[] = {
      {"data_x\n_a 1\n_b 'x y'\nloop_\n_c_p\n_c_q\n1 2\n3 4\n",
       "CIF 1.1, blocks 1, save frames 0, items 2, loops 1, loop rows 2", ""},
      {"#\\#CIF_2.0\ndata_x\n_l [1 [2 3] 'a b' []]\n_e {}\n",
       "CIF 2.0, blocks 1, save frames 0, items 2, loops 0, loop rows 0", ""},
      {"data_x\n_a 1\ndata_X\n_b 2\n",
       "CIF 1.1, blocks 2, save frames 0, items 2, loops 0, loop rows 0",
       dup + "'X' auto renaming...\nNew name: X1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string path = File(c.text);
    Outcome r = RunTool("check-cif " + Q(path));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, path + ": " + c.counts + "\n");
    EXPECT_EQ(r.err, std::regex_replace(c.warnings, std::regex(".+\n"), path + ": $&"));
    r = RunTool("format-cif " + Q(path) + " -o " + Q(out));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunTool("check-cif " + Q(out)).out, out + ": " + c.counts + "\n");
  }
}

// The one line naming the reason (the reader's tests hold every reason); only regular files
// are opened.
TEST_F(CifCommands, UnreadableFilesGetOneLine) {
  const std::string fifo = folder / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string parse = "Failed to parse CIF because ";
  const std::pair<std::string, std::string> cases[] = {
      {folder.MakeFile("a.cif", ";x\n"), parse + "invalid start of file at CIF#0"},
      {fifo, "not a regular file"},
      {folder / "missing.cif", "no such file"},
  };
  std::string all, errors;
  for (const auto& [path, error] : cases) {
    all += " " + Q(path);
    errors += path + ": " + error + "\n";
    for (const char* command : {"cif-json ", "format-cif "}) {
      const Outcome r = RunTool(command + Q(path));
      EXPECT_EQ(r.status, 1) << command << path;
      EXPECT_EQ(r.out + r.err, path + ": " + error + "\n") << command;
    }
  }
  // check-cif goes on after a file it cannot read.
  const std::string good = folder.MakeFile("good.cif", "data_x\n_a 1\n");
  const Outcome r = RunTool("check-cif " + Q(good) + all);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, good + ": CIF 1.1, blocks 1, save frames 0, items 1, loops 0, loop rows 0\n");
  EXPECT_EQ(r.err, errors);
}

TEST_F(CifCommands, CifJsonFollowsTheDraft) {
  const Outcome r = RunTool(
      "cif-json " + Q(File("#\\#CIF_2.0\ndata_Cell\n_Cell_length_a 5.959(1)\n"
                           "_inapplicable .\n"
                           "_text\n;\nfirst line\nsecond \"line\"\n;\n"
                           "loop_\n_Atom_site_label\n_Atom_site_fract_x\nC1 0.5\nO\xc3\xa9 ?\n"
                           "_list [1 'a b' [] ?]\n_map {'k':v \"K2\":[x]}\n"
                           "save_Frame\n_in_frame 1\nsave_\ndata_empty\n")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\n  \"CIF-JSON\": {\n    \"Metadata\": {\n      \"cif-version\": \"2.0\",\n"
            "      \"schema-name\": \"CIF-JSON\",\n      \"schema-version\": \"1.0.0\",\n"
            "      \"schema-uri\": \"http://www.iucr.org/resources/cif/cif-json.json\"\n    },\n"
            "    \"cell\": {\n"
            "      \"_cell_length_a\": [\"5.959(1)\"],\n"
            "      \"_inapplicable\": [false],\n"
            "      \"_text\": [\"first line\\nsecond \\\"line\\\"\"],\n"
            "      \"_atom_site_label\": [\"C1\", \"O\xc3\xa9\"],\n"
            "      \"_atom_site_fract_x\": [\"0.5\", null],\n"
            "      \"_list\": [[\"1\", \"a b\", [], null]],\n"
            "      \"_map\": [{\"k\": \"v\", \"K2\": [\"x\"]}],\n"
            "      \"Frames\": {\n"
            "        \"frame\": {\n"
            "          \"_in_frame\": [\"1\"]\n"
            "        }\n"
            "      }\n"
            "    },\n"
            "    \"empty\": {}\n  }\n}\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CifCommands, FormatCifWritesNothingThatWouldChange) {
  const std::string change = "writing it back would change block 'x', entry 1 ";
  const std::pair<std::string, std::string> cases[] = {
      // both quotes before blanks: a text field, which reads back as lines
      {"data_x\n_v '''a' b\" c'''\n", change + "'_v'"},
      {"data_x\n_q \"''x\"\n",
       "the written text would not read back: Failed to parse CIF "
       "because unbalanced quotation at CIF#1"},
      {"\xef\xbb\xbf"
       "data_x\n_a 1\n",
       "it starts with a byte-order mark, which the reader takes as part of the first word"},
      {"data_x\n_a \xc5ngstr\xf6m\n", "byte 10 is not UTF-8, which the reader does not keep"},
  };
  const std::string out = folder.MakeFile("out.cif", "old\n");
  for (const auto& [text, error] : cases) {
    const std::string path = File(text);
    const Outcome r = RunTool("format-cif " + Q(path) + " -o " + Q(out));
    EXPECT_EQ(r.status, 1) << text;
    EXPECT_EQ(r.err, path + ": " + error + "; nothing written\n") << text;
    EXPECT_EQ(ReadFile(out), "old\n");
    EXPECT_EQ(ReadFile(path), text);
  }
}

TEST_F(CifCommands, FormatCifReplacesOutOnlyWhenComplete) {
  const std::string text = "data_x\n_a 1\n", written = "data_x\n_a" + std::string(33, ' ') + "1\n";
  const std::string in = File(text), out = folder.MakeFile("out.cif", "old\n");
  EXPECT_EQ(RunTool("format-cif " + Q(in) + " -o " + Q(out)).status, 0);
  EXPECT_EQ(ReadFile(out), written);
  EXPECT_EQ(RunTool("format-cif -o " + Q(in) + " " + Q(in)).status, 0);  // named explicitly
  EXPECT_EQ(ReadFile(in), written);
  Outcome r = RunTool("format-cif " + Q(in) + " -o " + Q(folder.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, folder.path() + ": not a regular file\n");
  namespace fs = std::filesystem;  // in.cif and out.cif: no temporary file is left behind
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

}  // namespace
