// The check characters that end every digest text.
#pragma once

#include <cstddef>

#include "sdl/smart/vex_istring.h"

namespace zt7 {

// Appends to `digest` the characters at `positions` of the MD5 text of `source` (which
// may be `digest` itself: it is hashed before anything is appended).
void AppendCheckCharacters(zodu::vexcstr& digest, const zodu::vexcstr& source,
                           const size_t (&positions)[4]);

}  // namespace zt7
