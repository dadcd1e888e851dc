// Comparing a stored digest text with the one recomputed from the data.
#include "zt3util/stored_digest.h"

#include <cstring>  // for strlen, memcmp

namespace zt7 {

bool SameAfterFirst(const char* stored, const zodu::vexcstr& computed) {
  const size_t length = std::strlen(stored);
  return length == computed.Length() && length != 0 &&
         std::memcmp(stored + 1, computed.raw() + 1, length - 1) == 0;
}

}  // namespace zt7
