// Listing folders by masks: which entries count, mask rules, names that are not UTF-8.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sdl/efile.h"
#include "support/temp_folder.h"

namespace zodu {
namespace {

using testing::TempFolder;
using testing::U8;
using testing::W;
using Names = std::vector<std::string>;

// A frames folder with the awkward neighbours a real one may have.
class ListFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"a.img", "B.IMG", "noext", "x.", ".hidden", "d.img.bak", "e.tif", "two.dots.img"})
      dir_.MakeFile(name);
    mkdir((dir_ / "sub.img").c_str(), 0700);
    mkfifo((dir_ / "pipe.img").c_str(), 0600);
    symlink("a.img", (dir_ / "link.img").c_str());
    symlink("sub.img", (dir_ / "dirlink.img").c_str());
    symlink("nowhere", (dir_ / "dead.img").c_str());
  }

  Names List(const char16_t* mask, unsigned flags = 1) {
    TStrList list;
    EXPECT_TRUE(TEFile::ListFolder(W(dir_.path()), list, mask, flags));
    Names names;
    for (const vexstr& s : list) names.push_back(U8(s));
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder dir_;
};

// Case is ignored; empty pieces are dropped; the name part ends at the last dot, and a piece
// without extension matches only names without one. Only files and links to them are listed:
// never folders, pipes (opening one would wait for a writer) or broken links.
TEST_F(ListFolderTest, MaskRules) {
  alarm(20);
  const Names img = {"B.IMG", "a.img", "link.img", "two.dots.img"};
  const std::pair<const char16_t*, Names> rows[] = {
      {u"*.img", img},
      {u"", {}},
      {u"two.*", {}},
      {u"two.dots.*", {"two.dots.img"}},
      {u"*.", {".hidden", "noext", "x."}},
      {u"*.bak;e.TIF", {"d.img.bak", "e.tif"}},
  };
  for (const auto& [mask, expected] : rows) EXPECT_EQ(List(mask), expected) << U8(mask);
  alarm(0);
}

// Appends, leaves the current folder, and lists names that are not UTF-8 so that they reopen.
TEST_F(ListFolderTest, AppendsAndReopensEveryName) {
  dir_.MakeFile("bad\xFF\xC3.img", "payload");
  vexstr before = TEFile::GetCurrentFolder();
  TStrList list;
  list.Add(u"kept");
  ASSERT_TRUE(TEFile::ListFolder(W(dir_.path()), list, u"bad*.img", 1));
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(U8(list[0]), "kept");
  EXPECT_EQ(std::u16string(list[1].raw(), list[1].Length()), u"bad\xDCFF\xDCC3.img");
  TEFile file(TEFile::AppendSeparator(W(dir_.path())) << list[1], u"rb");
  char buffer[7];
  file.Read(buffer, 7);
  EXPECT_EQ(std::string(buffer, 7), "payload");
  EXPECT_TRUE(TEFile::GetCurrentFolder().Equals(before));
  TStrList none;
  for (const vexstr& path : {W(dir_ / "none"), W(dir_ / "a.img"), vexstr()})
    EXPECT_FALSE(TEFile::ListFolder(path, none, u"*", 1)) << U8(path);
  EXPECT_EQ(none.Count(), 0u);
}

TEST(MaskAssociation, Wildcards) {
  const std::tuple<const char16_t*, const char16_t*, bool> rows[] = {
      {u"a*b*c.x", u"aXbYbZc.x", true}, {u"a?c.x", u"abc.X", true},
      {u"*.x", u".x", false},           {u"f*.", u"frame.img", false},
      {u"*.img", u"\xDCFF.img", true},  {u"?.img", u"\xD83D\xDE00.img", false},
  };
  for (const auto& [piece, text, matches] : rows) {
    vexstr name(text);
    EXPECT_EQ(TEFile::MaskAssociation(piece).Matches(name.raw(), name.Length()), matches)
        << U8(piece) << " vs " << U8(name);
  }
}

// Folders too with 0x2, and "." and ".." with 0x4 as well.
TEST_F(ListFolderTest, FoldersAndDotsByFlags) {
  const Names folders = {"dirlink.img", "sub.img"}, dots = {".", ".."};
  for (unsigned flags : {TEFile::kListFolders, TEFile::kListFolders | TEFile::kListDotFolders}) {
    Names all = List(u"*", flags), expected = List(u"*");
    expected.insert(expected.end(), folders.begin(), folders.end());
    if (flags & TEFile::kListDotFolders) expected.insert(expected.end(), dots.begin(), dots.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(all, expected) << flags;
  }
}

}  // namespace
}  // namespace zodu
