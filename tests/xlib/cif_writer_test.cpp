// Writing CIF: the name column, line wrapping, delimiters, text fields, lists, maps and loops.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "xlib/cif_text.h"

namespace {

using cif_dp::TCifDP;
using cif_test::Picture;
using cif_test::ReadPicture;
using cif_test::W;
using cif_test::Written;

// A name in its 34-character column.
std::string Named(const std::string& name) {
  return name + std::string(name.size() < 34 ? 34 - name.size() : 1, ' ');
}

TEST(CifWriter, LayoutOfReadDocuments) {
  const std::string a44(44, 'a'), b40(40, 'b');
  const std::pair<std::string, std::string> cases[] = {
      {"data_x loop_ _w_a _w_b " + a44 + " " + b40 + " 'p q' ''",
       "data_x\nloop_\n  _w_a\n  _w_b\n " + a44 + "\n " + b40 + "\n 'p q' ''\n"},
      {"data_x _cell_length_a 5.0\n_q #c\n'it's here'",
       "data_x\n" + Named("_cell_length_a") + " 5.0\n" + Named("_q") + " 'it's here' # c"},
      {"data_x _d \"a' b\" _m '''x\ny'''",
       "data_x\n" + Named("_d") + " \"a' b\"\n" + Named("_m") + " '''x\ny'''"},
      // Both quotes followed by a blank: a text field, after the name line's blank. A
      // comment goes to the line the value started on, as written before.
      {"data_x _t #n\n'''a' b\" c'''", "data_x\n" + Named("_t") + "  # n\n;\na' b\" c\n;"},
      {"data_x _s\n;\nl1\n\nl2\n;", "data_x\n_s\n;\nl1\n\nl2\n;"},
      {"data_" + std::string(40, 'n') + " _" + std::string(40, 'i') + " " + b40,
       "data_" + std::string(40, 'n') + "\n_" + std::string(40, 'i') + " \n " + b40},
      {"data_a save_f _x 1 save_", "data_a\nsave_f\n" + Named("_x") + " 1\nsave_"},
      {"#\\#CIF_2.0\ndata_x _l [1 2] _e [] _m {'k':v} _n {}",
       "data_x\n_l [ 1 2 ]\n_e []\n_m { 'k': v}\n_n {}"},
      {"_a 1 # c\n", Named("_a") + " 1\n# c"},
  };
  for (const auto& [text, written] : cases) {
    TCifDP doc;
    doc.LoadFromString(W(text));
    EXPECT_EQ(Written(doc), written) << text;
  }
}

TEST(CifWriter, ValuesMadeInMemory) {
  TCifDP doc;
  cif_dp::CifBlock& block = doc.AddBlock(W("m"), nullptr);
  auto* empty = new cif_dp::cetString(W(""), false);
  empty->SetName(W("_e"));
  block.Add(empty);
  auto* lead = new cif_dp::cetString(W(";x' y\" z"), true);
  lead->SetName(W("_" + std::string(40, 'l')));
  block.Add(lead);
  EXPECT_EQ(Written(doc),
            "data_m\n" + Named("_e") + " ''\n_" + std::string(40, 'l') + "  \n;\n ;x' y\" z\n;");
}

// A document written and read again is the same document: tables (whose keys keep their
// quotes), empty text fields and text fields in loops (whose text ends at the line break
// before the closing semicolon) included.
TEST(CifWriter, WrittenDocumentsReadBackTheSame) {
  const std::string v2 = "#\\#CIF_2.0\n";
  const std::string cases[] = {
      v2 + "data_x _a {\"k\":1} _b {'a':[1 2] \"b\":{'c':x} '':{}}",
      v2 + "data_x _t {'''a'' b''':1}",  // a quote inside would end the key early
      v2 + "data_x _f {'t':\n;\nabc\n;\n 'u':2}",
      "data_x _e\n;\n;\n_z 1",
      "data_x loop_ _c_a _c_b 1\n;\nline\n;\n2\n; first\nsecond\n;\n",
  };
  for (const std::string& text : cases) {
    TCifDP doc;
    doc.LoadFromString(W(text));
    const std::string written = Written(doc);
    EXPECT_EQ(ReadPicture((doc.GetVersion() == 2 ? v2 : "") + written), Picture(doc)) << written;
  }
}

// The loop digests cover a text field cell as the loop has always written it.
TEST(CifWriter, LoopDigestLayoutOfTextFields) {
  TCifDP doc;
  doc.LoadFromString(W("data_x loop_ _c_a _c_b 1\n;\nline\n;\n"));
  zodu::TStrList lines;
  doc[0].GetTable(0).WriteLines(lines);
  EXPECT_EQ(cif_test::U8(lines.Text(W("|"))), "loop_|  _c_a|  _c_b| 1|;|line||;|");
}

// Lists and tables nested a million deep are written and destroyed without recursion.
TEST(CifWriter, DeepNestingWithoutRecursion) {
  constexpr size_t kDepth = 1000000;
  TCifDP doc;
  cif_dp::CifBlock& block = doc.AddBlock(W("x"), nullptr);
  auto* list = new cif_dp::cetList();
  auto* map = new cif_dp::cetDict();
  list->SetName(W("_l"));
  map->SetName(W("_m"));
  cif_dp::cetList* innerList = list;
  cif_dp::cetDict* innerMap = map;
  for (size_t i = 0; i < kDepth; ++i) {
    innerList = static_cast<cif_dp::cetList*>(&innerList->Add(std::make_unique<cif_dp::cetList>()));
    auto next = std::make_unique<cif_dp::cetDict>();
    cif_dp::cetDict* inner = next.get();
    innerMap->Add(std::make_unique<cif_dp::cetString>(W("'k'"), true), std::move(next));
    innerMap = inner;
  }
  block.Add(list);
  block.Add(map);
  size_t open = 0, close = 0;
  doc.SaveTo([&](const zodu::vexstr& line) {
    for (char16_t c : line) open += c == '[' || c == '{', close += c == ']' || c == '}';
  });
  EXPECT_EQ(open, 2 * kDepth + 2);
  EXPECT_EQ(close, open);
}

}  // namespace
