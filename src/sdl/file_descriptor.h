// A file descriptor owned by its holder and closed with it.
#pragma once

#include <utility>

namespace zodu {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  // Takes `fd`; a negative one holds nothing.
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  // Gives the descriptor up to the caller, who closes it.
  int Release() { return std::exchange(fd_, -1); }
  // Closes now; false, with errno set, when closing fails (a write may be lost).
  bool Close();
  void Reset();

 private:
  int fd_ = -1;
};

}  // namespace zodu
