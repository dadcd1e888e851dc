// The reflection loop of a .cif_od file: which loop qualifies, and the lines it writes.
#pragma once

#include "sdl/istream.h"
#include "xlib/cifdp.h"

namespace zt7 {

// Hands to `sink`, one at a time, the lines that the "_refln" loop of the first block of
// the CIF text in `stream` writes, when that loop has at least 100 rows and the index,
// intensity and sigma columns. False, with no line handed on, when the text does not parse
// or has no such loop; failures while loading the text, reading the stream included,
// count as "does not parse".
bool WriteReflectionLoop(zodu::IInputStream& stream, const cif_dp::LineSink& sink);

}  // namespace zt7
