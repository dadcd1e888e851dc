// TEMemoryStream against a plain string, and its position limits.
#include "sdl/memstream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zodu {
namespace {

// Random overwrites, appends and reads, checked against a std::string doing the same.
TEST(TEMemoryStream, BehavesLikeAStringAcrossSegments) {
  std::mt19937 random(3);
  for (size_t segment : {0, 1, 3, 7, 64, 4096}) {
    TEMemoryStream stream(segment);
    std::string model;
    size_t position = 0;
    for (int step = 0; step < 300; ++step) {
      std::string bytes(random() % 20, '\0');
      if (random() % 3 == 0) {
        stream.SetPosition(position = random() % (model.size() + 1));
      } else if (random() % 2 == 0) {
        for (char& b : bytes) b = static_cast<char>(random());
        stream.Write(bytes.data(), bytes.size());
        model.replace(position, std::min(bytes.size(), model.size() - position), bytes);
        position += bytes.size();
      } else if (position + bytes.size() <= model.size()) {
        stream.Read(bytes.data(), bytes.size());
        ASSERT_EQ(bytes, model.substr(position, bytes.size()));
        position += bytes.size();
      }
      ASSERT_EQ(stream.GetPosition(), position);
    }
    std::string all(stream.Length(), '\0');
    stream.SetPosition(0);
    stream.Read(all.data(), all.size());
    EXPECT_EQ(all, model) << "segment " << segment;
  }
}

// Positions of 4 GiB and more, writes beyond the length and reads past the end raise.
TEST(TEMemoryStream, Limits) {
  TEMemoryStream stream(4);
  stream.Write("abcdef", 6);
  stream.SetPosition(7);
  EXPECT_THROW(stream.Write("x", 1), TIndexOutOfRangeException);
  EXPECT_EQ(stream.Length(), 6u);
  stream.SetPosition(5);
  char buffer[3];
  EXPECT_THROW(stream.Read(buffer, 3), TIndexOutOfRangeException);
  EXPECT_EQ(stream.GetPosition(), 5u);
  stream.SetPosition(UINT32_MAX);
  for (uint64_t position : {uint64_t(1) << 32, UINT64_MAX})
    EXPECT_THROW(stream.SetPosition(position), TFunctionFailedException);
  EXPECT_EQ(stream.GetPosition(), UINT32_MAX);
}

}  // namespace
}  // namespace zodu
