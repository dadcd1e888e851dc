// The frames exports: digests and validation codes as the host gets them, and refusals
// (with their reasons in the log) for folders and frames that cannot be read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/loaded_module.h"
#include "zt3util/frames_fixture.h"
#include "zt3util/frames_reference.h"
#include "zt7util.h"

namespace {

namespace fs = std::filesystem;
using frames_testing::FrameFolder;
using frames_testing::kProceeding;

std::u16string Wide(const std::string& utf8) {
  return fs::path(utf8).u16string();
}

class FramesExports : public frames_testing::LoggedTest {
 protected:
  std::string DigestOf(const std::string& folder, const std::string& mask = "*.img") {
    return pcDigestFrames(Wide(folder).c_str(), Wide(mask).c_str());
  }
  int Validate(const std::string& folder, const char* first, const char* second,
               const std::string& mask = "*.img") {
    return iValidateFramesDigests(Wide(folder).c_str(), Wide(mask).c_str(), first, second);
  }
};

TEST_F(FramesExports, NullArgumentsAreRefused) {
  EXPECT_STREQ(pcDigestFrames(nullptr, u"*.img"), "");
  EXPECT_EQ(log.bytes, "Empty frames folder name\r\n");
  FrameFolder folder;
  folder.AddFrames(3);
  log.bytes.clear();
  // A null mask is an empty one: it selects nothing.
  EXPECT_STREQ(pcDigestFrames(Wide(folder.path()).c_str(), nullptr), "");
  EXPECT_EQ(log.bytes, std::string(kProceeding) + "Too few frames\r\n");
  log.bytes.clear();
  EXPECT_EQ(iValidateFramesDigests(nullptr, u"*.img", "01abcdefghij", nullptr), 0);
  EXPECT_EQ(log.bytes, "");
}

TEST_F(FramesExports, ValidationCodes) {
  FrameFolder folder;
  const auto& names = folder.AddFrames(9);
  std::string digest = frames_reference::FramesDigest(folder.path(), names);
  const std::string p = digest.substr(0, 43), q = digest.substr(44);
  auto changedAt = [](std::string text, size_t i) {
    text[i] = text[i] == 'f' ? 'e' : 'f';
    return text;
  };
  const std::string kNull = "<null>";
  struct Case {
    const char* what;
    std::string first, second;
    int code;
    bool listed;
  } cases[] = {
      {"both parts", p, q, 3, true},
      {"first part, null second", p, kNull, 1, true},
      {"first part, 10-character second", p, q.substr(0, 10), 1, true},
      {"first part, 11-character second", p, q.substr(0, 11), 1, true},
      {"first part, wrong second", p, "11" + std::string(41, 'x'), 1, true},
      {"second part differing at its end", p, changedAt(q, 42), 1, true},
      {"first characters are never compared", "X" + p.substr(1), "?" + q.substr(1), 3, true},
      {"first part differing in its third character", changedAt(p, 2), q, 0, true},
      {"first part one character short", p.substr(0, 42), q, 0, true},
      {"first part one character long", p + "0", q, 0, true},
      {"scheme character ':' is read but does not match", "0:" + p.substr(2), q, 0, true},
      {"scheme character '0'", "00" + p.substr(2), q, 0, false},
      {"scheme character 'A'", "0A" + p.substr(2), q, 0, false},
      {"scheme character '<'", "0<" + p.substr(2), q, 0, false},
      {"nine characters", p.substr(0, 9), q, 0, false},
      {"the whole digest as first part", digest, q, 0, true},
  };
  for (const Case& c : cases) {
    log.bytes.clear();
    const char* second = c.second == kNull ? nullptr : c.second.c_str();
    EXPECT_EQ(Validate(folder.path(), c.first.c_str(), second), c.code) << c.what;
    // A refusal's reason may follow; the folder is listed only for a comparable first part.
    EXPECT_EQ(log.bytes.rfind(kProceeding, 0) == 0, c.listed) << c.what << ": " << log.bytes;
  }
  EXPECT_EQ(Validate(folder.path(), nullptr, q.c_str()), 0);
}

TEST_F(FramesExports, ChangesToTheFolder) {
  FrameFolder folder;
  std::vector<std::string> names = folder.AddFrames(6);
  std::string digest = frames_reference::FramesDigest(folder.path(), names);
  const std::string p = digest.substr(0, 43), q = digest.substr(44);
  ASSERT_EQ(Validate(folder.path(), p.c_str(), q.c_str()), 3);
  // One byte of the first frame: both parts change.
  folder.MakeFile(names[0], "frame 1");  // was "frame 0"
  std::string changed = DigestOf(folder.path());
  EXPECT_NE(changed.substr(0, 43), p);
  EXPECT_NE(changed.substr(44), q);
  EXPECT_EQ(Validate(folder.path(), p.c_str(), q.c_str()), 0);
  folder.MakeFile(names[0], "frame 0");
  ASSERT_EQ(Validate(folder.path(), p.c_str(), q.c_str()), 3);
  // A matching file: another count, so both parts change.
  folder.AddFrames(1);
  std::string grown = DigestOf(folder.path());
  EXPECT_EQ(grown.substr(34, 5), "00007");
  EXPECT_NE(grown.substr(44), q);
  EXPECT_EQ(Validate(folder.path(), p.c_str(), q.c_str()), 0);
}

// Folders and frames that the process may not read. Root reads anything, so the check
// runs in a child process that has given root up.
int UnreadableScenario(const std::string& folderPath, const std::string& framePath,
                       const std::string& expectedLog) {
  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 10;
  zodu::testing::CaptureStream log;
  zodu::TBasicApp::GetInstance().GetLog().AddStream(&log, false);
  std::u16string folder = Wide(folderPath);
  if (std::string(pcDigestFrames(folder.c_str(), u"*.img")) != "") return 1;
  if (iValidateFramesDigests(folder.c_str(), u"*.img", "01abcdefghijk", "11abcdefghijk") != 0)
    return 2;
  // The reason reaches the log.
  if (log.bytes.find(expectedLog) == std::string::npos) return 3;
  if (!framePath.empty() && log.bytes.find(framePath) == std::string::npos) return 4;
  zodu::TBasicApp::GetInstance().GetLog().RemoveStream(&log);
  return 0;
}

TEST_F(FramesExports, UnreadableFoldersAndFramesAreRefusedWithTheirReason) {
  GTEST_FLAG_SET(death_test_style, "fast");
  FrameFolder folder;
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  folder.AddFrames(3);
  fs::permissions(folder / "frame000001.img", fs::perms::none);
  // The unreadable frame is read first or picked: make it the first.
  fs::permissions(folder / "frame000000.img", fs::perms::none);
  EXPECT_EXIT(
      std::exit(UnreadableScenario(folder.path(), folder / "frame000000.img", "NULL handle for")),
      ::testing::ExitedWithCode(0), "");

  FrameFolder closed;
  fs::permissions(closed.path(), fs::perms::owner_all | fs::perms::others_exec);
  closed.AddFrames(3);
  fs::permissions(closed.path(),
                  fs::perms::owner_write | fs::perms::owner_exec | fs::perms::others_exec);
  EXPECT_EXIT(std::exit(UnreadableScenario(closed.path(), "", "Too few frames\r\n")),
              ::testing::ExitedWithCode(0), "");
  fs::permissions(closed.path(), fs::perms::owner_all);
}

// The same digest through the loaded library, as a host calls it.
TEST(FramesExportsLoaded, TheLibraryGivesTheSameDigest) {
  FrameFolder folder;
  const auto& names = folder.AddFrames(5);
  zt7test::FreshModule module;
  std::u16string path = Wide(folder.path());
  EXPECT_EQ(EXPORT(module, pcDigestFrames)(path.c_str(), u"*.img"),
            frames_reference::FramesDigest(folder.path(), names));
  std::string digest = frames_reference::FramesDigest(folder.path(), names);
  EXPECT_EQ(EXPORT(module, iValidateFramesDigests)(
                path.c_str(), u"*.img", digest.substr(0, 43).c_str(), digest.substr(44).c_str()),
            3);
}

}  // namespace
