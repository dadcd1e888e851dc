// Returned texts: the module-owned narrow copies that text exports hand to the host.
#pragma once

#include "sdl/smart/vex_istring.h"

namespace zt7 {

// A new NUL-terminated narrow copy of `text`, which the collector keeps: it stays valid
// until the application context runs its idle actions or ends (Detach), or, when no
// context took the collector over, until the module is unloaded. The host never frees it.
// Raises "Char out of range for MBStr" for a character above 255.
const char* MakeReturnedText(const zodu::vexstr& text);

}  // namespace zt7
