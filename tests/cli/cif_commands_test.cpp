// The tool's CIF subcommands, run as a user runs them, on hand-written CIF text.
#include <gtest/gtest.h>
#include <sys/stat.h>  // for mkfifo

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>

#include "cli/run_tool.h"
#include "support/dyn_reference.h"
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
    EXPECT_EQ(r.err, std::regex_replace(c.warnings, std::regex(".+\n"),
                                        "zt7util: check-cif: '" + path + "': $&"));
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
  const std::pair<std::string, std::string> cases[] = {
      {folder.MakeFile("a.cif", ";x\n"), ":1:1: invalid start of file"},
      {fifo, "a FIFO, not a regular file"},
      {folder / "missing.cif", "no such file"},
  };
  auto line = [](const std::string& command, const std::string& path, const std::string& error) {
    return error[0] == ':' ? path + error + "\n"
                           : "zt7util: " + command + ": '" + path + "': " + error + "\n";
  };
  std::string all, errors;
  for (const auto& [path, error] : cases) {
    all += " " + Q(path);
    errors += line("check-cif", path, error);
    for (const char* command : {"cif-json", "format-cif"}) {
      const Outcome r = RunTool(command + (" " + Q(path)));
      EXPECT_EQ(r.status, 1) << command << path;
      EXPECT_EQ(r.out + r.err, line(command, path, error)) << command;
    }
  }
  for (const char* command : {"check-cif", "cif-json", "format-cif"})  // - is standard input
    EXPECT_EQ(RunTool(command + (" - <" + Q(cases[0].first))).err, "-:1:1: invalid start of file\n")
        << command;
  // check-cif goes on after a file it cannot read.
  const std::string good = folder.MakeFile("good.cif", "data_x\n_a 1\n");
  const Outcome r = RunTool("check-cif " + Q(good) + all);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, good + ": CIF 1.1, blocks 1, save frames 0, items 1, loops 0, loop rows 0\n");
  EXPECT_EQ(r.err, errors);
}

