// Splitting text into lines and reading files into lines.
#include "repository/narrow_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdl/ebase.h"
#include "sdl/temp_folder.h"

using namespace zodu;
using zodu::testing::TempFolder;
using zodu::testing::W;

namespace {

std::vector<std::string> Lines(const TCStrList& list) {
  std::vector<std::string> out;
  for (const vexcstr& line : list) out.emplace_back(line.raw(), line.Length());
  return out;
}

std::vector<std::string> Split(const std::string& text) {
  return Lines(SplitNarrowLines(vexcstr(text.data(), text.size())));
}

struct SplitCase {
  std::string text;
  std::vector<std::string> lines;
};

TEST(SplitNarrowLines, LineFeedsEndLines) {
  const SplitCase cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"\n", {""}},
      {"\n\n", {"", ""}},
      {"\na", {"", "a"}},
      {"a\n\nb", {"a", "", "b"}},
      {"ab\ncd\n", {"ab", "cd"}},
      {"ab\ncd", {"ab", "cd"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text), c.lines) << c.text;
}

TEST(SplitNarrowLines, TrailingCarriageReturnsGoButNotTheFirstCharacter) {
  const SplitCase cases[] = {
      {"a\r\nb\r\n", {"a", "b"}}, {"\r\n", {""}},     {"\r", {""}},
      {"\r\r\n", {"\r"}},         {"\r\r\r", {"\r"}}, {"a\r\r\r\n", {"a"}},
      {"a\rb\n", {"a\rb"}},       {"\ra\n", {"\ra"}}, {"a\r", {"a"}},
      {"a\n\r", {"a", ""}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text), c.lines) << c.text;
}

TEST(SplitNarrowLines, LinesAreViewsOnTheTextsBuffer) {
  const vexcstr text("first\r\nsecond\n");
  const TCStrList lines = SplitNarrowLines(text);
  ASSERT_EQ(lines.Count(), 2u);
  EXPECT_EQ(lines[0].raw(), text.raw());
  EXPECT_EQ(lines[1].raw(), text.raw() + 7);
}

TEST(SplitNarrowLines, BytesAreKeptAsTheyAre) {
  const std::string text("a\0b\xff\n\x80\n", 7);
  EXPECT_EQ(Split(text), (std::vector<std::string>{std::string("a\0b\xff", 4), "\x80"}));
}

class ReadNarrowLinesTest : public ::testing::Test {
 protected:
  // The file's lines read whole; read in runs, they must be the same.
  std::vector<std::string> Read(const std::string& content) {
    const vexstr path = W(folder_.MakeFile("f.hkl", content));
    std::vector<std::string> lines = Lines(ReadNarrowLines(path).obj()), byRuns;
    NarrowRunReader file(path);
    EXPECT_EQ(file.Size(), content.size());
    ForEachNarrowLineOf(file, [&](const char* line, size_t n) { byRuns.emplace_back(line, n); });
    EXPECT_EQ(byRuns, lines);
    return lines;
  }
  TempFolder folder_;
};

TEST_F(ReadNarrowLinesTest, EmptyFileAndLastLineWithoutLineFeed) {
  EXPECT_TRUE(Read("").empty());
  EXPECT_EQ(Read("   1   2   3"), std::vector<std::string>{"   1   2   3"});
}

TEST_F(ReadNarrowLinesTest, CarriageReturnLineFeedFileReadsAsLineFeedFile) {
  const std::string lf = "   1   2   3   12.50    1.00\n   0   0   0    0.00    0.00\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Read(crlf), Read(lf));
  EXPECT_EQ(Read(lf).size(), 2u);
}

TEST_F(ReadNarrowLinesTest, BinaryContentAndLongLines) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 37);
  size_t feeds = 0;
  for (char c : binary) feeds += c == '\n';
  std::vector<std::string> lines = Read(binary);
  EXPECT_GE(lines.size(), feeds);
  EXPECT_LE(lines.size(), feeds + 1);
  EXPECT_EQ(Read(std::string(100000, 'x') + "\nend"),
            (std::vector<std::string>{std::string(100000, 'x'), "end"}));
}

TEST_F(ReadNarrowLinesTest, LinesAcrossPiecesAndLongerThanAPiece) {
  // About 2 MB: short lines of every length 0..40 with either line end, and lines longer
  // than the pieces the file is read in, so that lines and carriage returns fall on every
  // kind of boundary.
  std::vector<std::string> expected;
  std::string content;
  for (int i = 0; content.size() < (size_t{2} << 20); ++i) {
    std::string line =
        i % 997 == 0 ? std::string(300000 + i, 'a' + i % 26) : std::string(i % 41, 'a' + i % 26);
    if (line.size() > 1 && i % 3 == 0) line[0] = '\r';  // kept: not trailing
    expected.push_back(line);
    content += line + (i % 2 ? "\r\n" : "\n");
  }
  expected.push_back("tail");
  content += "tail";
  EXPECT_EQ(Read(content), expected);
}

TEST_F(ReadNarrowLinesTest, MissingFileAndFolderRaiseFileErrors) {
  for (const vexstr& path : {W(folder_ / "missing.hkl"), W(folder_.path())}) {
    EXPECT_THROW(ReadNarrowLines(path), TFileException);
    EXPECT_THROW(NarrowRunReader{path}, TFileException);
  }
}

}  // namespace
