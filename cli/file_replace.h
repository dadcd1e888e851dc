// Replacing a file's content in one step, so that no reader ever sees half of it.
#pragma once

#include <string>

namespace zt7cli {

// Writes `content` to a new temporary file in the folder of `path` (".NAME.XXXXXX") and
// renames it onto `path`; the old file stays as it was until the new one is complete, and
// the folder is synced, so that a power cut after the call cannot lose the file. A `path`
// that exists as something other than a regular file (folder, link, device) is refused,
// and so is any existing file unless `replace`. Gives the reason of a failure, empty on
// success.
std::string ReplaceFile(const std::string& path, const std::string& content, bool replace = true);

}  // namespace zt7cli
