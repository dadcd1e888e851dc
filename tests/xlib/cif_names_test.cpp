// Finding entries and columns by name, in blocks and loops both short (searched) and long
// (hashed): case, replacement and loops named alike follow the same rules either way.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "xlib/cif_text.h"

namespace {

using cif_dp::CifBlock;
using cif_dp::TCifDP;
using cif_test::Picture;
using cif_test::U8;
using cif_test::W;

// `fillers` items named _f0, _f1, ... before the rest, so that the block is long or short.
std::string Filled(size_t fillers, const std::string& rest) {
  std::string text = "data_d\n";
  for (size_t i = 0; i < fillers; ++i)
    text += "_f" + std::to_string(i) + " " + std::to_string(i) + "\n";
  return text + rest;
}

class CifNames : public ::testing::TestWithParam<size_t> {};

TEST_P(CifNames, LatestEntryOfANameIgnoringCase) {
  const size_t fillers = GetParam();
  TCifDP doc;
  // _Val is given again in other case; _l is a loop, then an item (which hides the loop),
  // then a loop again.
  doc.LoadFromString(W(Filled(fillers, "_Val 1 _b 2 loop_ _l_x _l_y 3 4 _L 6 _VAL 5")));
  EXPECT_EQ(doc[0].FindTable(W("_l")), nullptr);
  EXPECT_EQ(Picture(*doc[0].FindEntry(W("_l"))), "6");
  doc.LoadFromString(W(Filled(fillers,
                              "_Val 1 _b 2 loop_ _l_x _l_y 3 4 _L 6 _VAL 5 "
                              "loop_ _l_a _l_b 7 8 # note\n")));
  const CifBlock& block = doc[0];
  EXPECT_EQ(block.Count(), fillers + 6);  // _VAL took _Val's place; the first loop stays
  EXPECT_EQ(Picture(*block.FindEntry(W("_val"))), "5");
  EXPECT_EQ(U8(block.GetEntry(fillers).GetName()), "_VAL");
  const cif_dp::cetTable* loop = block.FindTable(W("_L"));
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(block.FindEntry(W("_l")), loop);
  EXPECT_EQ(block.TableCount(), 1u);
  EXPECT_EQ(U8(loop->ColName(0)), "_l_a");
  // A copy finds its own entries under the same names.
  const std::unique_ptr<CifBlock> copy(static_cast<CifBlock*>(block.Replicate()));
  ASSERT_NE(copy->FindTable(W("_l")), nullptr);
  EXPECT_NE(copy->FindTable(W("_l")), loop);
  EXPECT_EQ(Picture(*copy->FindEntry(W("_VAL"))), "5");
}

TEST_P(CifNames, LoopColumnsIgnoringCaseFirstOneKept) {
  const size_t columns = GetParam() + 2;
  std::string text = "data_d loop_";
  for (size_t i = 0; i < columns; ++i) text += " _t.c" + std::to_string(i);
  text += " _T.C1";  // the same column again: not a new one
  for (size_t i = 0; i < columns; ++i) text += " v" + std::to_string(i);
  TCifDP doc;
  doc.LoadFromString(W(text));
  const cif_dp::cetTable& loop = *doc[0].FindTable(W("_t"));
  EXPECT_EQ(loop.ColCount(), columns);
  EXPECT_EQ(loop.ColIndex(W("_T.C1")), 1);
  EXPECT_EQ(loop.ColIndex(W("_t.c" + std::to_string(columns - 1))), long(columns - 1));
}

TEST_P(CifNames, BlocksIgnoringCaseRenamedWhenTaken) {
  std::string text;
  for (size_t i = 0; i < GetParam(); ++i) text += "data_b" + std::to_string(i) + " ";
  TCifDP doc;
  doc.LoadFromString(W(text + "data_x save_f _a 1 save_ save_F _b 2 save_ data_X data_x1"));
  EXPECT_EQ(doc.Count(), GetParam() + 4);
  EXPECT_EQ(doc.FindBlock(W("F"))->GetParent(), doc.FindBlock(W("X")));
  EXPECT_EQ(U8(doc.FindBlock(W("x1"))->GetName()), "X1");
  EXPECT_EQ(U8(doc[GetParam() + 3].GetName()), "x11");
}

INSTANTIATE_TEST_SUITE_P(ShortAndLong, CifNames, ::testing::Values(0, 40));

}  // namespace
