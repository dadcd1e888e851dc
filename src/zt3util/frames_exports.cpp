// The frames digest exports.
#include "zt3util/boundary.h"
#include "zt7util.h"

const char* pcDigestFrames(const char16_t* /*folder*/, const char16_t* /*mask*/) {
  return zt3util::GuardExport(zt3util::kRefusedText, [] { return zt3util::kRefusedText; });
}

int32_t iValidateFramesDigests(const char16_t* /*folder*/, const char16_t* /*mask*/,
                               const char* /*firstDigest*/, const char* /*secondDigest*/) {
  return zt3util::GuardExport<int32_t>(0, [] { return 0; });
}
