// The digest scheme version under which new HKL digests are made.
#pragma once

#include <cstdint>

namespace zt7 {

// Set by the host, never checked; 3 until then. Safe from several threads.
int32_t KeyVersion();
void StoreKeyVersion(int32_t version);

}  // namespace zt7
