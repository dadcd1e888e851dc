// The tool's CIF subcommands, run as a user runs them, on hand-written CIF text.
#include <gtest/gtest.h>
#include <sys/stat.h>  // for mkfifo

#include <filesystem>
#include <string>
#include <vector>

#include "cli/run_tool.h"
#include "sdl/temp_folder.h"

namespace {

using zt7test::Outcome;
using zt7test::ReadFile;
using zt7test::RunTool;

std::string Q(const std::string& path) {
  return "'" + path + "'";
}

// `name` padded to the 34-character name column, then the space before its value.
std::string Named(const std::string& name) {
  return name + std::string(34 - name.size(), ' ') + " ";
}

// Files that read: the counts check-cif gives and the reader's warnings.
struct Readable {
  const char* text;
  const char* counts;
  std::vector<std::string> warnings;
} const kReadable[] = {
    {"data_x\n_a 1\n_b 'x y'\nloop_\n_c_p\n_c_q\n1 2\n3 4\n",
     "CIF 1.1, blocks 1, save frames 0, items 2, loops 1, loop rows 2",
     {}},
    {"", "CIF 1.1, blocks 1, save frames 0, items 0, loops 0, loop rows 0", {}},
    // a comment before the first header keeps the unnamed block
    {"# made by hand\r\ndata_x\r\n_a 1 # one\r\n",
     "CIF 1.1, blocks 2, save frames 0, items 1, loops 0, loop rows 0",
     {}},
    {"data_x\n_t\n;\nline one\nline two\n;\n_u O'Brien\n",
     "CIF 1.1, blocks 1, save frames 0, items 2, loops 0, loop rows 0",
     {}},
    {"#\\#CIF_2.0\ndata_x\n_l [1 [2 3] 'a b' []]\n_e {}\n",
     "CIF 2.0, blocks 1, save frames 0, items 2, loops 0, loop rows 0",
     {}},
    {"data_x\n_a 1\ndata_X\n_b 2\n",
     "CIF 1.1, blocks 2, save frames 0, items 2, loops 0, loop rows 0",
     {"Duplicate CIF data name 'X' auto renaming...", "New name: X1"}},
    {"data_x\nloop_\n_a_b\n_a_c\nloop_\n_d_e\n_d_f\n1 2\n",
     "CIF 1.1, blocks 1, save frames 0, items 0, loops 1, loop rows 1",
     {"Ignoring empty table _a"}},
    // frames of one name in two blocks stay apart
    {"data_a\nsave_f\n_x 1\nsave_\ndata_b\nsave_f\n_y 2\nsave_\n_z 3\n",
     "CIF 1.1, blocks 2, save frames 2, items 3, loops 0, loop rows 0",
     {"Duplicate CIF data name 'f' auto renaming...", "New name: f1"}},
};

// Files that do not: the one line naming the reason.
struct Rejected {
  const char* text;
  const char* error;
} const kRejected[] = {
    {";x\n", "Failed to parse CIF because invalid start of file at CIF#0"},
    {"data_x\n_a\n", "Failed to parse CIF because missing value for _a at CIF#0"},
    {"data_x\nloop_\n_a_x\n_a_y\n1 2 3\n", "Failed to parse CIF because invalid table _a at CIF#4"},
    {"data_x\n_a\n;text\n", "Failed to parse CIF because unbalanced quotation at CIF#2"},
    {"data_x\n\n'abc' \n", "Failed to parse CIF because unnamed text string at CIF#2"},
    {"data_x\n_a 1\n;\nx\n;\n", "Failed to parse CIF because unnamed text block at CIF#2"},
    {"#\\#CIF_2.0\ndata_x\n_m {'a' 1 'b'}\n",
     "Failed to parse CIF because even number of items is expected for a map at CIF#2"},
};

class CifCommands : public ::testing::Test {
 protected:
  std::string File(const std::string& text, const std::string& name = "in.cif") {
    return folder.MakeFile(name, text);
  }
  zodu::testing::TempFolder folder;
};

TEST_F(CifCommands, CheckCifCountsWhatEachFileHolds) {
  for (const Readable& c : kReadable) {
    const std::string path = File(c.text);
    Outcome r = RunTool("check-cif " + Q(path));
    std::string warnings;
    for (const std::string& line : c.warnings) warnings += path + ": " + line + "\n";
    EXPECT_EQ(r.status, 0) << c.text << r.err;
    EXPECT_EQ(r.out, path + ": " + c.counts + "\n") << c.text;
    EXPECT_EQ(r.err, warnings) << c.text;
  }
}

TEST_F(CifCommands, CheckCifNamesTheFileAndTheReason) {
  for (const Rejected& c : kRejected) {
    const std::string path = File(c.text);
    Outcome r = RunTool("check-cif " + Q(path));
    EXPECT_EQ(r.status, 1) << c.text;
    EXPECT_EQ(r.out, "") << c.text;
    EXPECT_EQ(r.err, path + ": " + c.error + "\n") << c.text;
  }
}

TEST_F(CifCommands, OnlyRegularFilesAreOpened) {
  const std::string good = File("data_x\n_a 1\n"), fifo = folder / "fifo",
                    missing = folder / "missing.cif";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Outcome r = RunTool("check-cif " + Q(good) + " " + Q(folder.path()) + " " + Q(fifo) +
                      " /dev/zero " + Q(missing));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, good + ": CIF 1.1, blocks 1, save frames 0, items 1, loops 0, loop rows 0\n");
  EXPECT_EQ(r.err, folder.path() + ": not a regular file\n" + fifo +
                       ": not a regular file\n/dev/zero: not a regular file\n" + missing +
                       ": no such file\n");
  for (const char* command : {"cif-json ", "format-cif "}) {
    r = RunTool(command + Q(fifo));
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_EQ(r.err, fifo + ": not a regular file\n") << command;
  }
}

