// Picking the reflection lines at both ends of an HKL file for the line-text digest.
#pragma once

#include <cstddef>

#include "sdl/estrlist.h"

namespace zt3util {

// Up to `nFirst` lines of length `lineLength` that pass the reflection-line test (the
// legacy one when `legacy`), from the start, then lines from the end backwards until the
// result holds nFirst + nLast. With fewer qualifying lines the backward pass takes lines
// again that the forward pass took. The lines share their characters with the list.
zodu::TCStrList SelectEndLines(const zodu::TCStrList& lines, size_t lineLength, size_t nFirst,
                               size_t nLast, bool legacy);

}  // namespace zt3util
