// Opening a regular file for reading without waiting on a pipe or device, and reading a
// whole file up to a bound.
#include "sdl/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace zodu {

FileDescriptor OpenRegularFile(const char* path, bool followLinks, FileFault& fault) {
  const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
  FileDescriptor fd(open(path, flags));
  fault = FileFault{};
  if (!fd.IsOpen()) {
    fault = {!followLinks && errno == ELOOP ? FileFault::kSymbolicLink : FileFault::kCannotOpen,
             errno};
    return fd;
  }
  struct stat st;
  if (fstat(fd.Get(), &st) != 0)
    fault = {FileFault::kCannotOpen, errno};
  else if (!S_ISREG(st.st_mode))
    fault = {FileFault::kNotRegular, 0};
  else if (fcntl(fd.Get(), F_SETFL, 0) != 0)  // reads of a regular file wait as usual
    fault = {FileFault::kCannotOpen, errno};
  if (fault.kind != FileFault::kNone) fd.Reset();
  return fd;
}

FileFault ReadBounded(int fd, size_t most, std::string& text) {
  char buffer[1 << 16];
  size_t given = 0;
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {FileFault::kUnreadable, errno};
    if (n == 0) return {};
    given += static_cast<size_t>(n);
    if (given > most) return {FileFault::kTooLarge, 0};
    text.append(buffer, static_cast<size_t>(n));
  }
}

// A file known to be too large is refused before any of it is read.
FileFault ReadRegularFile(const char* path, size_t most, bool followLinks, std::string& text) {
  FileFault fault;
  const FileDescriptor fd = OpenRegularFile(path, followLinks, fault);
  if (fault.kind != FileFault::kNone) return fault;
  struct stat st;
  if (fstat(fd.Get(), &st) == 0 && static_cast<uint64_t>(st.st_size) > most)
    return {FileFault::kTooLarge, 0};
  return ReadBounded(fd.Get(), most, text);
}

}  // namespace zodu
