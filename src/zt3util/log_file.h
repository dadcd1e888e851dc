// The file that a host names for the module's log.
#pragma once

#include "sdl/log.h"

namespace zt7 {

// The environment variable that names the log file.
inline constexpr const char* kLogFileVariable = "ZT7UTIL_LOG";

// When ZT7UTIL_LOG names a file (or a terminal, pipe or /dev/stderr), adds it to `log` as
// an owned stream that appends every entry at once. Without the variable, or when the
// target cannot be opened for writing without waiting, the log keeps the streams it has.
void AttachLogFile(zodu::TLog& log);

}  // namespace zt7
