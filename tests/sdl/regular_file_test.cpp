// Reading a whole regular file up to a bound; everything else refused with its reason.
#include "sdl/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <utility>

#include "support/temp_folder.h"

namespace zodu {
namespace {

TEST(RegularFile, ReadsUpToTheBoundAndRefusesTheRest) {
  testing::TempFolder dir;
  const std::string file = dir.MakeFile("ten", "0123456789"), pipe = dir / "pipe",
                    link = dir / "link";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
  // Path, bound, links followed; the fault, its errno and the text read.
  const std::tuple<std::string, size_t, bool, FileFault::Kind, int, std::string> cases[] = {
      {file, 10, false, FileFault::kNone, 0, "0123456789"},
      {file, 9, false, FileFault::kTooLarge, 0, ""},
      {dir / "missing", 10, true, FileFault::kCannotOpen, ENOENT, ""},
      {dir.path(), 10, true, FileFault::kNotRegular, 0, ""},
      {pipe, 10, true, FileFault::kNotRegular, 0, ""},  // not waited on: no writer comes
      {link, 10, false, FileFault::kSymbolicLink, ELOOP, ""},
      {link, 10, true, FileFault::kNone, 0, "0123456789"}};
  alarm(20);
  for (const auto& [path, most, followLinks, kind, error, expected] : cases) {
    std::string text;
    const FileFault fault = ReadRegularFile(path.c_str(), most, followLinks, text);
    EXPECT_EQ(std::make_pair(fault.kind, fault.error), std::make_pair(kind, error)) << path;
    EXPECT_EQ(text, expected) << path;
  }
  alarm(0);
}

}  // namespace
}  // namespace zodu
