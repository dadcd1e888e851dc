// Comparing a stored digest text with the one recomputed from the data.
#pragma once

#include "sdl/smart/vex_istring.h"

namespace zt7 {

// What checking a two-part stored digest gives: nothing valid (or nothing to check), part
// 1 valid, both parts valid.
constexpr int kNotValid = 0;
constexpr int kFirstValid = 1;
constexpr int kBothValid = 3;

// Whether `stored` and `computed`, both without their first character, are the same
// bytes. The first character is never compared; an empty `computed` matches nothing.
bool SameAfterFirst(const char* stored, const zodu::vexcstr& computed);

}  // namespace zt7
