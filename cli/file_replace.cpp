// Replacing a file's content in one step, so that no reader ever sees half of it.
#include "file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>   // for renameat2
#include <cstring>  // for strerror
#include <filesystem>

namespace zt7cli {
namespace {

// The permissions a newly created file would get, or those of the file it replaces.
mode_t ModeFor(const std::string& path) {
  struct stat old;
  if (stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int fd, const std::string& content) {
  for (size_t done = 0; done < content.size();) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return errno = EIO, false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string ReplaceFile(const std::string& path, const std::string& content, bool replace) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::file_status status = fs::symlink_status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) return "not a regular file";
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // Hidden, and unique through mkstemp.
  fs::path name = target.filename();
  name += ".XXXXXX";
  std::string temporary = (folder / ".").string();
  temporary += name.string();
  int fd = mkstemp(temporary.data());
  if (fd < 0) return std::string("cannot create a file beside it: ") + std::strerror(errno);
  bool written = WriteAll(fd, content) && fchmod(fd, ModeFor(path)) == 0 && fsync(fd) == 0;
  int saved = errno;
  if (close(fd) != 0 && written) written = false, saved = errno;
  if (written) {
    const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), flags) == 0) {
      const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      const bool synced = directory >= 0 && fsync(directory) == 0;
      saved = errno;
      if (directory >= 0) close(directory);
      return synced
                 ? ""
                 : std::string("written, but its folder cannot be synced: ") + std::strerror(saved);
    }
    saved = errno;
  }
  unlink(temporary.c_str());
  return std::strerror(saved);
}

}  // namespace zt7cli
