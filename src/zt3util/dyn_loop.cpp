// The reflection loop of a .cif_od file: which loop qualifies, and the lines it writes.
#include "zt3util/dyn_loop.h"

namespace zt3util {

// Until the CIF reader is in, no text has a qualifying loop.
bool WriteReflectionLoop(zodu::IInputStream&, zodu::TStrList&) {
  return false;
}

}  // namespace zt3util
