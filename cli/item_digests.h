// The digests of a dataset's items: the module's through its exports, SHA-256 of files.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace zt7cli {

struct FileHash {
  std::string hex;    // 64 lowercase hexadecimal digits; empty when the file was not read
  std::string error;  // why not, e.g. "Permission denied"
};

// Standard SHA-256 of the regular file at `path`. Anything else (a FIFO, a device, a
// folder) is refused without waiting on it. Adds the bytes read to `bytesRead`.
FileHash Sha256OfFile(const std::string& path, std::atomic<uint64_t>& bytesRead);

// The module's digests and checks. Paths are absolute; a frames digest is its two parts
// joined by ",". Each returns "" or false when the module refuses.
std::string FramesDigest(const std::string& folder, const std::string& mask);
std::string HklDigest(const std::string& hkl, const std::string& framesFolder,
                      const std::string& mask, const std::string& framesDigest);
std::string DynDigest(const std::string& file, const std::string& framesFolder,
                      const std::string& mask, const std::string& framesDigest);
bool FramesCheckOut(const std::string& folder, const std::string& mask, const std::string& digest);
bool HklChecksOut(const std::string& hkl, const std::string& digest);
bool DynChecksOut(const std::string& file, const std::string& digest);

}  // namespace zt7cli
