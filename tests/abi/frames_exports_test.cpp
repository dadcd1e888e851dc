// The frames exports against a second computation, with their validation codes and log lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "abi/frames_fixture.h"
#include "support/frames_reference.h"
#include "support/loaded_module.h"
#include "zt7util.h"

namespace {

namespace fs = std::filesystem;
using frames_reference::FramesDigest;
using frames_testing::FrameFolder;
using frames_testing::kProceeding;

const std::string kTooFew = std::string(kProceeding) + "Too few frames\r\n";

using zt7test::Wide;

std::string Digest(const std::string& folder, const std::string& mask = "*.img") {
  return pcDigestFrames(Wide(folder).c_str(), Wide(mask).c_str());
}

int Validate(const std::string& folder, const char* first, const char* second) {
  return iValidateFramesDigests(Wide(folder).c_str(), u"*.img", first, second);
}

class FramesExports : public frames_testing::LoggedTest {};

// Around the counts where the next frame's index takes one more digest byte; the count
// is padded to five digits, and 100000 takes a sixth.
TEST_F(FramesExports, MatchesTheSecondComputationAcrossFrameCounts) {
  for (size_t count : {2, 123, 254, 255, 509, 510, 764, 765, 100000}) {
    FrameFolder folder;
    EXPECT_EQ(Digest(folder.path()), FramesDigest(folder.path(), folder.AddFrames(count))) << count;
    EXPECT_EQ(Digest(folder.path()).size(), count < 100000 ? 87u : 89u);
  }
}

TEST_F(FramesExports, NamesAreOrderedByTheirUtf16CodeUnits) {
  // U+1F600 comes before U+FF21 in UTF-16 (a surrogate, D83D) but after it in UTF-8: byte
  // order would pick the other first frame. Names that are not UTF-8 are listed and read too.
  const std::vector<std::string> names = {
      "\xF0\x9F\x98\x80.img", "\xEF\xBC\xA1.img", "B.img", "\xFF.img", "a\xC3.img",
      "a\xC3\xA9.img"};
  FrameFolder folder;
  for (const std::string& name : names) folder.MakeFile(name, "frame " + name);
  EXPECT_EQ(Digest(folder.path()), FramesDigest(folder.path(), names));
}

TEST_F(FramesExports, OutcomesAndTheirLogLines) {
  FrameFolder three, one, none;
  const std::string digest = FramesDigest(three.path(), three.AddFrames(3));
  one.AddFrames(1);
  const struct {
    std::string folder, mask, digest, logged;
  } cases[] = {
      {three.path(), "*.img", digest, kProceeding},
      {three.path() + "//", "*.img", digest, kProceeding},  // the folder may end in separators
      {one.path(), "*.img", "", kTooFew},
  };
  for (const auto& c : cases) {
    log.bytes.clear();
    EXPECT_EQ(Digest(c.folder, c.mask), c.digest) << c.folder;
    EXPECT_EQ(log.bytes, c.logged) << c.folder;
  }
  // A null folder is an empty one; a null mask selects nothing.
  log.bytes.clear();
  EXPECT_STREQ(pcDigestFrames(nullptr, u"*.img"), "");
  EXPECT_STREQ(pcDigestFrames(Wide(three.path()).c_str(), nullptr), "");
  EXPECT_EQ(log.bytes, "Empty frames folder name\r\n" + kTooFew);
}

TEST_F(FramesExports, ValidationCodes) {
  FrameFolder folder;
  const std::string digest = FramesDigest(folder.path(), folder.AddFrames(9));
  const std::string p = digest.substr(0, 43), q = digest.substr(44);
  const std::string kNull = "<null>";
  const struct {
    const char* what;
    std::string first, second;
    int code;
    bool listed;
  } cases[] = {
      {"both parts", p, q, 3, true},
      {"first part, 11-character second", p, q.substr(0, 11), 1, true},
      {"scheme character ':' is read but does not match", "0:" + p.substr(2), q, 0, true},
      {"nine characters", p.substr(0, 9), q, 0, false},
      {"null first part", kNull, q, 0, false},
  };
  auto text = [&](const std::string& part) { return part == kNull ? nullptr : part.c_str(); };
  for (const auto& c : cases) {
    log.bytes.clear();
    EXPECT_EQ(Validate(folder.path(), text(c.first), text(c.second)), c.code) << c.what;
    // A refusal's reason may follow; the folder is listed only for a comparable first part.
    EXPECT_EQ(log.bytes.rfind(kProceeding, 0) == 0, c.listed) << c.what << ": " << log.bytes;
  }
  log.bytes.clear();
  EXPECT_EQ(iValidateFramesDigests(nullptr, u"*.img", p.c_str(), q.c_str()), 0);
  EXPECT_EQ(log.bytes, "");
  // One byte of the first frame, which every part reads; then one more matching file,
  // which changes the count.
  folder.MakeFile("frame000000.img", "frame 1");  // was "frame 0"
  EXPECT_EQ(Validate(folder.path(), p.c_str(), q.c_str()), 0);
  folder.MakeFile("frame000000.img", "frame 0");
  ASSERT_EQ(Validate(folder.path(), p.c_str(), q.c_str()), 3);
  folder.AddFrames(1);
  EXPECT_EQ(Validate(folder.path(), p.c_str(), q.c_str()), 0);
}

// Folders and frames that the process may not read. Root reads anything, so the check
// runs in a child process that has given root up.
int UnreadableScenario(const std::string& folderPath, const std::string& framePath,
                       const std::string& expectedLog) {
  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 10;
  zodu::testing::CaptureStream log;
  zodu::TBasicApp::GetInstance().GetLog().AddStream(&log, false);
  if (Digest(folderPath) != "") return 1;
  if (Validate(folderPath, "01abcdefghijk", "11abcdefghijk") != 0) return 2;
  // The reason reaches the log.
  if (log.bytes.find(expectedLog) == std::string::npos) return 3;
  if (!framePath.empty() && log.bytes.find(framePath) == std::string::npos) return 4;
  zodu::TBasicApp::GetInstance().GetLog().RemoveStream(&log);
  return 0;
}

TEST_F(FramesExports, UnreadableFoldersAndFramesAreRefusedWithTheirReason) {
  GTEST_FLAG_SET(death_test_style, "fast");
  using fs::perms;
  FrameFolder folder;
  fs::permissions(folder.path(), perms::owner_all | perms::group_read | perms::group_exec |
                                     perms::others_read | perms::others_exec);
  folder.AddFrames(3);
  // The unreadable frame is read first or picked: make it the first.
  fs::permissions(folder / "frame000001.img", perms::none);
  fs::permissions(folder / "frame000000.img", perms::none);
  EXPECT_EXIT(
      std::exit(UnreadableScenario(folder.path(), folder / "frame000000.img", "NULL handle for")),
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
