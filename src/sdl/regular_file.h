// Regular files only: why a path is none, opening one for reading without waiting on a pipe
// or device, and reading a whole file up to a bound.
#pragma once

#include <cstddef>
#include <string>

#include "sdl/file_descriptor.h"
#include "sdl/result.h"

namespace zodu {

// Why a file was not opened or read; `error` holds errno for kCannotOpen and kUnreadable.
struct FileFault {
  enum Kind { kNone, kCannotOpen, kSymbolicLink, kNotRegular, kTooLarge, kUnreadable };
  Kind kind = kNone;
  int error = 0;
};

// The regular file at `path`, opened for reading (blocking reads) and checked through its
// descriptor, so that nothing can be swapped in between; a FIFO is never waited on. With
// `followLinks` false a symbolic link is refused (kSymbolicLink) whatever it points at.
FileDescriptor OpenRegularFile(const char* path, bool followLinks, FileFault& fault);

// Appends what `fd` gives, to its end, to `text`; stops at kTooLarge as soon as more than
// `most` bytes were given.
FileFault ReadBounded(int fd, size_t most, std::string& text);

// OpenRegularFile, then ReadBounded of the whole file into `text`; a file whose size is
// already beyond `most` is refused unread.
FileFault ReadRegularFile(const char* path, size_t most, bool followLinks, std::string& text);

}  // namespace zodu

namespace zt7 {

// kOk for a readable regular file (links followed), else refused with the reason ("no such
// file", "a folder, not a file", "a FIFO, not a regular file", ...). Asked before anything
// is opened, so that nothing waits on a FIFO or reads a device without end.
Result<Done> RegularFile(const std::string& path);

// The whole of the regular file `path`, refused when it is none or holds more than
// `limit` bytes ("more than N bytes"), an error when it cannot be read.
Result<std::string> ReadRegularFile(const std::string& path, size_t limit);

}  // namespace zt7
