// The frames digest exports.
#include "zt3util/boundary.h"
#include "zt3util/frames_digest.h"
#include "zt3util/returned_text.h"
#include "zt3util/runnable.h"
#include "zt7util.h"

namespace {

// The digest's log lines need the application context, which the runtime object sets up.
void EnsureContext() {
  RODediRunnable::GetInstance();
}

}  // namespace

const char* pcDigestFrames(const char16_t* folder, const char16_t* mask) {
  return zt7::GuardExport(zt7::kRefusedText, [&] {
    EnsureContext();
    zodu::vexcstr digest = zt7::DigestFolder(zodu::vexstr(folder), zodu::vexstr(mask));
    return zt7::MakeReturnedText(zodu::vexstr(digest));
  });
}

int32_t iValidateFramesDigests(const char16_t* folder, const char16_t* mask,
                               const char* firstDigest, const char* secondDigest) {
  return zt7::GuardExport<int32_t>(0, [&] {
    if (folder == nullptr) return 0;
    EnsureContext();
    return zt7::ValidateFramesDigests(zodu::vexstr(folder), zodu::vexstr(mask), firstDigest,
                                      secondDigest);
  });
}
