// The digests of a dataset's items: the module's through its exports, SHA-256 of files.
#include "item_digests.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "cli_support.h"
#include "sdl/hex.h"
#include "sdl/istream.h"
#include "sdl/sha2.h"
#include "zt7util.h"

namespace zt7cli {
namespace {

// Both parts stored must check out: 3, or 1 for a digest of one part.
bool Accepts(const DigestParts& parts, int code) {
  return code == (parts.second.empty() ? 1 : 3);
}

// An open regular file as the stream the module's SHA-256 reads; it counts what it reads.
class FileStream : public zodu::IInputStream {
 public:
  FileStream(int fd, uint64_t size, std::atomic<uint64_t>& bytesRead)
      : fd_(fd), size_(size), bytesRead_(bytesRead) {}
  using IInputStream::Read;
  void Read(void* buffer, size_t count) override {
    char* at = static_cast<char*>(buffer);
    while (count > 0) {
      const ssize_t n = read(fd_, at, count);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw std::system_error(errno, std::generic_category());
      if (n == 0) throw std::runtime_error("the file got shorter while it was read");
      at += n;
      count -= static_cast<size_t>(n);
      position_ += static_cast<uint64_t>(n);
      bytesRead_ += static_cast<uint64_t>(n);
    }
  }
  uint64_t Length() override { return size_; }
  uint64_t GetPosition() override { return position_; }
  void SetPosition(uint64_t) override {}

 private:
  int fd_;
  uint64_t size_, position_ = 0;
  std::atomic<uint64_t>& bytesRead_;
};

std::string HashOpenFile(int fd, std::atomic<uint64_t>& bytesRead) {
  struct stat before;
  if (fstat(fd, &before) != 0) throw std::system_error(errno, std::generic_category());
  if (!S_ISREG(before.st_mode)) throw std::runtime_error("not a regular file, not read");
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  FileStream stream(fd, static_cast<uint64_t>(before.st_size), bytesRead);
  zodu::SHA256 sha;
  sha.DigestStream(stream);
  struct stat after;
  if (fstat(fd, &after) != 0 || after.st_size != before.st_size)
    throw std::runtime_error("the file changed size while it was read");
  zodu::vexcstr hex = zodu::BytesToHex(sha.GetDigest(), zodu::SHA256::kDigestSize, 0, 0);
  return std::string(hex.raw(), hex.Length());
}

}  // namespace

FileHash Sha256OfFile(const std::string& path, std::atomic<uint64_t>& bytesRead) {
  // Non-blocking, so that a FIFO put in a file's place is refused instead of waited on.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {"", std::generic_category().message(errno)};
  FileHash hash;
  try {
    hash.hex = HashOpenFile(fd, bytesRead);
  } catch (const std::system_error& error) {
    hash.error = error.code().message();
  } catch (const std::exception& error) {
    hash.error = error.what();
  } catch (...) {
    hash.error = "cannot be read";
  }
  close(fd);
  return hash;
}

std::string FramesDigest(const std::string& folder, const std::string& mask) {
  const std::u16string wideFolder = WideText(folder), wideMask = WideText(mask);
  return pcDigestFrames(wideFolder.c_str(), wideMask.c_str());
}

std::string HklDigest(const std::string& hkl, const std::string& framesFolder,
                      const std::string& mask, const std::string& framesDigest) {
  const std::u16string file = WideText(hkl), folder = WideText(framesFolder),
                       wideMask = WideText(mask);
  const DigestParts frames(framesDigest);
  return pcDigestHKL(folder.c_str(), wideMask.c_str(), file.c_str(), frames.first.c_str(),
                     frames.Second());
}

std::string DynDigest(const std::string& file, const std::string& framesFolder,
                      const std::string& mask, const std::string& framesDigest) {
  const std::u16string wideFile = WideText(file), folder = WideText(framesFolder),
                       wideMask = WideText(mask);
  const DigestParts frames(framesDigest);
  return pcDigestDYN(folder.c_str(), wideMask.c_str(), wideFile.c_str(), frames.first.c_str(),
                     frames.Second());
}

bool FramesCheckOut(const std::string& folder, const std::string& mask, const std::string& digest) {
  const std::u16string wideFolder = WideText(folder), wideMask = WideText(mask);
  const DigestParts parts(digest);
  return Accepts(parts, iValidateFramesDigests(wideFolder.c_str(), wideMask.c_str(),
                                               parts.first.c_str(), parts.Second()));
}

bool HklChecksOut(const std::string& hkl, const std::string& digest) {
  const std::u16string file = WideText(hkl);
  const DigestParts parts(digest);
  return Accepts(parts, iValidateHKLDigests(file.c_str(), parts.first.c_str(), parts.Second()));
}

bool DynChecksOut(const std::string& file, const std::string& digest) {
  const std::u16string wideFile = WideText(file);
  return bValidateDYNDigest(wideFile.c_str(), digest.c_str());
}

}  // namespace zt7cli
