// Reading CIF text (tokens, blocks, frames, loops, lists, maps, failures) and the model it builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "sdl/bapp.h"
#include "sdl/memstream.h"
#include "support/log_capture.h"
#include "support/raises.h"
#include "xlib/cif_text.h"

namespace {

using cif_dp::cetTable;
using cif_dp::ParsingException;
using cif_dp::TCifDP;
using cif_test::Picture;
using cif_test::U8;
using cif_test::W;
using zodu::testing_support::Raises;

const std::string kV2 = "#\\#CIF_2.0\n";

// Each text reads to its picture, given as 16-bit text and as the bytes of a stream.
// The document that `bytes` give when read as a stream, as the DYN digest reads a file.
std::string StreamPicture(const std::string& bytes) {
  zodu::TEMemoryStream stream(64);
  stream.Write(bytes.data(), bytes.size());
  stream.SetPosition(0);
  TCifDP doc;
  doc.LoadFromStream(stream);
  return Picture(doc);
}

void ExpectPictures(const std::initializer_list<std::pair<std::string, std::string>>& cases) {
  for (const auto& [text, picture] : cases) {
    EXPECT_EQ(cif_test::ReadPicture(text), picture) << text;
    EXPECT_EQ(StreamPicture(text), picture) << text;
  }
}

TEST(CifReader, Tokens) {
  ExpectPictures({
      {"data_x _a 'it's here' _b O'Brien _c \"x y\"", "[x] _a=<it's here> _b=O'Brien _c=<x y>"},
      {"data_x _a '''one\ntwo''' _b '''a'''b c", "[x] _a=<one\ntwo> _b=<a>"},
      {"data_x\n_a\n;\nline 1\nline 2\n;\n", "[x] _a=;line 1|line 2;"},
      {"data_x\n_a\n;\n\nl\n  \n;\n_b\n;first\n;", "[x] _a=;l; _b=;first;"},
      {"data_x _e '' _a ;x; _b ;y", "[x] _e=<> _a=;x; _b=<;y>"},
      {"data_x # hello\n_a 1 # c1\n# c2\n", "[x] # hello _a=1 # c1 # c2"},
      {"data_x _a 'abc", "[x] _a=<ab>"},
      {kV2 + "data_x _a [1 'b c' [d]] _e []", "[x] _a=[1,<b c>,[d]] _e=[]"},
      // In CIF 2.0 a quote after a quoted key's colon opens a string.
      {kV2 + "data_x _m {'k':v \"q\":[1]}", "[x] _m={<'k'>:v,<\"q\">:[1]}"},
      {kV2 + "data_x _m {'a':'b c'} _l ['a\"b' \"c'd\"]", "[x] _m={<'a'>:<b c>} _l=[<a\"b>,<c'd>]"},
      {kV2 + "data_x _l [a\n;\n]\n;\n]", "[x] _l=[a,;]|;]"},
      {"data_x\r\n_a\r\n;\r\nt\r\n;\r\n", "[x] _a=;t;"},
  });
}

// Findings as "LINE:COLUMN: message" lines; a finding that loses nothing is marked "kept".
struct FindingLines : cif_dp::CifFindings {
  void Found(const cif_dp::CifFinding& f) override {
    lines += std::to_string(f.line) + ":" + std::to_string(f.column) +
             (f.lost ? ": " : ": kept: ") + f.message + "\n";
  }
  void Logged(const std::string& line) override { logged += line + "\n"; }
  std::string lines, logged;
};

TEST(CifReader, BlocksFramesAndLoops) {
  zodu::TBasicApp app(u"RODEDI", false);
  zodu::testing::CaptureStream log;
  app.GetLog().AddStream(&log, false);
  ExpectPictures({
      {"data_x _a 1 data_X _b 2 data_x _c 3", "[x] _a=1 [X1] _b=2 [x2] _c=3"},
      {"data_a save_f _x 1 save_ save_F _y 2 save_ _z 3", "[a] _z=3 [f<a] _x=1 _y=2"},
      // Frames of one name in different blocks stay apart.
      {"data_a save_f _x 1 save_ data_b save_f _y 2 save_", "[a] [f<a] _x=1 [b] [f1<b] _y=2"},
      {"data_x loop_ # h\n_a_x _a_y 1 # v\n 'p q' _b 5",
       "[x] loop _a(_a_x,_a_y):1,<p q> # v # h _b=5"},
      {"data_x\nloop_ _p_1 _p_2\nloop_ _q 7", "[x] loop _q(_q):7"},
      {kV2 + "data_x loop_ _l _m [1 2] {'k':v}", "[x] loop _(_l,_m):[1,2],{<'k'>:v}"},
      // Cells of every quoting, as kept in a loop.
      {"data_x\nloop_ _l_a _l_b '''t u''' 'it's'\n\"a b\" 'open",
       "[x] loop _l(_l_a,_l_b):<t u>,<it's>/<a b>,<ope>"},
      {kV2 + "data_x loop_ _l 'a':b", "[x] loop _l(_l):<a>/b"},
      // Loops named alike, and a loop named as an item: every entry is kept.
      {"data_x loop_ _atom_site.label _atom_site.x A 1 loop_ _atom_type.symbol _atom_type.n C 2",
       "[x] loop _atom(_atom_site.label,_atom_site.x):A,1 "
       "loop _atom(_atom_type.symbol,_atom_type.n):C,2"},
      {"data_x _a 1 loop_ _a_x _a_y 2 3", "[x] _a=1 loop _a(_a_x,_a_y):2,3"},
      {"data_x loop_ _a_x _a_y 2 3 _a 1 _b 4 _A 5", "[x] loop _a(_a_x,_a_y):2,3 _A=5 _b=4"},
  });
  // With a sink, the same lines go there and the log gets none of them.
  FindingLines found;
  TCifDP doc;
  doc.LoadFromString(W("data_x data_X save_f save_ data_y save_f save_ loop_ _p loop_ _e_x _e_y 1 2"
                       " _e 7"),
                     &found);
  EXPECT_EQ(found.logged,
            "Duplicate CIF data name 'X' auto renaming...\nNew name: X1\n"
            "Duplicate CIF data name 'f' auto renaming...\nNew name: f1\n"
            "Ignoring empty table _p\nChanging table type for _e\n");
  auto twice = [](const std::string& lines) { return lines + lines; };  // text, then bytes
  EXPECT_EQ(log.bytes,
            twice("Duplicate CIF data name 'X' auto renaming...\r\nNew name: X1\r\n"
                  "Duplicate CIF data name 'x' auto renaming...\r\nNew name: x2\r\n") +
                twice("Duplicate CIF data name 'f' auto renaming...\r\nNew name: f1\r\n") +
                twice("Ignoring empty table _p\r\n") + twice("Changing table type for _a\r\n"));
  app.GetLog().RemoveStream(&log);
}

// The kinds an entry answers to by As: its own alone, and so does its copy.
std::string KindsOf(const cif_dp::ICifEntry& e) {
  return std::string(e.As<cif_dp::cetString>() ? "value" : "") +
         (e.As<cif_dp::cetStringList>() ? "field" : "") + (e.As<cif_dp::cetComment>() ? "#" : "") +
         (e.As<cif_dp::cetList>() ? "list" : "") + (e.As<cif_dp::cetDict>() ? "map" : "") +
         (e.As<cetTable>() ? "loop" : "") + (e.As<cif_dp::CifBlock>() ? "block" : "");
}

TEST(CifReader, EachEntryHasItsKind) {
  TCifDP doc;
  doc.LoadFromString(W(kV2 + "data_x # c\n_v 1 _f\n;t\n;\n_l [1] _m {'k':v}\nloop_ _a 1"));
  const cif_dp::CifBlock& block = doc[0];
  const std::string kinds[] = {"#", "value", "field", "list", "map", "loop"};
  ASSERT_EQ(block.Count(), std::size(kinds));
  for (size_t i = 0; i < block.Count(); ++i) {
    EXPECT_EQ(KindsOf(block.GetEntry(i)), kinds[i]);
    EXPECT_EQ(KindsOf(*std::unique_ptr<cif_dp::ICifEntry>(block.GetEntry(i).Replicate())),
              kinds[i]);
  }
  EXPECT_EQ(KindsOf(block), "block");
}

std::string FindingsOf(const std::string& bytes, TCifDP& doc) {
  zodu::TEMemoryStream stream(64);
  stream.Write(bytes.data(), bytes.size());
  stream.SetPosition(0);
  FindingLines found;
  try {
    doc.LoadFromStream(stream, &found);
  } catch (const zodu::TExceptionBase&) {
  }
  return found.lines;
}

// Each failure raises the reader's reason with its number and is found, before it is
// raised, with the line and column where it lies.
TEST(CifReader, FailuresNameTheLine) {
  const struct {
    std::string text, message, found;
  } cases[] = {
      {";x", "invalid start of file at CIF#0", "1:1"},
      {"data_x\n_a\n;\nopen", "unbalanced quotation at CIF#2", "3:1"},
      {kV2 + "data_x\n_m {a b\n c}", "even number of items is expected for a map at CIF#3", "3:4"},
      {"data_x loop_ _a_1 _a_2 1 2 3", "invalid table _a at CIF#4", "1:8"},
      {"data_x _a # c", "missing value for _a at CIF#0", "1:8"},
      {"data_x\n\n;\ntext\n;", "unnamed text block at CIF#2", "3:1"},
      // A fault of the tokenizer later in the text comes first.
      {"data_x loop_ _a_1 _a_2 1 2 3 _b\n;\nopen", "unbalanced quotation at CIF#1", "2:1"},
  };
  for (const auto& c : cases) {
    TCifDP doc;
    EXPECT_TRUE(Raises<ParsingException>([&] { doc.LoadFromString(W(c.text)); },
                                         "Failed to parse CIF because " + c.message))
        << c.text;
    const std::string reason = c.message.substr(0, c.message.find(" at CIF#"));
    EXPECT_EQ(FindingsOf(c.text, doc), c.found + ": " + reason + "\n") << c.text;
  }
  TCifDP doc;
  const std::string unclosed = kV2 + "data_x\n_a [1 ']' 2";
  EXPECT_TRUE(
      Raises<zodu::TInvalidArgumentException>([&] { doc.LoadFromString(W(unclosed)); }, "data"));
  EXPECT_EQ(FindingsOf(unclosed, doc), "3:4: unclosed bracket '['\n");
  // What was read before the fault stays.
  EXPECT_THROW(doc.LoadFromString(W("data_x _a 1 data_y _b")), ParsingException);
  EXPECT_EQ(Picture(doc), "[x] _a=1 [y]");
}

// Every place where the document differs from the text, as the reader finds it.
TEST(CifReader, FindingsNameWhatTheDocumentLacks) {
  const std::pair<std::string, std::string> cases[] = {
      {"data_x\n_a 1\n2 \"b c\"\n",
       "3:1: value without a name, skipped: 2\n3:3: value without a name, skipped: \"b c\"\n"},
      {"data_x\n_a 1\n_A 2\n", "3:1: _A is given again: the earlier value is not kept\n"},
      {"data_x\n_a # one\n# two\n1\n",
       "3:1: a second comment before the value of _a is not kept\n"},
      {"data_x\nloop_\n_p\nloop_\n_q\n1\n", "2:1: loop _p has no values and is dropped\n"},
      {"data_x\n_a '''v'''w\n", "2:11: 'w' right after the closing quotes is not kept\n"},
      {"data_x\n_a 'open\n_b 2\n", "2:4: unclosed quotation: the rest of the text is one value\n"},
      {"_a 1\n", "1:1: no data_ heading\n"},
      {"", "1:1: no data_ heading\n"},
      {"\xEF\xBB\xBF"
       "data_x\n_a 1\n",
       "1:1: a byte-order mark joins the first word, which is then skipped: data_x\n"
       "1:1: no data_ heading\n"},
      // Decoding: once per file, in lines and columns of characters, carriage returns
      // not counted.
      {"data_x\r\n_a 'M\xE8\xE9'\r\n", "2:6: kept: not UTF-8 from 2:6, read as ISO 8859-1\n"},
      {"data_x\n_a \xC3\xA9\xF0\x9F\x98\x80\n", "2:5: a character beyond U+FFFF is not kept\n"},
      {std::string("data_x\n_a 1\0\n", 13), "1:1: not text: NUL bytes near the start\n"},
      {"data_x\n#" + std::string(4096, 'p') + std::string("\n_a 1\0\n", 7),
       "3:5: a NUL character, which CIF text cannot hold\n"},
      {"\x1F\x8B\x08\x00", "1:1: not text: gzip-compressed data\n"},
      // A file that reads as written has nothing to find.
      {kV2 + "data_x\n_a [1 {'k':v}]\nloop_ _b_1 _b_2 1 2 # c\n", ""},
  };
  for (const auto& [text, found] : cases) {
    TCifDP doc;
    EXPECT_EQ(FindingsOf(text, doc), found) << text;
  }
}

// UTF-8 reads as it always has; any other byte is the one character of its value.
TEST(CifReader, StreamsDecodeUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"data_x _a \xC3\xA9t\xC3\xA9 _b \xE2\x82\xAC", "[x] _a=\xC3\xA9t\xC3\xA9 _b=\xE2\x82\xAC"},
      // A byte-order mark joins the first token.
      {std::string("\xEF\xBB\xBF") + "data_x _a 1", "[] _a=1"},
      // Beyond U+FFFF: three bytes as one character (U+07D8), the fourth widened (U+FF80).
      {"data_x _a \xF0\x9F\x98\x80", "[x] _a=\xDF\x98\xEF\xBE\x80"},
      // Bytes that begin no complete, valid sequence swallow nothing after them.
      {"data_x\n_a 'M\xE8'\n_b 2\n_c 3\n", "[x] _a=<M\xC3\xA8> _b=2 _c=3"},
      {"data_x _a \x80 _b \xC0\xAF _c \xED\xA0\x80 _d b\xE2",
       "[x] _a=\xC2\x80 _b=\xC3\x80\xC2\xAF _c=\xC3\xAD\xC2\xA0\xC2\x80 _d=b\xC3\xA2"},
  };
  for (const auto& [bytes, picture] : cases) EXPECT_EQ(StreamPicture(bytes), picture) << bytes;
}

