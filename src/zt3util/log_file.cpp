// The file that a host names for the module's log.
#include "zt3util/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>  // for getenv
#include <memory>
#include <utility>

#include "sdl/file_descriptor.h"

namespace zt7 {
namespace {

// Appends with write(2): every entry reaches the file as it ends, with nothing buffered
// that a crash of the host could lose.
class LogFileStream : public zodu::IOutputStream {
 public:
  explicit LogFileStream(zodu::FileDescriptor descriptor) : descriptor_(std::move(descriptor)) {}

  using IOutputStream::Write;
  void Write(const void* data, size_t count) override {
    const char* bytes = static_cast<const char*>(data);
    while (count > 0) {
      const ssize_t written = write(descriptor_.Get(), bytes, count);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return;  // a full disk loses log lines, never the call
      bytes += written;
      count -= static_cast<size_t>(written);
    }
  }
  void Flush() override {}
  uint64_t Length() override { return 0; }
  uint64_t GetPosition() override { return 0; }
  void SetPosition(uint64_t) override {}

 private:
  zodu::FileDescriptor descriptor_;
};

}  // namespace

void AttachLogFile(zodu::TLog& log) {
  const char* path = std::getenv(kLogFileVariable);
  if (!path || !*path) return;
  // Non-blocking, so that a pipe without a reader is refused instead of waited for.
  zodu::FileDescriptor descriptor(
      open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644));
  if (!descriptor.IsOpen()) return;
  const int flags = fcntl(descriptor.Get(), F_GETFL);
  if (flags >= 0) fcntl(descriptor.Get(), F_SETFL, flags & ~O_NONBLOCK);
  auto stream = std::make_unique<LogFileStream>(std::move(descriptor));
  log.AddStream(stream.get(), true);
  stream.release();
}

}  // namespace zt7
