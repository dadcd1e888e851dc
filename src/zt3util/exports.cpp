// The exports about the module itself: the runtime object, versions and pcGetInfo.
#include <cstdint>

#include "zt3util/boundary.h"
#include "zt3util/key_version.h"
#include "zt3util/returned_text.h"
#include "zt3util/runnable.h"
#include "zt7util.h"

namespace {

// The module's version, as iwGetVersion reports it to the host.
constexpr int32_t kModuleVersion = 11;

}  // namespace

ZT7Runnable* GetZTRunnable() {
  return zt7::GuardExport<ZT7Runnable*>(nullptr, [] {
    IRODedi* object = RODediRunnable::GetInstance();
    // The host's view of the same object: zt7::IRODedi has the same slots.
    return reinterpret_cast<ZT7Runnable*>(object);
  });
}

void Initialise(intptr_t hostCallback, intptr_t hostContext) {
  zt7::GuardExport([&] {
    // After Detach there is no object to keep them.
    if (RODediRunnable* object = RODediRunnable::GetInstance())
      object->KeepHostValues(hostCallback, hostContext);
  });
}

void SetKeyVersion(int32_t version) {
  zt7::StoreKeyVersion(version);
}

int32_t iGetKeyVersion() {
  return zt7::KeyVersion();
}

int32_t iwGetVersion() {
  return kModuleVersion;
}

const char* pcGetInfo(const char* text) {
  return zt7::GuardExport(zt7::kRefusedText, [text] {
    if (!text) return zt7::kRefusedText;
    // 32-bit sums that wrap as two's complement: kept unsigned, where wrapping is defined.
    uint32_t evenSum = 0, oddSum = 0;
    for (size_t i = 0; text[i] != 0; ++i) {
      auto value = static_cast<uint32_t>(static_cast<signed char>(text[i]));
      (i % 2 == 0 ? evenSum : oddSum) += value;
    }
    int32_t quotient = static_cast<int32_t>(oddSum - evenSum) / 2;
    return zt7::MakeReturnedText(zodu::vexstr() << static_cast<int>(quotient));
  });
}
