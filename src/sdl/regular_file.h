// Regular files only: why a path is none, and reading one whole, bounded.
#pragma once

#include <cstddef>
#include <string>

#include "sdl/result.h"

namespace zt7 {

// kOk for a readable regular file (links followed), else refused with the reason ("no such
// file", "a folder, not a file", "a FIFO, not a regular file", ...). Asked before anything
// is opened, so that nothing waits on a FIFO or reads a device without end.
Result<Done> RegularFile(const std::string& path);

// The whole of the regular file `path`, refused when it is none or holds more than
// `limit` bytes ("more than N bytes"), an error when it cannot be read.
Result<std::string> ReadRegularFile(const std::string& path, size_t limit);

}  // namespace zt7
