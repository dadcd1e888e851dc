// Comparing a stored digest text with the one recomputed from the data.
#pragma once

#include "sdl/smart/vex_istring.h"

namespace zt3util {

// Whether `stored` and `computed`, both without their first character, are the same
// bytes. The first character is never compared; an empty `computed` matches nothing.
bool SameAfterFirst(const char* stored, const zodu::vexcstr& computed);

}  // namespace zt3util
