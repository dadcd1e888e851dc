// Sealing an HKL file, and carrying a seal over to a re-processed file.
#pragma once

#include "sdl/smart/vex_istring.h"
#include "zt3util/hkl_scan.h"

namespace zt7 {

// Whether `path` names an existing file (not a folder).
bool IsExistingFile(const zodu::vexstr& path);

// The digest of the HKL file at `path` under the digest scheme `version`, with the parts
// that `parts` asks for (the frames check result: bit 1 part 1, bit 2 part 2). Empty when
// the file has too few or too short lines.
zodu::vexcstr DigestHklFile(const zodu::vexstr& path, int version, unsigned parts);

// DigestHklFile of a scan of the file at `path` (named in the reasons), made with
// NeedsOfScheme(version) or more.
zodu::vexcstr DigestHklScan(const HklScan& scan, const zodu::vexstr& path, int version,
                            unsigned parts);

// The scheme-1 digest of `newPath` when `oldFirst` (if given) still seals `oldPath` and the
// new reflections match the old ones; part 2 only when `oldSecond` still seals the old
// file. Empty otherwise. `oldFirst` and `oldSecond` may be null.
zodu::vexcstr UpdateHklDigests(const zodu::vexstr& oldPath, const zodu::vexstr& newPath,
                               const char* oldFirst, const char* oldSecond);

}  // namespace zt7