TEST_F(CifCommands, CifJsonFollowsTheDraft) {
  const std::string head = "{\n  \"CIF-JSON\": {\n    \"Metadata\": {\n      \"cif-version\": \"";
  const std::string metadata =
      "\",\n      \"schema-name\": \"CIF-JSON\",\n      \"schema-version\": \"1.0.0\",\n"
      "      \"schema-uri\": \"http://www.iucr.org/resources/cif/cif-json.json\"\n    },\n";
  struct Case {
    const char* text;
    const char* version;
    const char* blocks;
  } cases[] = {
      {"data_Cell\n_Cell_length_a 5.959(1)\n_symmetry_space_group_name_H-M 'P 21 21 21'\n"
       "_unknown ?\n_inapplicable .\n_quoted_dot '.'\n_text\n;\nfirst line\nsecond \"line\"\n;\n"
       "loop_\n_Atom_site_label\n_Atom_site_fract_x\nC1 0.5\nO\xc3\xa9 ?\n"
       "save_Frame\n_in_frame 1\nsave_\n",
       "1.1",
       "    \"cell\": {\n"
       "      \"_cell_length_a\": [\"5.959(1)\"],\n"
       "      \"_symmetry_space_group_name_h-m\": [\"P 21 21 21\"],\n"
       "      \"_unknown\": [null],\n"
       "      \"_inapplicable\": [false],\n"
       "      \"_quoted_dot\": [\".\"],\n"
       "      \"_text\": [\"first line\\nsecond \\\"line\\\"\"],\n"
       "      \"_atom_site_label\": [\"C1\", \"O\xc3\xa9\"],\n"
       "      \"_atom_site_fract_x\": [\"0.5\", null],\n"
       "      \"Frames\": {\n"
       "        \"frame\": {\n"
       "          \"_in_frame\": [\"1\"]\n"
       "        }\n"
       "      }\n"
       "    }\n"},
      {"#\\#CIF_2.0\ndata_two\n_list [1 'a b' [] ?]\n_map {'k':v \"K2\":[x]}\ndata_empty\n", "2.0",
       "    \"two\": {\n"
       "      \"_list\": [[\"1\", \"a b\", [], null]],\n"
       "      \"_map\": [{\"k\": \"v\", \"K2\": [\"x\"]}]\n"
       "    },\n"
       "    \"empty\": {}\n"},
  };
  for (const Case& c : cases) {
    Outcome r = RunTool("cif-json " + Q(File(c.text)));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, head + c.version + metadata + c.blocks + "  }\n}\n");
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(CifCommands, FormatCifWritesTheWritersLayout) {
  const std::string fifty(50, 'a');
  Outcome r = RunTool("format-cif " + Q(File("data_x\n_short 1\n_quoted 'it's here'\n"
                                             "_double \"a' b\"\n_long " +
                                             fifty + "\nloop_\n_a_x\n_a_y\n1 2\n3 4\n")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "data_x\n" + Named("_short") + "1\n" + Named("_quoted") + "'it's here'\n" +
                       Named("_double") + "\"a' b\"\n" + Named("_long").substr(0, 34) + "\n " +
                       fifty + "\nloop_\n  _a_x\n  _a_y\n 1 2\n 3 4\n\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CifCommands, FormatCifRoundTripsEveryTestFile) {
  for (const Readable& c : kReadable) {
    const std::string path = File(c.text);
    Outcome r = RunTool("format-cif " + Q(path) + " -o " + Q(folder / "out.cif"));
    EXPECT_EQ(r.status, 0) << c.text << r.err;
    EXPECT_EQ(r.out, "") << c.text;
    r = RunTool("check-cif " + Q(folder / "out.cif"));
    EXPECT_EQ(r.out, folder / "out.cif" + ": " + c.counts + "\n") << c.text;
  }
  for (const Rejected& c : kRejected) {
    const std::string path = File(c.text);
    Outcome r = RunTool("format-cif " + Q(path));
    EXPECT_EQ(r.status, 1) << c.text;
    EXPECT_EQ(r.err, path + ": " + c.error + "\n") << c.text;
  }
}

TEST_F(CifCommands, FormatCifWritesNothingThatWouldChange) {
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      // both quotes before blanks: a text field, which reads back as lines
      {"data_x\n_v '''a' b\" c'''\n", "writing it back would change block 'x', entry 1 '_v'"},
      // the comment of a text field goes on a line of its own
      {"data_x\n_t # note\n;\nline\n;\n", "writing it back would change block 'x', entry 1 '_t'"},
      // a map key keeps its quotes inside, so the writer quotes it twice
      {"#\\#CIF_2.0\ndata_x\n_m {'a':1}\n", "writing it back would change block 'x', entry 1 '_m'"},
      {"data_x\n_q \"''x\"\n",
       "the written text would not read back: Failed to parse CIF because unbalanced "
       "quotation at CIF#1"},
      {"\xef\xbb\xbf"
       "data_x\n_a 1\n",
       "it starts with a byte-order mark, which the reader takes as part of the first word"},
      {"data_x\n_a \xc5ngstr\xf6m\n", "byte 10 is not UTF-8, which the reader does not keep"},
      {"data_x\n_a \xf0\x9f\x98\x80\n",
       "byte 10 starts a character beyond U+FFFF, which the reader does not keep"},
  };
  const std::string out = folder.MakeFile("out.cif", "old\n");
  for (const Case& c : cases) {
    const std::string path = File(c.text);
    Outcome r = RunTool("format-cif " + Q(path) + " -o " + Q(out));
    EXPECT_EQ(r.status, 1) << c.text;
    EXPECT_EQ(r.err, path + ": " + c.error + "; nothing written\n") << c.text;
    EXPECT_EQ(ReadFile(out), "old\n");
    EXPECT_EQ(ReadFile(path), c.text);
  }
}

TEST_F(CifCommands, FormatCifReplacesOutOnlyWhenComplete) {
  const std::string text = "data_x\n_a 1\n", written = "data_x\n" + Named("_a") + "1\n";
  const std::string in = File(text), out = folder.MakeFile("out.cif", "old\n");
  EXPECT_EQ(RunTool("format-cif " + Q(in) + " -o " + Q(out)).status, 0);
  EXPECT_EQ(ReadFile(out), written);
  EXPECT_EQ(ReadFile(in), text);
  EXPECT_EQ(RunTool("format-cif -o " + Q(in) + " " + Q(in)).status, 0);  // named explicitly
  EXPECT_EQ(ReadFile(in), written);
  Outcome r = RunTool("format-cif " + Q(in) + " -o " + Q(folder.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, folder.path() + ": not a regular file\n");
  namespace fs = std::filesystem;  // in.cif and out.cif: no temporary file is left behind
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
  EXPECT_EQ(RunTool("format-cif " + Q(in) + " -o").status, 2);
}

}  // namespace
