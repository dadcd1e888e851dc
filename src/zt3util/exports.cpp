// The exports about the module itself: the runtime object, versions and pcGetInfo.
#include <cstdint>
#include <cstring>  // for strlen

#include "zt3util/boundary.h"
#include "zt3util/check_number.h"
#include "zt3util/key_version.h"
#include "zt3util/returned_text.h"
#include "zt3util/runnable.h"
#include "zt7util.h"

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
  return zt7::kModuleVersion;
}

const char* pcGetInfo(const char* text) {
  return zt7::GuardExport(zt7::kRefusedText, [text] {
    if (!text) return zt7::kRefusedText;
    const int32_t number = zt7::CheckNumber(text, std::strlen(text));
    return zt7::MakeReturnedText(zodu::vexstr() << static_cast<int>(number));
  });
}
