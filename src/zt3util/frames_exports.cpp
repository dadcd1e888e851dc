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
  return zt3util::GuardExport(zt3util::kRefusedText, [&] {
    EnsureContext();
    zodu::vexcstr digest = zt3util::DigestFolder(zodu::vexstr(folder), zodu::vexstr(mask));
    return zt3util::MakeReturnedText(zodu::vexstr(digest));
  });
}

int32_t iValidateFramesDigests(const char16_t* folder, const char16_t* mask,
                               const char* firstDigest, const char* secondDigest) {
  return zt3util::GuardExport<int32_t>(0, [&] {
    if (folder == nullptr) return 0;
    EnsureContext();
    return zt3util::ValidateFramesDigests(zodu::vexstr(folder), zodu::vexstr(mask), firstDigest,
                                          secondDigest);
  });
}
