// The frames digest against a second computation: frame counts, sizes, masks, name order,
// the log lines, and folders that are missing, odd or changing.
#include "zt3util/frames_digest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sdl/temp_folder.h"
#include "zt3util/frames_fixture.h"
#include "zt3util/frames_reference.h"

namespace {

namespace fs = std::filesystem;
using frames_testing::FrameFolder;
using frames_testing::kProceeding;
using zodu::testing::W;

std::string Text(const zodu::vexcstr& s) {
  return std::string(s.raw(), s.Length());
}

std::string Digest(const std::string& folder, const std::string& mask) {
  return Text(zt7::DigestFolder(W(folder), W(mask)));
}

TEST(PickFrameIndex, UsesAsManyDigestBytesAsTheCountNeeds) {
  struct Case {
    size_t count;
    std::vector<unsigned char> leading;  // the first digest bytes; the rest are 0xEE
    size_t index;
  } cases[] = {
      {2, {0x00}, 1},  // zero picks the last frame
      {2, {0x04}, 0},
      {2, {0x05}, 1},
      {2, {0xFF}, 1},
      {254, {0x00}, 253},  // one byte: the 0xEE after it does not count
      {254, {0xFE}, 0},
      {254, {0xFD}, 253},
      {255, {0x01, 0x02}, 513 % 255},
      {255, {0x00, 0x00}, 254},
      {509, {0xFF, 0xFF}, 65535 % 509},
      {510, {0x00, 0x00, 0x01}, 65536 % 510},
      {764, {0x01, 0x00, 0x00}, 1},
      {765, {0x00, 0x00, 0x00, 0x01}, 16777216 % 765},
      {1000, {0x78, 0x56, 0x34, 0x12}, 0x12345678 % 1000},
      {1000, {0x00, 0x00, 0x00, 0x00}, 999},  // the fifth byte is never read
      {100000, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295u % 100000},
  };
  for (const Case& c : cases) {
    zt7::FrameDigestBytes digest;
    digest.fill(0xEE);
    for (size_t i = 0; i < c.leading.size(); ++i) digest[i] = c.leading[i];
    EXPECT_EQ(zt7::PickFrameIndex(digest, c.count), c.index) << c.count;
  }
}

class FolderDigest : public frames_testing::LoggedTest {};

// Around the counts where the frame index takes one more digest byte (the index itself is
// tested above); counts below 100000 are padded to five digits.
TEST_F(FolderDigest, MatchesTheSecondComputationAcrossFrameCounts) {
  const struct {
    size_t count;
    const char* text;
  } rows[] = {{2, "00002"},   {123, "00123"}, {254, "00254"}, {255, "00255"},
              {509, "00509"}, {510, "00510"}, {764, "00764"}, {765, "00765"}};
  for (const auto& row : rows) {
    FrameFolder folder;
    std::vector<std::string> names = folder.AddFrames(row.count);
    std::string digest = Digest(folder.path(), "*.img");
    EXPECT_EQ(digest, frames_reference::FramesDigest(folder.path(), names)) << row.count;
    ASSERT_EQ(digest.size(), 87u) << row.count;
    EXPECT_EQ(digest.substr(0, 2) + digest[43] + digest.substr(44, 2), "01,11");
    EXPECT_EQ(digest.substr(34, 5), row.text);
    EXPECT_EQ(digest.substr(44 + 34, 5), row.text);
  }
}

TEST_F(FolderDigest, FrameSizesAroundTheBlockBoundaries) {
  // Frames are hashed as streams, with the standard padding even at 56 bytes mod 64.
  FrameFolder folder;
  std::vector<std::string> names;
  for (size_t size : {0, 1, 55, 56, 57, 63, 64, 65, 120, 184, 4096 + 56}) {
    std::string name = "size" + std::to_string(size) + ".img";
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 7 + size);
    folder.MakeFile(name, content);
    names.push_back(name);
  }
  EXPECT_EQ(Digest(folder.path(), "*.img"), frames_reference::FramesDigest(folder.path(), names));
}

