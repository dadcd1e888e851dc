// TDirectionalList: elements in a chain of fixed-size blocks, written in place or appended.
#pragma once

#include <algorithm>
#include <cstring>  // for memcpy
#include <memory>
#include <type_traits>
#include <vector>

#include "sdl/raise.h"

namespace zodu {

// One block of the chain: `count` of its `size` slots are written.
template <class T>
struct TDirectionalListEntry {
  explicit TDirectionalListEntry(size_t size) : data(new T[size]) {}
  std::unique_ptr<T[]> data;
  size_t count = 0;
};

// Every block but the last is full, so position p lives in block p / segment size.
template <class T>
class TDirectionalList {
  static_assert(std::is_trivially_copyable_v<T>, "blocks are copied bytewise");

 public:
  // A segment size of 0 means 1.
  explicit TDirectionalList(size_t segmentSize) : segmentSize_(segmentSize ? segmentSize : 1) {}

  size_t GetLength() const { return length_; }

  // Overwrites from `position` up to the length, then appends the rest. A position equal
  // to the length appends; one beyond it raises.
  void Write(size_t position, const T* data, size_t count) {
    if (position > length_) RaiseIndexOutOfRange(ZT_SITE, position, 0, length_ + 1);
    while (count > 0) {
      size_t block = position / segmentSize_, offset = position % segmentSize_;
      if (block == blocks_.size()) blocks_.push_back(std::make_unique<Entry>(segmentSize_));
      Entry& entry = *blocks_[block];
      size_t n = std::min(count, segmentSize_ - offset);
      std::memcpy(entry.data.get() + offset, data, n * sizeof(T));
      if (offset + n > entry.count) {
        length_ += offset + n - entry.count;
        entry.count = offset + n;
      }
      position += n;
      data += n;
      count -= n;
    }
  }
  void Append(const T* data, size_t count) { Write(length_, data, count); }

  // Copies `count` elements from `position`; the caller keeps the range within the length.
  void Read(size_t position, T* to, size_t count) const {
    while (count > 0) {
      size_t block = position / segmentSize_, offset = position % segmentSize_;
      size_t n = std::min(count, segmentSize_ - offset);
      std::memcpy(to, blocks_[block]->data.get() + offset, n * sizeof(T));
      position += n;
      to += n;
      count -= n;
    }
  }

 private:
  using Entry = TDirectionalListEntry<T>;
  size_t segmentSize_;
  size_t length_ = 0;
  std::vector<std::unique_ptr<Entry>> blocks_;
};

}  // namespace zodu
