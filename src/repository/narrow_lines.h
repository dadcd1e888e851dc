// Reading a file into narrow text lines, whole or a piece at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>  // for memchr
#include <memory>

#include "sdl/constlist.h"
#include "sdl/efile.h"
#include "sdl/estrlist.h"

// Length of a line without its trailing carriage returns; a lone one goes, but the line's
// first character always stays.
inline size_t WithoutCarriageReturns(const char* line, size_t length) {
  if (length == 1 && line[0] == '\r') return 0;
  while (length > 1 && line[length - 1] == '\r') --length;
  return length;
}

// Calls take(line, length) for every line of the `n` bytes at `s`: split at line feeds
// (empty lines kept, none after a final line feed), trailing carriage returns removed
// except a line's first character.
template <class Take>
void ForEachNarrowLine(const char* s, size_t n, Take&& take) {
  for (size_t from = 0; from < n;) {
    const void* feed = std::memchr(s + from, '\n', n - from);
    const size_t end = feed ? static_cast<size_t>(static_cast<const char*>(feed) - s) : n;
    take(s + from, WithoutCarriageReturns(s + from, end - from));
    from = end + 1;
  }
}

// The lines of `text` as ForEachNarrowLine gives them, each a view on `text`'s buffer.
zodu::TCStrList SplitNarrowLines(const zodu::vexcstr& text);

// The whole file, read in binary mode, as SplitNarrowLines gives it. File errors and
// "invalid stream position" (files of 4 GiB or more) go to the caller.
zodu::ConstStrList<zodu::TCStrList> ReadNarrowLines(const zodu::vexstr& path);

// A file read in binary mode a piece at a time, handed out in runs of whole lines: each run
// ends right after a line feed, the last at the end of the file. Memory stays at one piece
// plus the longest line. Opening raises the file errors of ReadNarrowLines and "invalid
// stream position".
class NarrowRunReader {
 public:
  explicit NarrowRunReader(const zodu::vexstr& path);
  NarrowRunReader(const NarrowRunReader&) = delete;
  NarrowRunReader& operator=(const NarrowRunReader&) = delete;

  // The bytes of the file, all runs together.
  uint64_t Size() const { return size_; }
  // The next run, valid until the next call; false at the end of the file.
  bool Next(const char*& run, size_t& length);

 private:
  zodu::TEFile file_;
  uint64_t size_;
  uint64_t unread_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
  size_t held_ = 0;      // bytes after the last run, the start of an unfinished line
  size_t consumed_ = 0;  // bytes of the buffer handed out by the last call
};

// Every line of the file, as ForEachNarrowLine gives them, read a run at a time.
template <class Take>
void ForEachNarrowLineOf(NarrowRunReader& file, Take&& take) {
  const char* run;
  size_t length;
  while (file.Next(run, length)) ForEachNarrowLine(run, length, take);
}
