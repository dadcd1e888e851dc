// Lowercase hexadecimal text of raw bytes, optionally in separated groups.
#pragma once

#include <cstddef>

#include "sdl/smart/vex_istring.h"

namespace zodu {

// Two digits per byte, high nibble first. With `group` not 0, `separator` follows every
// `group` bytes except the last byte.
vexcstr BytesToHex(const unsigned char* bytes, size_t count, size_t group, char separator);

}  // namespace zodu
