// Regular files only: why a path is none, and reading one whole, bounded.
#include "sdl/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>  // for strerror

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
  // Non-blocking, and checked again once open: the path may have changed in between.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Text(Outcome::kError, std::strerror(errno));
  struct stat status;
  Text text(std::string{});
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    text = Text(Outcome::kRefused, "not a regular file");
  } else {
    char buffer[1 << 16];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) text = Text(Outcome::kError, std::strerror(errno));
      if (n <= 0) break;
      if (text.Value().size() + static_cast<size_t>(n) > limit) {
        text = Text(Outcome::kRefused, "more than " + std::to_string(limit) + " bytes");
        break;
      }
      text.Value().append(buffer, static_cast<size_t>(n));
    }
  }
  close(fd);
  return text;
}

}  // namespace zt7
