// Replacing a file's content in one step, so that no reader ever sees half of it.
#pragma once

#include <string>
#include <string_view>

#include "sdl/file_descriptor.h"
#include "sdl/result.h"

namespace zt7 {

// A new temporary file beside `path`, written a piece at a time, that takes the place of
// `path` only on Commit; until then `path` stays as it was, and a file never committed is
// removed with this object. A `path` that exists as something other than a regular file
// (folder, link, device) is refused.
class PendingFile {
 public:
  explicit PendingFile(const std::string& path);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Why the file could not be made or written; empty while all is well.
  const std::string& Problem() const { return problem_; }
  const std::string& TemporaryPath() const { return temporary_; }
  void Write(std::string_view piece);
  // Closes the file and renames it onto `path` (an existing file only when `replace`), then
  // syncs the folder, so that a power cut after the call cannot lose the file. Refused
  // (EEXIST's text) for an existing file without `replace`.
  Result<Done> Commit(bool replace = true);

 private:
  std::string path_, temporary_, problem_;
  zodu::FileDescriptor fd_;
};

// Writes `content` to a new temporary file in the folder of `path` and renames it onto
// `path`; the old file stays as it was until the new one is complete, and the folder is
// synced. A `path` that exists as something other than a regular file (folder, link,
// device) is refused, and so is any existing file unless `replace`.
Result<Done> ReplaceFile(const std::string& path, const std::string& content, bool replace = true);

}  // namespace zt7
