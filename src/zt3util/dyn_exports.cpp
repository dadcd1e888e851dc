// The DYN digest exports for reflection files.
#include "zt3util/boundary.h"
#include "zt3util/dyn_digest.h"
#include "zt3util/returned_text.h"
#include "zt3util/runnable.h"
#include "zt7util.h"

using zodu::vexstr;

const char* pcDigestDYN(const char16_t* folder, const char16_t* mask,
                        const char16_t* reflectionFile, const char* firstFramesDigest,
                        const char* secondFramesDigest) {
  return zt7::GuardExport(zt7::kRefusedText, [&] {
    // The frames check logs through the application context, which the runtime object sets up.
    RODediRunnable::GetInstance();
    return zt7::MakeReturnedText(
        vexstr(zt7::DigestDynFile(vexstr(folder), vexstr(mask), vexstr(reflectionFile),
                                  firstFramesDigest, secondFramesDigest)));
  });
}

bool bValidateDYNDigest(const char16_t* reflectionFile, const char* digest) {
  return zt7::GuardExport(false, [&] {
    // A file that cannot be read is logged through the application context.
    RODediRunnable::GetInstance();
    return zt7::ValidateDynDigest(vexstr(reflectionFile), digest);
  });
}