// check-cif names each place where the document differs from the file as FILE:LINE:COLUMN,
// and fails when anything was lost; a file that is not UTF-8 but otherwise read whole warns.
TEST_F(CifCommands, CheckCifNamesWhatTheDocumentLacks) {
  const std::string counts = ": CIF 1.1, blocks 1, save frames 0, items ";
  const struct {
    std::string text;
    int status;
    std::string items, err;  // "F" stands for the file's name
  } cases[] = {
      {"data_x\n_a 'M\xe8'\n_b 2\n_c 3\n", 0, "3",
       "F:2:6: not UTF-8 from 2:6, read as ISO 8859-1\n"},
      {"data_x\n_a 1\n2\n", 1, "1", "F:3:1: value without a name, skipped: 2\n"},
      {"_a 1\n", 1, "1", "F:1:1: no data_ heading\n"},
      {"\x1f\x8b\x08\x00\x00", 1, "0", "F:1:1: not text: gzip-compressed data\n"},
      // A reading that fails says so in the reader's words, where the fault lies.
      {"data_x\n_a 1\nloop_\n_b_1\n_b_2\n1 2\n3\n", 1, "", "F:3:1: invalid table _b\n"},
      {"#\\#CIF_2.0\ndata_x\n_l [1 [2\n", 1, "", "F:3:4: unclosed bracket '['\n"},
  };
  for (const auto& c : cases) {
    const std::string path = File(c.text);
    for (const std::string& name : {path, std::string("-")}) {
      const Outcome r = RunTool(std::string("check-cif ") + (name == "-" ? "- <" : "") + Q(path));
      EXPECT_EQ(r.status, c.status) << c.text;
      EXPECT_EQ(r.out, c.items.empty() ? "" : name + counts + c.items + ", loops 0, loop rows 0\n");
      EXPECT_EQ(r.err, std::regex_replace(c.err, std::regex("^F"), name)) << c.text;
    }
  }
  const Outcome r = RunTool("check-cif --json " + Q(File("data_x\n_a 1\n_a 2\n")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "{\"file\": \"" + folder / "in.cif" +
                       "\", \"read\": true, \"lost\": true, \"cif-version\": \"1.1\", "
                       "\"blocks\": 1, \"save-frames\": 0, \"items\": 1, \"loops\": 0, "
                       "\"loop-rows\": 0, \"findings\": [{\"line\": 3, \"column\": 1, "
                       "\"kind\": \"replaced-name\", \"lost\": true, \"message\": \"_a is given "
                       "again: the earlier value is not kept\"}], \"findings-not-shown\": 0, "
                       "\"log\": []}\n");
}

// A Latin-1 comment at the end of a loop row no longer swallows the next row, so a changed
// intensity there is seen by the loop's digest.
TEST_F(CifCommands, LatinOneCommentsKeepTheNextRow) {
  std::vector<dyn_reference::Row> rows = dyn_reference::Rows(120);
  auto file = [&](const std::string& name) {
    std::string text = "data_r\nloop_\n";
    for (const std::string& column : dyn_reference::kColumns) text += column + "\n";
    for (size_t i = 0; i < rows.size(); ++i)
      text += rows[i][0] + " " + rows[i][1] + " " + rows[i][2] + " " + rows[i][3] + " " +
              rows[i][4] + (i == 50 ? " # r\xe9sum\xe9\n" : "\n");
    return folder.MakeFile(name, text);
  };
  const std::string digest = dyn_reference::LoopDigest(dyn_reference::kColumns, rows);
  const std::string sealed = file("sealed.cif_od");
  rows[51][3] = "12345.67";
  const std::string changed = file("changed.cif_od");
  EXPECT_EQ(RunTool("check-dyn " + Q(sealed) + " " + digest).out, sealed + ": OK\n");
  EXPECT_EQ(RunTool("check-dyn " + Q(changed) + " " + digest).out, changed + ": FAILED\n");
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

TEST_F(CifCommands, CifJsonFollowsTheDraft) {
  const Outcome r = RunTool(
      "cif-json " + Q(File("#\\#CIF_2.0\ndata_Cell\n_Cell_length_a 5.959(1)\n"
                           "_inapplicable .\n"
                           "_text\n;\nfirst line\nsecond \"line\"\n;\n"
                           "loop_\n_Atom_site_label\n_Atom_site_fract_x\nC1 0.5\nO\xc3\xa9 ?\n"
                           "_list [1 'a b' [] ?]\n_map {'k':v \"K2\":[x]}\n"
                           "loop_\n_t_a\n_t_b\n1\n;\nfield\n;\n"
                           "_dup_x 1\nloop_\n_dup_x\n_dup_y\n2 3\n"
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
            "      \"_t_a\": [\"1\"],\n"
            "      \"_t_b\": [\"field\"],\n"
            "      \"_dup_x\": [\"2\"],\n"
            "      \"_dup_y\": [\"3\"],\n"
            "      \"Frames\": {\n"
            "        \"frame\": {\n"
            "          \"_in_frame\": [\"1\"]\n"
            "        }\n"
            "      }\n"
            "    },\n"
            "    \"empty\": {}\n  }\n}\n");
  EXPECT_EQ(r.err, "zt7util: cif-json: '" + folder / "in.cif" +
                       "': warning: block 'Cell': '_dup_x' of entry 8 is hidden by the one of "
                       "entry 9\n");
}

// What format-cif writes (what may change: spacing, empty comments, the encoding) and what
// it refuses, naming the first thing that would change or that the reading lost.
TEST_F(CifCommands, FormatCifWritesWhatReadsBackTheSame) {
  const std::string name = std::string(34, ' ');
  auto named = [&](const std::string& item) { return item + name.substr(item.size()); };
  const std::string change = "writing it back would change block 'x', entry 1 ";
  const struct {
    std::string text;
    int status;
    std::string written;  // or the reason
  } cases[] = {
      {"#------\n# COD header\n#\ndata_x\n#\n_a 1\n", 0,
       "#------\n# COD header\ndata_x\n" + named("_a") + " 1\n"},
      {"data_x\n_a 1 # c\n_e\n;\n;\n", 0, "data_x\n" + named("_a") + " 1\n# c\n_e\n;\n;\n"},
      {"#\\#CIF_2.0\ndata_x\n_t {\"k\":1}\n", 0, "#\\#CIF_2.0\ndata_x\n_t { \"k\": 1}\n"},
      {"data_x\n_a \xc5ngstr\xf6m\n", 0, "data_x\n" + named("_a") + " \xc3\x85ngstr\xc3\xb6m\n"},
      // both quotes before blanks: a text field, which reads back as lines
      {"data_x\n_v '''a' b\" c'''\n", 1, change + "'_v'"},
      {"data_x\n_q \"''x\"\n", 1,
       "the written text would not read back: Failed to parse CIF because unbalanced "
       "quotation at CIF#1"},
      {"data_x\n_a 1\n2\n", 1,
       "its document lacks what the file holds at line 3, column 1 (value without a name, "
       "skipped: 2)"},
  };
  for (const auto& c : cases) {
    const std::string path = File(c.text), out = folder.MakeFile("out.cif", "old\n");
    const Outcome r = RunTool("format-cif " + Q(path) + " -o " + Q(out));
    EXPECT_EQ(r.status, c.status) << c.text << r.err;
    if (c.status == 0) {
      EXPECT_EQ(ReadFile(out), c.written);
      continue;
    }
    EXPECT_NE(
        r.err.find("zt7util: format-cif: '" + path + "': " + c.written + "; nothing written\n"),
        std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(out), "old\n");
    EXPECT_EQ(ReadFile(path), c.text);
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

TEST_F(CifCommands, FormatCifReplacesOutOnlyWhenComplete) {
  const std::string text = "data_x\n_a 1\n", written = "data_x\n_a" + std::string(33, ' ') + "1\n";
  const std::string in = File(text), out = folder.MakeFile("out.cif", "old\n");
  EXPECT_EQ(RunTool("format-cif " + Q(in) + " -o " + Q(out)).status, 0);
  EXPECT_EQ(ReadFile(out), written);
  EXPECT_EQ(RunTool("format-cif -o " + Q(in) + " " + Q(in)).status, 0);  // named explicitly
  EXPECT_EQ(ReadFile(in), written);
  Outcome r = RunTool("format-cif " + Q(in) + " -o " + Q(folder.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zt7util: format-cif: '" + folder.path() + "': not a regular file\n");
  namespace fs = std::filesystem;  // in.cif and out.cif: no temporary file is left behind
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

}  // namespace
