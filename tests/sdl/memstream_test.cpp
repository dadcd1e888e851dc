// TEMemoryStream against a plain string, its position limits, and CheckSize.
#include "sdl/memstream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sdl/raises.h"

namespace zodu {
namespace {

using testing_support::Ascii;
using testing_support::Site;

std::string ReadAll(TEMemoryStream& stream) {
  std::string bytes(stream.Length(), '\0');
  stream.SetPosition(0);
  stream.Read(bytes.data(), bytes.size());
  return bytes;
}

// Random overwrites, appends and reads, checked against a std::string doing the same.
TEST(TEMemoryStream, BehavesLikeAStringAcrossSegments) {
  std::mt19937 random(3);
  for (size_t segment : {0, 1, 3, 7, 64, 4096}) {
    TEMemoryStream stream(segment);
    std::string model;
    size_t position = 0;
    for (int step = 0; step < 300; ++step) {
      size_t count = random() % 20;
      if (random() % 3 == 0) {
        position = random() % (model.size() + 1);
        stream.SetPosition(position);
      } else if (random() % 2 == 0) {
        std::string bytes(count, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        stream.Write(bytes.data(), count);
        model.replace(position, std::min(count, model.size() - position), bytes);
        position += count;
      } else if (position + count <= model.size()) {
        std::string bytes(count, '\0');
        stream.Read(bytes.data(), count);
        ASSERT_EQ(bytes, model.substr(position, count));
        position += count;
      }
      ASSERT_EQ(stream.GetPosition(), position);
      ASSERT_EQ(stream.Length(), model.size());
    }
    EXPECT_EQ(ReadAll(stream), model) << "segment " << segment;
  }
}

TEST(TEMemoryStream, PositionsOf4GiBAndMoreAreRefused) {
  TEMemoryStream stream(16);
  stream.SetPosition(UINT32_MAX);
  EXPECT_EQ(stream.GetPosition(), UINT32_MAX);
  for (uint64_t position : {uint64_t(1) << 32, UINT64_MAX}) {
    try {
      stream.SetPosition(position);
      ADD_FAILURE() << position;
    } catch (const TFunctionFailedException& e) {
      EXPECT_EQ(Ascii(e.GetMessage()), "invalid stream position");
      EXPECT_EQ(Site(e), "[sdl/istream(zodu::VexIStream::CheckSize)");
    }
  }
  EXPECT_EQ(stream.GetPosition(), UINT32_MAX);
  // Writing would carry the position past 4 GiB.
  EXPECT_THROW(stream.Write("ab", 2), TFunctionFailedException);
}

TEST(TEMemoryStream, WritingBeyondTheLengthRaises) {
  TEMemoryStream stream(4);
  stream.Write("abcdef", 6);
  stream.SetPosition(7);
  try {
    stream.Write("x", 1);
    ADD_FAILURE();
  } catch (const TIndexOutOfRangeException& e) {
    EXPECT_EQ(e.GetIndex(), 7u);
    EXPECT_EQ(e.GetMin(), 0u);
    EXPECT_EQ(e.GetMax(), 7u);
    EXPECT_EQ(Site(e), "[sdl/edlist(zodu::TDirectionalList<char>::Write)");
  }
  EXPECT_EQ(stream.Length(), 6u);
  stream.SetPosition(6);
  stream.Write("g", 1);
  EXPECT_EQ(ReadAll(stream), "abcdefg");
  stream.SetPosition(5);
  char buffer[3];
  EXPECT_THROW(stream.Read(buffer, 3), TIndexOutOfRangeException);
  EXPECT_EQ(stream.GetPosition(), 5u);
}

TEST(TEMemoryStream, TextWritersEndLinesWithCrLfAndReadersAppend) {
  TEMemoryStream stream(3);
  stream.Writeln(vexcstr("ab"));
  stream.Writeln(vexstr(u"\u00E9"));
  stream.Writeln();
  stream.Write(vexcstr("z"));
  EXPECT_EQ(ReadAll(stream), std::string("ab\r\n\xE9\0\r\0\n\0\r\nz", 13));
  stream.SetPosition(0);
  vexcstr narrow("<");
  stream.Read(narrow, 4);
  EXPECT_TRUE(narrow.Equals(vexcstr("<ab\r\n")));
  vexstr wide;
  stream.Read(wide, 3);
  EXPECT_EQ(std::u16string(wide.raw(), wide.Length()), u"\u00E9\r\n");
}

}  // namespace
}  // namespace zodu
