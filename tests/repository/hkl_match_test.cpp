// Matching reflection lists and HKL files by their fingerprints.
#include "repository/hkl_match.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "repository/hkl_text.h"
#include "sdl/ebase.h"
#include "sdl/temp_folder.h"

using namespace zodu;
using hkl_test::HklLine;
using zodu::testing::TempFolder;
using zodu::testing::W;

namespace {

TTypeList<hkl_util::Ref> Refs(const std::vector<double>& intensities) {
  TTypeList<hkl_util::Ref> refs;
  for (double I : intensities) refs.AddNew(hkl_util::Ref{1, 1, 1, I, 1.0});
  return refs;
}

std::vector<double> Stepped(int count) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) values.push_back(7.5 * i);
  return values;
}

TEST(MatchRefs, SameIntensitiesInAnyOrderMatch) {
  std::vector<double> values = Stepped(40);
  EXPECT_EQ(MatchRefs(Refs(values), Refs(values)), 0.0);
  std::reverse(values.begin(), values.end());
  EXPECT_EQ(MatchRefs(Refs(Stepped(40)), Refs(values)), 0.0);
}

TEST(MatchRefs, DifferentOrTooFewRecordsCannotBeCompared) {
  EXPECT_EQ(MatchRefs(Refs(Stepped(40)), Refs(Stepped(41))), 1.0);
  EXPECT_EQ(MatchRefs(Refs(Stepped(19)), Refs(Stepped(19))), 1.0);
  EXPECT_EQ(MatchRefs(Refs(Stepped(20)), Refs(Stepped(20))), 0.0);
  EXPECT_EQ(MatchRefs(Refs({}), Refs({})), 1.0);
}

TEST(MatchRefs, ABinEmptyOnOneSideCanMakeTheDistanceExceedOne) {
  // 10000 records, one per normalised count: B's single 312 sits in bin 12, empty in A,
  // adding 2 * 312 / (0 + 1 + 1); the other bins agree. 312 / 25 bins.
  std::vector<double> a(9999, 0.0), b(9998, 0.0);
  a.push_back(624);
  b.push_back(624);
  b.push_back(312);
  EXPECT_DOUBLE_EQ(MatchRefs(Refs(a), Refs(b)), 12.48);
}

class MatchHklFilesTest : public ::testing::Test {
 protected:
  vexstr File(const std::string& name, const std::vector<std::string>& lines) {
    return W(folder_.MakeFile(name, hkl_test::JoinLines(lines)));
  }
  TempFolder folder_;
};

// The same file, one record more and a missing file are checked through the export.
TEST_F(MatchHklFilesTest, ReorderedFileGivesZero) {
  std::vector<std::string> lines = hkl_test::SteppedReflections(30);
  const vexstr a = File("a.hkl", lines);
  std::reverse(lines.begin(), lines.end() - 1);
  EXPECT_EQ(MatchHklFiles(a, File("b.hkl", lines)), 0.0);
}

TEST_F(MatchHklFilesTest, UnusableLinesGiveOneBeforeTheOtherFileIsRead) {
  std::vector<std::string> titled = hkl_test::SteppedReflections(30);
  titled.insert(titled.begin(), "TITLE test crystal");
  std::vector<std::string> hex = hkl_test::SteppedReflections(30);
  hex[3] = "0x1F" + hex[3].substr(4);
  const vexstr a = File("a.hkl", hkl_test::SteppedReflections(30));
  EXPECT_EQ(MatchHklFiles(File("titled.hkl", titled), File("hex.hkl", hex)), 1.0);
  EXPECT_EQ(MatchHklFiles(File("short.hkl", hkl_test::SteppedReflections(18)), a), 1.0);
  EXPECT_EQ(MatchHklFiles(W(folder_.MakeFile("empty.hkl")), a), 1.0);
  EXPECT_THROW(MatchHklFiles(a, File("hex.hkl", hex)), TInvalidIntegerNumberException);
}

TEST_F(MatchHklFilesTest, ModelLengthIsEachFilesOwnFirstLine) {
  std::vector<std::string> wide;
  for (const std::string& line : hkl_test::SteppedReflections(30)) wide.push_back(line + "   1");
  EXPECT_EQ(MatchHklFiles(File("a.hkl", hkl_test::SteppedReflections(30)), File("w.hkl", wide)),
            0.0);
  // A first line of another length leaves only that line's length in the comparison.
  std::vector<std::string> mixed = hkl_test::SteppedReflections(30);
  mixed[0] += " ";
  EXPECT_EQ(MatchHklFiles(File("a.hkl", hkl_test::SteppedReflections(30)), File("m.hkl", mixed)),
            1.0);
}

TEST_F(MatchHklFilesTest, AFolderIsNoHklFile) {
  const vexstr a = File("a.hkl", hkl_test::SteppedReflections(30));
  EXPECT_THROW(MatchHklFiles(a, W(folder_.path())), TFileException);
}

}  // namespace
