// Writing CIF: the name column, line wrapping, delimiters, text fields, lists, maps and loops.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "xlib/cif_text.h"

namespace {

using cif_dp::TCifDP;
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

}  // namespace
