// Sorting HKL lines into the order of the line-text digest scheme.
#pragma once

#include "sdl/estrlist.h"

namespace zt3util {

// Sorts the list in place in the order of vexcstr::Compare: equal lengths byte by byte,
// otherwise an empty line first, then the common prefix, then the shorter line first.
// Bytes compare as signed values, so 0x80..0xFF sort before 0x00..0x7F. The entries are
// moved, the lines' characters never copied.
void SortLines(zodu::TCStrList& lines);

}  // namespace zt3util
