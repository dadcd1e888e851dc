// The digest scheme version under which new HKL digests are made.
#include "zt3util/key_version.h"

#include <atomic>

namespace zt7 {
namespace {

// Atomic, as hosts call from several threads.
std::atomic<int32_t> keyVersion{3};

}  // namespace

int32_t KeyVersion() {
  return keyVersion.load(std::memory_order_relaxed);
}

void StoreKeyVersion(int32_t version) {
  keyVersion.store(version, std::memory_order_relaxed);
}

}  // namespace zt7
