// A stream that keeps what a log writes to it, for checking entries byte for byte.
#pragma once

#include <string>

#include "sdl/istream.h"

namespace zodu::testing {

class CaptureStream : public IOutputStream {
 public:
  explicit CaptureStream(bool* deleted = nullptr) : deleted_(deleted) {}
  ~CaptureStream() override {
    if (deleted_) *deleted_ = true;
  }
  using IOutputStream::Write;
  void Write(const void* data, size_t count) override {
    bytes.append(static_cast<const char*>(data), count);
    ++writes;
  }
  void Flush() override { ++flushes; }
  uint64_t Length() override { return bytes.size(); }
  uint64_t GetPosition() override { return bytes.size(); }
  void SetPosition(uint64_t) override {}

  std::string bytes;
  int writes = 0;
  int flushes = 0;

 private:
  bool* deleted_;
};

}  // namespace zodu::testing