TEST_F(FolderDigest, MasksWithSeveralPiecesSelectTheFrames) {
  FrameFolder folder;
  for (const char* name : {"a.img", "B.IMG", "c.Img", "frame_1.cbf", "frame_10.cbf", "notes.txt",
                           "noext", "d.img.bak"})
    folder.MakeFile(name, std::string("content of ") + name);
  fs::create_directory(folder / "sub.img");                   // a folder is never a frame
  ASSERT_EQ(mkfifo((folder / "pipe.img").c_str(), 0644), 0);  // never listed, never opened
  auto before = folder.Snapshot();
  struct Case {
    const char* mask;
    std::vector<std::string> frames;
  } cases[] = {
      {"*.img", {"a.img", "B.IMG", "c.Img"}},
      {"*.img;*.IMG;;frame_?.cbf", {"a.img", "B.IMG", "c.Img", "frame_1.cbf"}},
      {"frame_*.cbf;noext", {"frame_1.cbf", "frame_10.cbf", "noext"}},
      {"*",
       {"a.img", "B.IMG", "c.Img", "frame_1.cbf", "frame_10.cbf", "notes.txt", "noext",
        "d.img.bak"}},
      {"?.*", {"a.img", "B.IMG", "c.Img"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Digest(folder.path(), c.mask),
              frames_reference::FramesDigest(folder.path(), c.frames))
        << c.mask;
  EXPECT_EQ(folder.Snapshot(), before);
}

TEST_F(FolderDigest, NamesAreOrderedByTheirUtf16CodeUnits) {
  // U+1F600 comes before U+FF21 in UTF-16 (a surrogate, D83D) but after it in UTF-8.
  FrameFolder folder;
  std::vector<std::string> names = {"\xF0\x9F\x98\x80.img", "\xEF\xBC\xA1.img"};
  for (const std::string& name : names) folder.MakeFile(name, "frame " + name);
  std::string digest = Digest(folder.path(), "*.img");
  EXPECT_EQ(digest, frames_reference::FramesDigest(folder.path(), names));
  // Byte order would have picked the other first frame. Names that are not UTF-8 are
  // listed and read too.
  std::vector<std::string> both = {"B.img",
                                   "\xFF.img",
                                   "a\xC3.img",
                                   "a.img",
                                   "ab.img",
                                   "a\xC3\xA9.img",
                                   "b.img",
                                   "\xF0\x9F\x98\x80.img",
                                   "\xEF\xBC\xA1.img",
                                   "A.img"};
  FrameFolder many;
  for (const std::string& name : both) many.MakeFile(name, "frame " + name);
  EXPECT_EQ(Digest(many.path(), "*.img"), frames_reference::FramesDigest(many.path(), both));
}

TEST_F(FolderDigest, ASuccessLogsOneLineAndTheFolderMayEndInSeparators) {
  FrameFolder folder;
  std::string expected = frames_reference::FramesDigest(folder.path(), folder.AddFrames(3));
  for (const char* end : {"", "/", "//"}) {
    log.bytes.clear();
    EXPECT_EQ(Digest(folder.path() + end, "*.img"), expected) << end;
    EXPECT_EQ(log.bytes, kProceeding) << end;
  }
}

TEST_F(FolderDigest, RefusalsAndTheirLogLines) {
  FrameFolder one, none;
  one.AddFrames(1);
  one.MakeFile("other.txt", "not a frame");
  struct Case {
    std::string folder, mask, logged;
  } cases[] = {
      {one.path(), "*.img", std::string(kProceeding) + "Too few frames\r\n"},
      {none.path(), "*.img", std::string(kProceeding) + "Too few frames\r\n"},
      {one.path(), "", std::string(kProceeding) + "Too few frames\r\n"},
      {one / "other.txt", "*", "Not a directory\r\n"},
      {one / "missing", "*", "Not a directory\r\n"},
      {"", "*", "Empty frames folder name\r\n"},
  };
  for (const Case& c : cases) {
    log.bytes.clear();
    EXPECT_EQ(Digest(c.folder, c.mask), "") << c.folder;
    EXPECT_EQ(log.bytes, c.logged) << c.folder;
  }
}

// Runs `change` when the digest announces itself in the log, between the folder check and
// the listing.
class OnProceeding : public zodu::AActionHandler {
 public:
  explicit OnProceeding(std::function<void()> change) : change_(std::move(change)) {}
  bool Execute(const zodu::IVexObject*, const zodu::IVexObject* data) override {
    if (Text(zodu::vexcstr(data->ToString())) == kProceeding && change_)
      std::exchange(change_, {})();
    return false;
  }

 private:
  std::function<void()> change_;
};

TEST_F(FolderDigest, AFolderThatVanishesOrEmptiesOnTheWay) {
  const struct {
    void (*change)(const std::string&);
    std::string logged;
  } rows[] = {
      {[](const std::string& path) { fs::remove_all(path); }, kProceeding},
      {[](const std::string& path) {
         for (const auto& entry : fs::directory_iterator(path)) fs::remove(entry.path());
       },
       std::string(kProceeding) + "Too few frames\r\n"},
  };
  zodu::TActionQueue& post = zodu::TBasicApp::GetInstance().GetLog().OnPost();
  for (const auto& row : rows) {
    log.bytes.clear();
    FrameFolder folder;
    folder.AddFrames(5);
    const std::string path = folder.path();
    zodu::AActionHandler& handler =
        post.Add(new OnProceeding([path, change = row.change] { change(path); }));
    EXPECT_EQ(Digest(path, "*.img"), "");
    EXPECT_EQ(log.bytes, row.logged);
    handler.SetEnabled(false);
  }
}

TEST_F(FolderDigest, LargeFolders) {
  // The count text gets a sixth digit.
  FrameFolder folder;
  std::vector<std::string> names = folder.AddFrames(100000);
  std::string digest = Digest(folder.path(), "*.img");
  EXPECT_EQ(digest, frames_reference::FramesDigest(folder.path(), names));
  EXPECT_EQ(digest.size(), 89u);
  EXPECT_EQ(digest.substr(34, 6), "100000");
}

}  // namespace
