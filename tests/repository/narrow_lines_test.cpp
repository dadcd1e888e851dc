// Splitting text into lines and reading files into lines.
#include "repository/narrow_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdl/ebase.h"
#include "sdl/temp_folder.h"

using namespace zodu;
using Lines = std::vector<std::string>;

namespace {

Lines Of(const TCStrList& list) {
  Lines out;
  for (const vexcstr& line : list) out.emplace_back(line.raw(), line.Length());
  return out;
}

// Line feeds end lines; carriage returns at a line's end go, but never its first character;
// other bytes are kept as they are.
TEST(SplitNarrowLines, Table) {
  const std::pair<std::string, Lines> rows[] = {
      {"", {}},
      {"a", {"a"}},
      {"\n\n", {"", ""}},
      {"\na", {"", "a"}},
      {"ab\ncd\n", {"ab", "cd"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"\r", {""}},
      {"\r\r\n", {"\r"}},
      {"\r\r\r", {"\r"}},
      {"a\r\r\r\n", {"a"}},
      {"a\rb\n", {"a\rb"}},
      {"a\n\r", {"a", ""}},
      {std::string("a\0b\xff\n\x80", 6), {std::string("a\0b\xff", 4), "\x80"}},
  };
  for (const auto& [text, lines] : rows)
    EXPECT_EQ(Of(SplitNarrowLines(vexcstr(text.data(), text.size()))), lines) << text;
  const vexcstr text("first\r\nsecond\n");
  const TCStrList views = SplitNarrowLines(text);
  EXPECT_EQ(views[1].raw(), text.raw() + 7);  // views on the text's buffer
}

TEST(ReadNarrowLines, FilesReadAsTheirTextSplits) {
  zodu::testing::TempFolder folder;
  auto read = [&](const std::string& content) {
    return Of(ReadNarrowLines(zodu::testing::W(folder.MakeFile("f.hkl", content))).obj());
  };
  EXPECT_TRUE(read("").empty());
  EXPECT_EQ(read("a\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(read(std::string(100000, 'x') + "\nend"), (Lines{std::string(100000, 'x'), "end"}));
  EXPECT_THROW(ReadNarrowLines(zodu::testing::W(folder / "missing.hkl")), TFileException);
  EXPECT_THROW(ReadNarrowLines(zodu::testing::W(folder.path())), TFileException);
}

}  // namespace
