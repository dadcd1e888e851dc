// Listing folders by masks: which entries count, mask rules, names that are not UTF-8.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sdl/efile.h"
#include "sdl/temp_folder.h"

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
    for (const char* name : {"a.img", "B.IMG", "c.Img", "long_name.img", "noext", "x.", ".hidden",
                             "d.img.bak", "e.tif", "two.dots.img"})
      dir_.MakeFile(name);
    mkdir((dir_ / "sub.img").c_str(), 0700);
    mkfifo((dir_ / "pipe.img").c_str(), 0600);
    symlink("a.img", (dir_ / "link.img").c_str());
    symlink("sub.img", (dir_ / "dirlink.img").c_str());
    symlink("nowhere", (dir_ / "dead.img").c_str());
  }

  Names List(const std::u16string& mask, unsigned flags = 1) {
    TStrList list;
    EXPECT_TRUE(TEFile::ListFolder(W(dir_.path()), list, vexstr(mask.data(), mask.size()), flags));
    Names names;
    for (const vexstr& s : list) names.push_back(U8(s));
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder dir_;
};

TEST_F(ListFolderTest, MaskRules) {
  const Names imgFiles = {"B.IMG", "a.img", "c.Img", "link.img", "long_name.img", "two.dots.img"};
  struct Row {
    std::u16string mask;
    Names expected;
  };
  const std::vector<Row> rows = {
      {u"*.img", imgFiles},
      {u"*.img;*.IMG", imgFiles},  // case is ignored, so the second piece adds nothing
      {u";;*.img;", imgFiles},     // empty pieces are dropped
      {u"", {}},
      {u";", {}},
      {u"?.img", {"B.IMG", "a.img", "c.Img"}},
      {u"*.?mg", imgFiles},
      {u"*.im", {}},
      {u"l*.img", {"link.img", "long_name.img"}},
      {u"*o*.*", {"long_name.img", "noext", "two.dots.img"}},
      {u"two.*", {}},  // the name part is everything before the last dot
      {u"two.dots.*", {"two.dots.img"}},
      {u"noext", {"noext"}},
      {u"*",
       {".hidden", "B.IMG", "a.img", "c.Img", "d.img.bak", "e.tif", "link.img", "long_name.img",
        "noext", "two.dots.img", "x."}},
      // A piece without extension matches only names without one.
      {u"n*", {"noext"}},
      {u"*.", {".hidden", "noext", "x."}},
      {u"*.bak;e.TIF", {"d.img.bak", "e.tif"}},
  };
  for (const Row& r : rows)
    EXPECT_EQ(List(r.mask), r.expected) << U8(vexstr(r.mask.data(), r.mask.size()));
}

TEST_F(ListFolderTest, FoldersOnlyWithTheirFlags) {
  const Names files = List(u"*.img", 1);
  EXPECT_EQ(std::count(files.begin(), files.end(), "sub.img"), 0);
  Names withFolders = files;
  withFolders.insert(withFolders.end(), {"dirlink.img", "sub.img"});
  std::sort(withFolders.begin(), withFolders.end());
  EXPECT_EQ(List(u"*.img", 0x2), withFolders);
  EXPECT_EQ(List(u"*.img", 0x1 | 0x2 | 0x4), withFolders);
  Names all = List(u"*", 0x2);
  EXPECT_EQ(std::count(all.begin(), all.end(), "."), 0);
  all = List(u"*", 0x4);
  EXPECT_EQ(std::count(all.begin(), all.end(), ".."), 0);
  all = List(u"*", 0x2 | 0x4);
  EXPECT_EQ(std::count(all.begin(), all.end(), "."), 1);
  EXPECT_EQ(std::count(all.begin(), all.end(), ".."), 1);
}

TEST_F(ListFolderTest, PipesSocketsAndBrokenLinksAreNeverListed) {
  std::string socketPath = dir_ / "sock.img";
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  alarm(20);  // a listing that opened the pipe would wait for a writer
  for (unsigned flags : {0x1u, 0x2u, 0x7u, 0x1907u}) {
    Names names = List(u"*", flags);
    for (const char* never : {"pipe.img", "sock.img", "dead.img"})
      EXPECT_EQ(std::count(names.begin(), names.end(), never), 0) << never;
  }
  alarm(0);
  close(fd);
}

TEST_F(ListFolderTest, ANameThatIsNotUtf8IsListedAndOpens) {
  dir_.MakeFile("bad\xFF\xC3.img", "payload");
  TStrList list;
  ASSERT_TRUE(TEFile::ListFolder(W(dir_.path()), list, u"bad*.img", 1));
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(std::u16string(list[0].raw(), list[0].Length()), u"bad\xDCFF\xDCC3.img");
  TEFile file(TEFile::AppendSeparator(W(dir_.path())) << list[0], u"rb");
  char buffer[7];
  file.Read(buffer, 7);
  EXPECT_EQ(std::string(buffer, 7), "payload");
}

TEST_F(ListFolderTest, AppendsAndLeavesTheCurrentFolderAlone) {
  vexstr before = TEFile::GetCurrentFolder();
  TStrList list;
  list.Add(u"kept");
  ASSERT_TRUE(TEFile::ListFolder(W(dir_.path()), list, u"a.img", 1));
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(U8(list[0]), "kept");
  EXPECT_EQ(U8(list[1]), "a.img");
  EXPECT_TRUE(TEFile::GetCurrentFolder().Equals(before));
}

TEST_F(ListFolderTest, FalseWhenTheFolderCannotBeRead) {
  TStrList list;
  EXPECT_FALSE(TEFile::ListFolder(W(dir_ / "none"), list, u"*", 1));
  EXPECT_FALSE(TEFile::ListFolder(W(dir_ / "a.img"), list, u"*", 1));
  EXPECT_FALSE(TEFile::ListFolder(u"", list, u"*", 1));
  EXPECT_EQ(list.Count(), 0u);
}

TEST(MaskAssociation, Wildcards) {
  struct Row {
    const char16_t* piece;
    const char16_t* name;
    bool matches;
  };
  const Row rows[] = {
      {u"a*b*c.x", u"abc.x", true},
      {u"a*b*c.x", u"aXbYbZc.x", true},
      {u"a*b*c.x", u"aXbYc.xc", false},
      {u"*a.x", u"aaa.x", true},
      {u"*a.x", u"b.x", false},
      {u"a?c.x", u"abc.X", true},
      {u"a?c.x", u"ac.x", false},
      {u"**.x", u"a.x", true},
      {u"*.x", u".x", false},  // a leading dot starts no extension
      {u"f*.*", u"frame", true},
      {u"f*.", u"frame.img", false},
      {u"FRAME_?1.IMG", u"frame_01.img", true},
      {u"*.img", u"\xDCFF.img", true},
      {u"?.img", u"\xD83D\xDE00.img", false},  // "?" is one 16-bit unit
  };
  for (const Row& r : rows) {
    vexstr name(r.name);
    EXPECT_EQ(TEFile::MaskAssociation(r.piece).Matches(name.raw(), name.Length()), r.matches)
        << U8(r.piece) << " vs " << U8(name);
  }
}

}  // namespace
}  // namespace zodu
