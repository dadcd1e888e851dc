// Splitting text into lines and reading files into lines.
#include "repository/narrow_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdl/ebase.h"
#include "support/temp_folder.h"

using namespace zodu;
using zodu::testing::TempFolder;
using zodu::testing::W;
using Lines = std::vector<std::string>;

namespace {

Lines Of(const TCStrList& list) {
  Lines out;
  for (const vexcstr& line : list) out.emplace_back(line.raw(), line.Length());
  return out;
}

// The lines of a text split in memory; read from a file whole and in runs, they must be the same.
Lines SplitAndRead(const std::string& text) {
  const Lines split = Of(SplitNarrowLines(vexcstr(text.data(), text.size())));
  TempFolder folder;
  const vexstr path = W(folder.MakeFile("f.hkl", text));
  Lines byRuns;
  NarrowRunReader file(path);
  EXPECT_EQ(file.Size(), text.size());
  ForEachNarrowLineOf(file, [&](const char* line, size_t n) { byRuns.emplace_back(line, n); });
  EXPECT_EQ(byRuns, split);
  EXPECT_EQ(Of(ReadNarrowLines(path).obj()), split);
  return split;
}

// Line feeds end lines; carriage returns before a line end go, except a line's first character.
TEST(NarrowLines, LineEnds) {
  // Text, then each line in brackets.
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},           {"a\n\nb", "[a][][b]"}, {"a\r\nb\r\n", "[a][b]"}, {"\r", "[]"},
      {"\r\r\n", "[\r]"}, {"a\r\r\r\n", "[a]"},   {"a\rb\n", "[a\rb]"},     {"\ra\n", "[\ra]"},
  };
  for (const auto& [text, lines] : cases) {
    std::string got;
    for (const std::string& line : SplitAndRead(text)) got += "[" + line + "]";
    EXPECT_EQ(got, lines) << text;
  }
  EXPECT_EQ(SplitAndRead(std::string("a\0b\xff\n\x80\n", 7)),
            (Lines{std::string("a\0b\xff", 4), "\x80"}));  // bytes are kept as they are
}

// About 2 MB: lines of every length 0..40 with either line end, and lines longer than the
// pieces the file is read in, so that line ends fall on every kind of boundary.
TEST(NarrowLines, LinesAcrossPiecesAndLongerThanAPiece) {
  Lines expected;
  std::string content;
  for (int i = 0; content.size() < (size_t{2} << 20); ++i) {
    std::string line =
        i % 997 == 0 ? std::string(300000 + i, 'a' + i % 26) : std::string(i % 41, 'a' + i % 26);
    if (line.size() > 1 && i % 3 == 0) line[0] = '\r';  // kept: not trailing
    expected.push_back(line);
    content += line + (i % 2 ? "\r\n" : "\n");
  }
  expected.push_back("tail");
  EXPECT_EQ(SplitAndRead(content + "tail"), expected);
}

}  // namespace
