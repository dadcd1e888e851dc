// The digests of a dataset's items: the library's, SHA-256 of files,
// and one state of a file for all of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "sdl/result.h"
#include "zt3util/hkl_scan.h"

namespace zt7::dataset {

// Why a file of a dataset gave no SHA-256.
enum class ReadFault {
  kNone,
  kAbsent,      // nothing at its path
  kChanged,     // a link, FIFO, folder or device now stands at its path (or on the way)
  kUnreadable,  // an error of the system: the file could not be read
  kUnsteady,    // it changed, was replaced or deleted while it was read, twice
};

struct FileRead {
  ReadFault fault = ReadFault::kNone;
  std::string sha256;  // 64 lowercase hexadecimal digits when read
  std::string why;     // for a fault: "now a symbolic link", "Input/output error", ...
  double age = 0;      // seconds from its last change to the read
};

// What runs on a file once its SHA-256 is made: its absolute path, and the scan of its
// HKL lines when one was asked for, else null.
using FileDigests = std::function<void(const std::string& path, const HklScan* lines)>;

// Reads the file `relative` of the dataset folder `root` (absolute, links resolved) for
// its SHA-256, and with `scan` for the HKL lines that `scan` names in the same reading,
// opening nothing but a regular file and following no link on the way, then runs `module`
// on it. One state of the file must serve both: the same file
// (device and inode), size and times before, between and after. A file that changed is
// read (and `module` run) once more; a second change is kUnsteady. Adds the bytes read to
// `bytesRead`. With `throughLink`, `relative` is a link whose target is read instead.
FileRead ReadOneState(const std::string& root, const std::string& relative,
                      std::atomic<uint64_t>& bytesRead, const FileDigests& module,
                      bool throughLink = false, const ScanNeeds* scan = nullptr);

// Whether `relative` (a folder of frames; "" for `root` itself) is a folder under `root`
// with no link on the way: kNone, or why not (kAbsent, kChanged, kUnreadable).
FileRead LookAtFolder(const std::string& root, const std::string& relative);

// The library's digests and checks, each with its own reason. Paths are absolute; a
// frames digest is its two parts joined by ",". A check is kOk when every part stored
// checks out, kMismatch when not, kError when it could not be made.
Result<std::string> FramesDigest(const std::string& folder, const std::string& mask);
// With `lines`, the HKL file's lines scanned already: it is not read again, and the
// frames are taken as checked (both parts) by the caller.
Result<std::string> HklDigest(const std::string& hkl, const std::string& framesFolder,
                              const std::string& mask, const std::string& framesDigest,
                              int keyVersion, const HklScan* lines);
Result<std::string> DynDigest(const std::string& file, const std::string& framesFolder,
                              const std::string& mask, const std::string& framesDigest);
Result<Done> FramesCheckOut(const std::string& folder, const std::string& mask,
                            const std::string& digest);
Result<Done> HklChecksOut(const std::string& hkl, const std::string& digest, const HklScan* lines);
Result<Done> DynChecksOut(const std::string& file, const std::string& digest);
// What a scan of an HKL file needs to check `digest` against it.
ScanNeeds NeedsToCheck(const std::string& digest);

}  // namespace zt7::dataset
