// Reading a file into narrow text lines, whole or a piece at a time.
#include "repository/narrow_lines.h"

#include <algorithm>
#include <cstdlib>  // for free
#include <cstring>  // for memmove, memrchr

#include "repository/byte_words.h"

using namespace zodu;

namespace {

// Large enough that reading costs few calls, small enough to stay in the cache.
constexpr size_t kPieceBytes = size_t{256} << 10;

size_t CountLineFeeds(const char* s, size_t n) {
  size_t count = 0, i = 0;
  for (; i + 8 <= n; i += 8)
    count += zt7::byte_words::CountMarked(
        zt7::byte_words::BytesEqual(zt7::byte_words::Load(s + i), '\n'));
  for (; i < n; ++i) count += s[i] == '\n';
  return count;
}

}  // namespace

TCStrList SplitNarrowLines(const vexcstr& text) {
  TCStrList lines;
  const char* const s = text.raw();
  const size_t n = text.Length();
  // Sized once: growing by steps would move the entries and touch fresh pages several times.
  lines.SetCapacity(CountLineFeeds(s, n) + 1);
  ForEachNarrowLine(s, n, [&](const char* line, size_t length) {
    lines.Add(text.SubString(static_cast<size_t>(line - s), length));
  });
  return lines;
}

ConstStrList<TCStrList> ReadNarrowLines(const vexstr& path) {
  TEFile file(path, u"rb");
  const uint64_t size = file.Length() - file.GetPosition();
  VexIStream::CheckSize(size);
  vexcstr text;
  if (size != 0) {
    std::unique_ptr<char, decltype(&std::free)> chars(static_cast<char*>(vex_malloc_(size + 1)),
                                                      &std::free);
    file.Read(chars.get(), size);
    chars.get()[size] = 0;  // so that c_str() needs no copy
    text = vexcstr::Adopt(chars.release(), size, size + 1);
  }
  file.Close();
  return ConstStrList<TCStrList>(SplitNarrowLines(text));
}

NarrowRunReader::NarrowRunReader(const vexstr& path) : file_(path, u"rb") {
  size_ = file_.Length() - file_.GetPosition();
  VexIStream::CheckSize(size_);
  unread_ = size_;
  capacity_ = static_cast<size_t>(std::min<uint64_t>(kPieceBytes, size_));
  buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
}

bool NarrowRunReader::Next(const char*& run, size_t& length) {
  // The unfinished line moves to the front; a line longer than half the buffer doubles it,
  // so that every read still fills a good part of it.
  std::memmove(buffer_.get(), buffer_.get() + consumed_, held_);
  consumed_ = 0;
  while (unread_ != 0) {
    if (held_ > capacity_ / 2 && capacity_ < size_) {
      const size_t capacity = static_cast<size_t>(std::min<uint64_t>(2 * capacity_, size_));
      auto larger = std::make_unique_for_overwrite<char[]>(capacity);
      std::memcpy(larger.get(), buffer_.get(), held_);
      buffer_ = std::move(larger);
      capacity_ = capacity;
    }
    const size_t count = static_cast<size_t>(std::min<uint64_t>(capacity_ - held_, unread_));
    file_.Read(buffer_.get() + held_, count);
    unread_ -= count;
    const size_t filled = held_ + count;
    if (unread_ == 0) {
      consumed_ = filled;
    } else {
      const void* feed = memrchr(buffer_.get() + held_, '\n', count);
      if (!feed) {
        held_ = filled;
        continue;
      }
      consumed_ = static_cast<size_t>(static_cast<const char*>(feed) - buffer_.get()) + 1;
    }
    held_ = filled - consumed_;
    run = buffer_.get();
    length = consumed_;
    return true;
  }
  // The last read handed out everything it held.
  return false;
}
