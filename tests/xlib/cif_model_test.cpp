// The CIF document model: loop naming, values from tokens, blocks' lookups, copies and refusals.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sdl/raises.h"
#include "xlib/cif_text.h"

namespace {

using cif_dp::cetString;
using cif_dp::cetTable;
using cif_dp::TCifDP;
using cif_test::Picture;
using cif_test::U8;
using cif_test::W;
using zodu::testing_support::Raises;

TEST(CifModel, LoopNamesComeFromTheCommonPartOfTheColumns) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"_refln_index_h", "_refln_index_k"}, "_refln_index"},
      {{"_refln_index_h", "_refln_index_k", "_refln_intensity_meas"}, "_refln"},
      {{"_a", "_a_b"}, "_a"},
      {{"_x_y", "_zz"}, "_"},
      {{"_atom_site.label", "_atom_site.x"}, "_atom"},
      {{"_a_x", "_A_X"}, "_a_x"},
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
                                                     "mismatching loop columns",
                                                     "[xlib/cifdp(cif_dp::cetTable::AddCol):"));
}

TEST(CifModel, ValuesFromTokens) {
  const struct {
    std::string text, value;
    bool quoted;
  } cases[] = {
      {"'a b'", "a b", true}, {"ab", "ab", false}, {"", "", true},          {"a b", "a b", true},
      {"\"x\"", "x", true},   {"'", "'", false},   {"'x\"", "'x\"", false}, {"a\tb", "a\tb", true},
  };
  for (const auto& c : cases) {
    cetString s(W(c.text));
    EXPECT_EQ(U8(s.GetValue()), c.value) << c.text;
    EXPECT_EQ(s.IsQuoted(), c.quoted) << c.text;
  }
}

// Lookups ignore case; a copy has its own entries and maps; an unnamed item is refused.
TEST(CifModel, BlocksLookUpCopyAndRefuse) {
  TCifDP doc;
  doc.LoadFromString(W("data_DATA _a 1 loop_ _l_x _l_y 2 3 save_f _b 'x y' save_"));
  EXPECT_EQ(doc.FindBlock(W("data")), &doc[0]);
  EXPECT_EQ(&doc.AddBlock(W("F"), nullptr), &doc[1]);
  cif_dp::CifBlock& block = doc[0];
  std::unique_ptr<cif_dp::CifBlock> copy(static_cast<cif_dp::CifBlock*>(block.Replicate()));
  EXPECT_EQ(Picture(*copy->FindTable(W("_L"))), "loop _l(_l_x,_l_y):2,3");
  EXPECT_NE(copy->FindTable(W("_l")), block.FindTable(W("_l")));
  EXPECT_EQ(&copy->GetEntry(0), copy->FindEntry(W("_a")));
  auto* unnamed = new cetString(W("v"));
  EXPECT_TRUE(Raises<zodu::TInvalidArgumentException>([&] { block.Add(unnamed); }, "name",
                                                      "[xlib/cifdp(cif_dp::CifBlock::Add):"));
}

}  // namespace
