// The HKL digest exports: making, carrying over and validating HKL digests.
#include "zt3util/boundary.h"
#include "zt7util.h"

const char* pcDigestHKL(const char16_t* /*folder*/, const char16_t* /*mask*/,
                        const char16_t* /*hklFile*/, const char* /*firstFramesDigest*/,
                        const char* /*secondFramesDigest*/) {
  return zt3util::GuardExport(zt3util::kRefusedText, [] { return zt3util::kRefusedText; });
}

const char* pcUpdateHKLDigests(const char16_t* /*oldHklFile*/, const char16_t* /*newHklFile*/,
                               const char* /*oldFirstDigest*/, const char* /*oldSecondDigest*/) {
  return zt3util::GuardExport(zt3util::kRefusedText, [] { return zt3util::kRefusedText; });
}

int32_t iValidateHKLDigests(const char16_t* /*hklFile*/, const char* /*firstDigest*/,
                            const char* /*secondDigest*/) {
  return zt3util::GuardExport<int32_t>(0, [] { return 0; });
}

int32_t iValidateRefsDigests(const char* /*reflections*/, const char* /*firstDigest*/,
                             const char* /*secondDigest*/) {
  return zt3util::GuardExport<int32_t>(0, [] { return 0; });
}
