// The index of the next frame to hash, from the leading bytes of the last frame's digest.
#include "zt3util/frames_digest.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PickFrameIndex, UsesAsManyDigestBytesAsTheCountNeeds) {
  const struct {
    size_t count;
    std::vector<unsigned char> leading;  // the first digest bytes; the rest are 0xEE
    size_t index;
  } cases[] = {
      {2, {0x00}, 1},  // zero picks the last frame
      {2, {0x05}, 1},
      {254, {0x00}, 253},  // one byte: the 0xEE after it does not count
      {254, {0xFE}, 0},
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
  for (const auto& c : cases) {
    zt7::FrameDigestBytes digest;
    digest.fill(0xEE);
    for (size_t i = 0; i < c.leading.size(); ++i) digest[i] = c.leading[i];
    EXPECT_EQ(zt7::PickFrameIndex(digest, c.count), c.index) << c.count;
  }
}

}  // namespace
