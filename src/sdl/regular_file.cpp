// Regular files only: why a path is none, opening one for reading without waiting on a pipe
// or device, and reading a whole file up to a bound.
#include "sdl/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>  // for strerror

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

namespace zt7 {

namespace {

// Why `path` is no readable regular file, or "".
std::string WhyNotRegularFile(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) {
    if (errno == ELOOP) return "a loop of symbolic links";
    if (errno == ENOENT || errno == ENOTDIR) return "no such file";
    return std::strerror(errno);
  }
  if (S_ISDIR(status.st_mode)) return "a folder, not a file";
  if (S_ISFIFO(status.st_mode)) return "a FIFO, not a regular file";
  if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "a device, not a regular file";
  if (S_ISSOCK(status.st_mode)) return "a socket, not a regular file";
  if (!S_ISREG(status.st_mode)) return "not a regular file";
  if (access(path.c_str(), R_OK) != 0) return "not readable";
  return "";
}

}  // namespace

Result<Done> RegularFile(const std::string& path) {
  std::string why = WhyNotRegularFile(path);
  if (why.empty()) return Result<Done>(Done());
  return Result<Done>(Outcome::kRefused, std::move(why));
}

Result<std::string> ReadRegularFile(const std::string& path, size_t limit) {
  using Text = Result<std::string>;
  if (const Result<Done> file = RegularFile(path); !file.Ok())
    return Text(Outcome::kRefused, file.Reason());
  Text text(std::string{});
  const zodu::FileFault fault = zodu::ReadRegularFile(path.c_str(), limit, true, text.Value());
  switch (fault.kind) {
    case zodu::FileFault::kNone:
      return text;
    case zodu::FileFault::kTooLarge:
      return Text(Outcome::kRefused, "more than " + std::to_string(limit) + " bytes");
    case zodu::FileFault::kNotRegular:
    case zodu::FileFault::kSymbolicLink:
      return Text(Outcome::kRefused, "not a regular file");
    default:
      return Text(Outcome::kError, std::strerror(fault.error));
  }
}

}  // namespace zt7
