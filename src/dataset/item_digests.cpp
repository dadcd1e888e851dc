// The digests of a dataset's items: the module's through its exports, SHA-256 of files,
// all from one state of a file.
#include "dataset/item_digests.h"

#include <fcntl.h>
#include <linux/openat2.h>  // for open_how, RESOLVE_NO_SYMLINKS
#include <sys/stat.h>
#include <sys/syscall.h>  // for SYS_openat2
#include <time.h>         // for clock_gettime
#include <unistd.h>

#include <cerrno>
#include <cstring>  // for strerror
#include <optional>
#include <system_error>

#include "repository/narrow_lines.h"
#include "sdl/file_descriptor.h"
#include "sdl/hex.h"
#include "sdl/istream.h"
#include "sdl/sha2.h"
#include "zt3util/digest_calls.h"
#include "zt3util/hkl_validation.h"

namespace zt7::dataset {
namespace {

// A digest as stored, "FIRST,SECOND" or "FIRST", as the checks take it.
struct Parts {
  std::string first, second;
  bool two = false;

  explicit Parts(const std::string& digest) {
    const size_t comma = digest.find(',');
    two = comma != std::string::npos;
    first = digest.substr(0, comma);
    if (two) second = digest.substr(comma + 1);
  }
  const char* First() const { return first.c_str(); }
  const char* Second() const { return two ? second.c_str() : nullptr; }
};

// Both parts stored must check out: the check's code does not matter beyond that.
Result<Done> Verdict(const Result<int>& check) {
  return Result<Done>(check.GetOutcome(), check.Reason());
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

// The stream that the SHA-256 reads, handing each piece on to an HKL scan as well: lines
// split as a file's lines are split, a line across two pieces kept until it is whole.
class ScanningStream : public zodu::IInputStream {
 public:
  ScanningStream(zodu::IInputStream& in, HklScan& scan) : in_(in), scan_(scan) {}
  using IInputStream::Read;
  void Read(void* buffer, size_t count) override {
    in_.Read(buffer, count);
    const char* at = static_cast<const char*>(buffer);
    const auto* last = static_cast<const char*>(memrchr(at, '\n', count));
    if (last == nullptr) {
      partial_.append(at, count);
      return;
    }
    size_t whole = static_cast<size_t>(last - at) + 1;
    if (!partial_.empty()) {
      const auto* feed = static_cast<const char*>(std::memchr(at, '\n', count));
      const size_t first = static_cast<size_t>(feed - at) + 1;
      partial_.append(at, first);
      Scan(partial_.data(), partial_.size());
      partial_.clear();
      at += first;
      count -= first;
      whole -= first;
    }
    Scan(at, whole);
    partial_.assign(at + whole, count - whole);
  }
  // The last line, when no line feed ends it.
  void Finish() { Scan(partial_.data(), partial_.size()); }
  uint64_t Length() override { return in_.Length(); }
  uint64_t GetPosition() override { return in_.GetPosition(); }
  void SetPosition(uint64_t) override {}

 private:
  void Scan(const char* text, size_t n) {
    ForEachNarrowLine(text, n,
                      [this](const char* line, size_t length) { scan_.Take(line, length); });
  }

  zodu::IInputStream& in_;
  HklScan& scan_;
  std::string partial_;
};

bool SameState(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

const char* NowA(mode_t mode) {
  if (S_ISDIR(mode)) return "now a folder";
  if (S_ISFIFO(mode)) return "now a FIFO, not read";
  if (S_ISSOCK(mode)) return "now a socket, not read";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "now a device file, not read";
  return "now not a regular file, not read";
}

// `relative` under the folder `root`, with no link anywhere on the way.
int OpenBeneath(int root, const std::string& relative, uint64_t flags) {
  open_how how{};
  how.flags = flags | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
  return static_cast<int>(syscall(SYS_openat2, root, relative.c_str(), &how, sizeof how));
}

FileRead Fault(ReadFault fault, std::string why) {
  FileRead read;
  read.fault = fault;
  read.why = std::move(why);
  return read;
}

FileRead OpenFault(const std::string& root, const std::string& relative) {
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR) return Fault(ReadFault::kAbsent, "");
  if (error != ELOOP) return Fault(ReadFault::kUnreadable, std::strerror(error));
  struct stat st;
  const bool last = lstat((root + "/" + relative).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  return Fault(ReadFault::kChanged,
               last ? "now a symbolic link" : "a folder on its path is now a symbolic link");
}

FileRead ReadOnce(const std::string& root, const std::string& relative,
                  std::atomic<uint64_t>& bytesRead, const FileDigests& module, bool throughLink,
                  const ScanNeeds* needs) {
  const std::string path = root + "/" + relative;
  const zodu::FileDescriptor folder(open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) return Fault(ReadFault::kUnreadable, std::strerror(errno));
  auto openFile = [&](int flags) {
    return throughLink ? open(path.c_str(), flags | O_CLOEXEC)
                       : OpenBeneath(folder.Get(), relative, flags);
  };
  // Looked at before it is opened, so that no FIFO or device is ever opened for reading.
  const zodu::FileDescriptor place(openFile(O_PATH));
  struct stat before, now;
  if (place.Get() < 0) return OpenFault(root, relative);
  if (fstat(place.Get(), &before) != 0) return Fault(ReadFault::kUnreadable, std::strerror(errno));
  if (!S_ISREG(before.st_mode)) return Fault(ReadFault::kChanged, NowA(before.st_mode));
  const zodu::FileDescriptor file(openFile(O_RDONLY | O_NONBLOCK | O_NOCTTY));
  if (file.Get() < 0) return OpenFault(root, relative);
  FileRead read = Fault(ReadFault::kUnsteady, "changed while it was read, twice");
  if (fstat(file.Get(), &now) != 0 || !SameState(before, now)) return read;
  timespec clock;
  clock_gettime(CLOCK_REALTIME, &clock);
  read.age = double(clock.tv_sec - before.st_mtim.tv_sec) +
             1e-9 * double(clock.tv_nsec - before.st_mtim.tv_nsec);
  posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  const auto size = static_cast<uint64_t>(before.st_size);
  FileStream stream(file.Get(), size, bytesRead);
  zodu::SHA256 sha;
  std::optional<HklScan> lines;
  try {
    if (needs) {
      // One reading for the SHA-256 and the HKL lines.
      lines.emplace(*needs, size);
      ScanningStream scanning(stream, *lines);
      sha.DigestStream(scanning);
      scanning.Finish();
    } else {
      sha.DigestStream(stream);
    }
  } catch (const std::system_error& error) {
    return Fault(ReadFault::kUnreadable, error.code().message());
  } catch (const std::runtime_error&) {
    return read;  // shorter than it was: it changed
  } catch (...) {
    return Fault(ReadFault::kUnreadable, "cannot be read");
  }
  // The module opens the file by its path: it must find the file just read, unchanged.
  if (stat(path.c_str(), &now) != 0 || !SameState(before, now)) return read;
  module(path, lines ? &*lines : nullptr);
  if (stat(path.c_str(), &now) != 0 || !SameState(before, now)) return read;
  if (fstat(file.Get(), &now) != 0 || !SameState(before, now)) return read;
  const zodu::vexcstr hex = zodu::BytesToHex(sha.GetDigest(), zodu::SHA256::kDigestSize, 0, 0);
  read.sha256.assign(hex.raw(), hex.Length());
  read.fault = ReadFault::kNone;
  read.why.clear();
  return read;
}

}  // namespace

FileRead LookAtFolder(const std::string& root, const std::string& relative) {
  if (relative.empty()) return FileRead();
  const zodu::FileDescriptor folder(open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) return Fault(ReadFault::kUnreadable, std::strerror(errno));
  const zodu::FileDescriptor place(OpenBeneath(folder.Get(), relative, O_PATH));
  struct stat st;
  if (place.Get() < 0) return OpenFault(root, relative);
  if (fstat(place.Get(), &st) != 0) return Fault(ReadFault::kUnreadable, std::strerror(errno));
  return S_ISDIR(st.st_mode) ? FileRead() : Fault(ReadFault::kChanged, "no longer a folder");
}

FileRead ReadOneState(const std::string& root, const std::string& relative,
                      std::atomic<uint64_t>& bytesRead, const FileDigests& module, bool throughLink,
                      const ScanNeeds* scan) {
  FileRead read = ReadOnce(root, relative, bytesRead, module, throughLink, scan);
  if (read.fault == ReadFault::kUnsteady)
    read = ReadOnce(root, relative, bytesRead, module, throughLink, scan);
  return read;
}

Result<std::string> FramesDigest(const std::string& folder, const std::string& mask) {
  return DigestFrames(folder, mask);
}

Result<std::string> HklDigest(const std::string& hkl, const std::string& framesFolder,
                              const std::string& mask, const std::string& framesDigest,
                              int keyVersion, const HklScan* lines) {
  if (lines) return SealHklScan(*lines, hkl, keyVersion);
  const Parts frames(framesDigest);
  return DigestHkl(framesFolder, mask, hkl, frames.First(), frames.Second(), keyVersion);
}

Result<std::string> DynDigest(const std::string& file, const std::string& framesFolder,
                              const std::string& mask, const std::string& framesDigest) {
  const Parts frames(framesDigest);
  return DigestDyn(framesFolder, mask, file, frames.First(), frames.Second());
}

Result<Done> FramesCheckOut(const std::string& folder, const std::string& mask,
                            const std::string& digest) {
  const Parts parts(digest);
  return Verdict(CheckFrames(folder, mask, parts.First(), parts.Second()));
}

Result<Done> HklChecksOut(const std::string& hkl, const std::string& digest, const HklScan* lines) {
  const Parts parts(digest);
  return Verdict(lines ? CheckHklScan(*lines, hkl, parts.First(), parts.Second())
                       : CheckHkl(hkl, parts.First(), parts.Second()));
}

Result<Done> DynChecksOut(const std::string& file, const std::string& digest) {
  return CheckDyn(file, digest.c_str());
}

ScanNeeds NeedsToCheck(const std::string& digest) {
  ScanNeeds needs = NeedsToValidate(Parts(digest).First());
  needs.cellLine = true;
  return needs;
}

}  // namespace zt7::dataset