// Nesting 100,000 deep is read, copied and written without recursion; a million deep is
// read and destroyed, and unclosed it fails with its place.
TEST(CifReader, HostileShapes) {
  const long depth = 100000;
  TCifDP doc;
  doc.LoadFromString(W(kV2 + "data_x _a " + std::string(depth, '[') + std::string(depth, ']')));
  const std::string written = cif_test::Written(doc);
  EXPECT_EQ(std::count(written.begin(), written.end(), '['), depth);
  std::unique_ptr<cif_dp::ICifEntry> copy(doc[0].Replicate());
  const size_t million = 1000000;
  std::string tables;
  for (size_t i = 0; i < million; ++i) tables += "{'k':";
  const std::pair<std::string, std::string> deep[] = {
      {std::string(million, '[') + std::string(million, ']'), ""},
      {tables + "v" + std::string(million, '}'), ""},
      {std::string(million, '['), "3:4: unclosed bracket '['\n"},
  };
  for (const auto& [value, found] : deep)
    EXPECT_EQ(FindingsOf(kV2 + "data_x\n_a " + value, doc), found);
}

TEST(CifModel, LoopNamesComeFromTheCommonPartOfTheColumns) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"_refln_index_h", "_refln_index_k", "_refln_intensity_meas"}, "_refln"},
      {{"_x_y", "_zz"}, "_"},
      {{"_atom_site.label", "_atom_site.x"}, "_atom"},
      // A third column sharing one character only leaves the common part as it was.
      {{"_ab_c", "_ab_d", "_q"}, "_ab"},
  };
  for (const auto& [columns, name] : cases) {
    cetTable table;
    for (const std::string& column : columns) table.AddCol(W(column));
    EXPECT_EQ(U8(table.GetName()), name) << columns[0];
  }
  cetTable table;
  table.AddCol(W("abc"));
  EXPECT_TRUE(Raises<zodu::TFunctionFailedException>([&] { table.AddCol(W("xyz")); },
                                                     "mismatching loop columns"));
}

