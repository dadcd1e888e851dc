// The application context that the tool's own copy of the DYN loop code logs its reasons
// through (the CIF subcommands pass the reader a sink instead).
#pragma once

#include "sdl/bapp.h"

namespace zt7cli {

// The tool carries its own copy of the DYN loop code (dyn-loop has no export), and that
// copy logs through its own context, not the library's: made on first use, based in the
// temporary folder, alive until the tool ends.
zodu::TBasicApp& CifReaderContext();

}  // namespace zt7cli
