// Paths between the 16-bit texts inside and the UTF-8 bytes the operating system takes.
#pragma once

#include <cstddef>

#include "sdl/smart/vex_istring.h"

namespace zodu {

// Bytes that are not valid UTF-8 travel inside as the lone surrogates U+DC80..U+DCFF and
// go back out as the same bytes, so every name read from a folder opens again. Other lone
// surrogates go out in the three-byte form.

// The UTF-8 form of `path`; c_str() of the result costs nothing.
vexcstr PathToUtf8(const vexstr& path);

// Decodes `n` bytes into `out`, which has room for `n` units; returns the units written.
size_t DecodeUtf8(const char* bytes, size_t n, char16_t* out);

vexstr PathFromUtf8(const char* bytes, size_t n);

}  // namespace zodu
