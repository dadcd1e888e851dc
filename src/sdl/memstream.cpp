// TEMemoryStream: reading and writing at the position.
#include "sdl/memstream.h"

namespace zodu {

void TEMemoryStream::SetPosition(uint64_t position) {
  CheckSize(position);
  position_ = static_cast<uint32_t>(position);
}

void TEMemoryStream::Read(void* buffer, size_t count) {
  if (count == 0) return;
  uint64_t end = uint64_t(position_) + count;
  if (count > GetLength() || end > GetLength()) RaiseIndexOutOfRange(ZT_SITE, end, 0, GetLength());
  TDirectionalList<char>::Read(position_, static_cast<char*>(buffer), count);
  position_ = static_cast<uint32_t>(end);
}

void TEMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return;
  CheckSize(count);
  uint64_t end = uint64_t(position_) + count;
  CheckSize(end);
  TDirectionalList<char>::Write(position_, static_cast<const char*>(buffer), count);
  position_ = static_cast<uint32_t>(end);
}

}  // namespace zodu
