// Replacing a file's content in one step, so that no reader ever sees half of it.
#include "sdl/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>   // for renameat2
#include <cstring>  // for strerror
#include <filesystem>

namespace zt7 {
namespace {

// The permissions a newly created file would get, or those of the file it replaces.
mode_t ModeFor(const std::string& path) {
  struct stat old;
  if (stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view content) {
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

PendingFile::PendingFile(const std::string& path) : path_(path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::file_status status = fs::symlink_status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    problem_ = "not a regular file";
    return;
  }
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // Hidden, and unique through mkstemp.
  fs::path name = target.filename();
  name += ".XXXXXX";
  temporary_ = (folder / ".").string();
  temporary_ += name.string();
  fd_ = zodu::FileDescriptor(mkstemp(temporary_.data()));
  if (!fd_.IsOpen()) {
    problem_ = std::string("cannot create a file beside it: ") + std::strerror(errno);
    temporary_.clear();
  }
}

PendingFile::~PendingFile() {
  if (!temporary_.empty()) unlink(temporary_.c_str());
}

void PendingFile::Write(std::string_view piece) {
  if (problem_.empty() && !WriteAll(fd_.Get(), piece)) problem_ = std::strerror(errno);
}

Result<Done> PendingFile::Commit(bool replace) {
  const auto failed = [this] { return Result<Done>(Outcome::kError, problem_); };
  if (!problem_.empty()) return failed();
  bool written = fchmod(fd_.Get(), ModeFor(path_)) == 0 && fsync(fd_.Get()) == 0;
  int saved = errno;
  if (!fd_.Close() && written) written = false, saved = errno;
  if (written) {
    const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
    if (renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), flags) == 0) {
      temporary_.clear();
      // The rename lives in the folder: synced too, so that a power cut cannot undo it.
      const std::filesystem::path target(path_);
      const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
      const zodu::FileDescriptor directory(
          open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      const bool synced = directory.IsOpen() && fsync(directory.Get()) == 0;
      saved = errno;
      if (synced) return Result<Done>(Done());
      problem_ = std::string("written, but its folder cannot be synced: ") + std::strerror(saved);
      return failed();
    }
    saved = errno;
  }
  problem_ = std::strerror(saved);
  // Not replacing an existing file is the caller's refusal, not a failure of the system.
  return saved == EEXIST ? Result<Done>(Outcome::kRefused, problem_) : failed();
}

Result<Done> ReplaceFile(const std::string& path, const std::string& content, bool replace) {
  PendingFile file(path);
  file.Write(content);
  return file.Commit(replace);
}

}  // namespace zt7
