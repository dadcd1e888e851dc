// A file descriptor owned by its holder and closed with it.
#include "sdl/file_descriptor.h"

#include <unistd.h>

namespace zodu {

bool FileDescriptor::Close() {
  return fd_ < 0 || close(std::exchange(fd_, -1)) == 0;
}

void FileDescriptor::Reset() {
  if (fd_ >= 0) close(std::exchange(fd_, -1));
}

}  // namespace zodu
