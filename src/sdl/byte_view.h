// Bytes held in memory, read as a stream without a copy.
#pragma once

#include <cstring>  // for memcpy
#include <string_view>

#include "sdl/istream.h"
#include "sdl/raise.h"

namespace zodu {

// The bytes must outlive the stream.
class ByteView : public IInputStream {
 public:
  explicit ByteView(std::string_view bytes) : bytes_(bytes) {}
  using IInputStream::Read;
  void Read(void* buffer, size_t count) override {
    if (count > bytes_.size() - position_)
      RaiseIndexOutOfRange(ZT_SITE, position_ + count, 0, bytes_.size());
    if (count) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
  }
  uint64_t Length() override { return bytes_.size(); }
  uint64_t GetPosition() override { return position_; }
  void SetPosition(uint64_t position) override {
    if (position > bytes_.size()) RaiseIndexOutOfRange(ZT_SITE, position, 0, bytes_.size());
    position_ = position;
  }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

}  // namespace zodu
