// The CIF document model: loop naming, values from tokens, blocks' rules, copies and failures.
#include <gtest/gtest.h>

#include <functional>
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
using zodu::TNotImplementedException;
using zodu::testing_support::Raises;

TEST(CifModel, LoopNamesComeFromTheCommonPartOfTheColumns) {
  struct Case {
    std::vector<std::string> columns;
    std::string name;
  } cases[] = {
      {{"_refln_index_h", "_refln_index_k"}, "_refln_index"},
      {{"_refln_index_h", "_refln_index_k", "_refln_intensity_meas"}, "_refln"},
      {{"_a", "_a_b"}, "_a"},
      {{"_x_y", "_zz"}, "_"},
      {{"_atom_site.label", "_atom_site.x"}, "_atom"},
      {{"_pd.a", "_pd.b"}, "_pd"},
      {{"_a_x", "_A_X"}, "_a_x"},
      // A third column sharing one character only leaves the common part as it was.
      {{"_ab_c", "_ab_d", "_q"}, "_ab"},
  };
  for (const Case& c : cases) {
    cetTable table;
    for (const std::string& column : c.columns) table.AddCol(W(column));
    EXPECT_EQ(U8(table.GetName()), c.name) << c.columns[0];
  }
  EXPECT_TRUE(Raises<zodu::TFunctionFailedException>(
      [] {
        cetTable table;
        table.AddCol(W("abc"));
        table.AddCol(W("xyz"));
      },
      "mismatching loop columns", "[xlib/cifdp(cif_dp::cetTable::AddCol):"));

  cetTable table;
  table.AddCol(W("_refln_index_h"));
  table.AddCol(W("_refln_index_k"));
  table.SetName(W("_r"));
  EXPECT_EQ(U8(table.ColName(0)) + " " + U8(table.ColName(1)), "_r_h _r_k");
  EXPECT_EQ(table.ColIndex(W("_R_K")), 1);
  EXPECT_EQ(table.ColIndex(W("_refln_index_k")), -1);
  EXPECT_EQ(table.AddRow(W("first")), 0u);
  table.Set(0, 1, new cetString(W("v")));
  table.AddCol(W("_r_l"));
  EXPECT_EQ(table.Get(0, 0), nullptr);
  EXPECT_EQ(Picture(*table.Get(0, 1)), "v");
  EXPECT_EQ(table.Get(0, 2), nullptr);
  EXPECT_EQ(U8(table.GetRowName(0)), "first");
}

TEST(CifModel, ValuesFromTokens) {
  struct Case {
    std::string text, value;
    bool quoted;
  } cases[] = {
      {"'a b'", "a b", true}, {"ab", "ab", false}, {"", "", true},          {"a b", "a b", true},
      {"\"x\"", "x", true},   {"'", "'", false},   {"'x\"", "'x\"", false}, {"a\tb", "a\tb", true},
  };
  for (const Case& c : cases) {
    cetString s(W(c.text));
    EXPECT_EQ(U8(s.GetValue()), c.value) << c.text;
    EXPECT_EQ(s.IsQuoted(), c.quoted) << c.text;
  }
}

TEST(CifModel, BlocksAddLookUpAndCopy) {
  TCifDP doc;
  doc.LoadFromString(W("data_DATA _a 1 loop_ _l_x _l_y 2 3 save_f _b 'x y' save_"));
  EXPECT_EQ(doc.FindBlock(W("data")), &doc[0]);
  EXPECT_EQ(doc.FindBlock(W("F")), &doc[1]);
  EXPECT_EQ(&doc.AddBlock(W("f"), nullptr), &doc[1]);

  cif_dp::CifBlock& block = doc[0];
  std::unique_ptr<cif_dp::CifBlock> copy(static_cast<cif_dp::CifBlock*>(block.Replicate()));
  EXPECT_EQ(Picture(*copy->FindTable(W("_L"))), "loop _l(_l_x,_l_y):2,3");
  EXPECT_NE(copy->FindTable(W("_l")), block.FindTable(W("_l")));
  EXPECT_EQ(copy->FindTable(W("_l")), copy->FindEntry(W("_l")));
  EXPECT_EQ(&copy->GetEntry(0), copy->FindEntry(W("_a")));

  const size_t count = block.Count();
  block.Add(new cif_dp::cetComment(W("note")));
  EXPECT_EQ(block.Count(), count + 1);
  auto* unnamed = new cetString(W("v"));
  EXPECT_TRUE(Raises<zodu::TInvalidArgumentException>([&] { block.Add(unnamed); }, "name",
                                                      "[xlib/cifdp(cif_dp::CifBlock::Add):"));
  doc.Clear();
  EXPECT_EQ(doc.Count(), 0u);
  EXPECT_EQ(doc.FindBlock(W("data")), nullptr);
}

TEST(CifModel, QueriesThatAKindDoesNotAnswer) {
  cif_dp::CifBlock block(W("b"), nullptr);
  cetTable table;
  cif_dp::cetList list;
  cif_dp::cetDict map;
  cif_dp::cetComment comment(W("c"));
  cetString plain(W("p"));
  struct Case {
    std::function<void()> query;
    std::string site;
  } cases[] = {
      {[&] { block.GetStringValue(); }, "CifBlock::GetStringValue"},
      {[&] { table.GetStringValue(); }, "cetTable::GetStringValue"},
      {[&] { list.GetStringValue(); }, "cetList::GetStringValue"},
      {[&] { map.GetStringValue(); }, "cetDict::GetStringValue"},
      {[&] { comment[0]; }, "IStringCifEntry::operator []"},
      {[&] { plain.GetComment(); }, "IStringCifEntry::GetComment"},
      {[&] { plain.GetName(); }, "ICifEntry::GetName"},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(
        Raises<TNotImplementedException>(c.query, "", "[xlib/cifdp(cif_dp::" + c.site + "):"))
        << c.site;
  EXPECT_EQ(U8(comment.ToString()), "c");
  EXPECT_EQ(comment.Count(), 0u);
}

}  // namespace
