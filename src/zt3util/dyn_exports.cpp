// The DYN digest exports for reflection files.
#include "zt3util/boundary.h"
#include "zt7util.h"

const char* pcDigestDYN(const char16_t* /*folder*/, const char16_t* /*mask*/,
                        const char16_t* /*reflectionFile*/, const char* /*firstFramesDigest*/,
                        const char* /*secondFramesDigest*/) {
  return zt3util::GuardExport(zt3util::kRefusedText, [] { return zt3util::kRefusedText; });
}

bool bValidateDYNDigest(const char16_t* /*reflectionFile*/, const char* /*digest*/) {
  return zt3util::GuardExport(false, [] { return false; });
}
