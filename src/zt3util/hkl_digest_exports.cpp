// The HKL digest exports: making, carrying over and validating HKL digests.
#include "zt3util/boundary.h"
#include "zt3util/frames_digest.h"
#include "zt3util/hkl_digest.h"
#include "zt3util/hkl_validation.h"
#include "zt3util/key_version.h"
#include "zt3util/reason_log.h"
#include "zt3util/returned_text.h"
#include "zt3util/runnable.h"
#include "zt7util.h"

using zodu::vexstr;
using zt7::GuardExport;
using zt7::kRefusedText;

const char* pcDigestHKL(const char16_t* folder, const char16_t* mask, const char16_t* hklFile,
                        const char* firstFramesDigest, const char* secondFramesDigest) {
  return GuardExport(kRefusedText, [&] {
    RODediRunnable::GetInstance();  // its log takes the reasons, and any error caught here
    const vexstr path(hklFile);
    if (!zt7::IsExistingFile(path)) {
      zt7::LogReason(vexstr(u"no HKL file ") << zt7::Quoted(path));
      return kRefusedText;
    }
    // HKL digests are issued only for data whose frames still check out.
    if (folder == nullptr) {
      zt7::LogReason(u"no frames folder: an HKL file is sealed only with its frames");
      return kRefusedText;
    }
    const int parts = zt7::ValidateFramesDigests(vexstr(folder), vexstr(mask), firstFramesDigest,
                                                 secondFramesDigest);
    if (parts == 0) return kRefusedText;
    return zt7::MakeReturnedText(
        vexstr(zt7::DigestHklFile(path, zt7::KeyVersion(), static_cast<unsigned>(parts))));
  });
}

const char* pcUpdateHKLDigests(const char16_t* oldHklFile, const char16_t* newHklFile,
                               const char* oldFirstDigest, const char* oldSecondDigest) {
  return GuardExport(kRefusedText, [&] {
    RODediRunnable::GetInstance();
    return zt7::MakeReturnedText(vexstr(zt7::UpdateHklDigests(
        vexstr(oldHklFile), vexstr(newHklFile), oldFirstDigest, oldSecondDigest)));
  });
}

int32_t iValidateHKLDigests(const char16_t* hklFile, const char* firstDigest,
                            const char* secondDigest) {
  return GuardExport<int32_t>(zt7::kNotValid, [&] {
    RODediRunnable::GetInstance();
    return zt7::ValidateHklDigests(vexstr(hklFile), firstDigest, secondDigest);
  });
}

int32_t iValidateRefsDigests(const char* reflections, const char* firstDigest,
                             const char* secondDigest) {
  return GuardExport<int32_t>(zt7::kNotValid, [&] {
    RODediRunnable::GetInstance();
    return zt7::ValidateRefsDigests(reflections, firstDigest, secondDigest);
  });
}
