// TEMemoryStream: a growable byte stream in memory.
#pragma once

#include "sdl/ebase.h"
#include "sdl/edlist.h"
#include "sdl/istream.h"

namespace zodu {

class TEMemoryStream : public TDirectionalList<char>,
                       public IDataInputStream,
                       public IDataOutputStream {
 public:
  // The bytes are kept in blocks of `segmentSize` (0 means 1).
  explicit TEMemoryStream(size_t segmentSize) : TDirectionalList<char>(segmentSize) {}

  using IInputStream::Read;
  using IOutputStream::Write;
  uint64_t Length() override { return GetLength(); }
  uint64_t GetPosition() override { return position_; }
  // Anywhere below 4 GiB; writing beyond the length raises.
  void SetPosition(uint64_t position) override;
  // Raises when fewer than `count` bytes follow the position.
  void Read(void* buffer, size_t count) override;
  // Overwrites from the position, then appends.
  void Write(const void* buffer, size_t count) override;
  void Flush() override {}

 private:
  uint32_t position_ = 0;
};

}  // namespace zodu