// A loop keeps each cell's place in two bytes relative to its neighbours; values far
// apart, objects among views, and cells replaced after reading keep what they hold.
TEST(CifModel, LoopCellsFarApartKeepTheirValues) {
  const std::string wide(20000, 'w'), wider(70000, 'v');
  std::string text = "data_x loop_ _l_a _l_b\n";
  std::string expected = "[x] loop _l(_l_a,_l_b):";
  for (int r = 0; r < 40; ++r) {
    const std::string a = r % 3 == 0 ? wide : "a" + std::to_string(r);
    const std::string b = r % 5 == 0 ? "'" + wider + "'" : r % 7 == 0 ? "[1 2]" : "b";
    text += a + " " + b + "\n";
    expected += (r ? "/" : "") + a + "," +
                (r % 5 == 0   ? "<" + wider + ">"
                 : r % 7 == 0 ? "[1,2]"
                              : "b");
  }
  EXPECT_EQ(StreamPicture(kV2 + text), expected);

  TCifDP doc;
  doc.LoadFromString(W(kV2 + text));
  auto peeked = [](const cetTable::CellView& cell) {
    return U8(zodu::vexstr(cell.wide.data(), cell.wide.size()));
  };
  cetTable& loop = *doc[0].FindTable(W("_l"));
  loop.Set(3, 0, std::make_unique<cif_dp::cetString>(W("near"), false));
  loop.Set(6, 1, std::make_unique<cif_dp::cetString>(W("set"), false));
  EXPECT_EQ(peeked(loop.Peek(4, 0)), "a4");
  EXPECT_EQ(U8(loop.Get(3, 0)->GetStringValue()), "near");
  EXPECT_EQ(U8(loop.Get(6, 1)->GetStringValue()), "set");
  EXPECT_EQ(U8(loop.Get(39, 0)->GetStringValue()), wide);
  EXPECT_EQ(peeked(loop.Peek(39, 1)), "b");
  cetTable copy(loop);
  EXPECT_EQ(U8(copy.Get(35, 1)->GetStringValue()), wider);
  EXPECT_EQ(U8(copy.Get(3, 0)->GetStringValue()), "near");
}

// Lookups ignore case and find a name's latest entry; an unnamed item is refused.
TEST(CifModel, BlocksLookUpAndRefuse) {
  TCifDP doc;
  doc.LoadFromString(
      W("data_DATA loop_ _atom_site.label A loop_ _atom_type.symbol C _b 1 "
        "loop_ _b_x _b_y 2 3 _c_x 4 loop_ _c_x _c_y 5 6 _c_x 7"));
  EXPECT_EQ(doc.FindBlock(W("data")), &doc[0]);
  cif_dp::CifBlock& block = doc[0];
  EXPECT_EQ(U8(block.FindTable(W("_ATOM_TYPE.SYMBOL"))->ColName(0)), "_atom_type.symbol");
  EXPECT_EQ(block.FindTable(W("_b")), block.FindEntry(W("_b")));
  EXPECT_EQ(Picture(*block.FindEntry(W("_C_X"))), "7");
  EXPECT_EQ(block.Count(), 6u);
  auto* unnamed = new cif_dp::cetString(W("v"));
  EXPECT_TRUE(Raises<zodu::TInvalidArgumentException>([&] { block.Add(unnamed); }, "name"));
}

}  // namespace
