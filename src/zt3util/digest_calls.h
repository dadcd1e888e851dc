// The digests and checks as their callers in the library use them: UTF-8 paths in, a
// Result with the call's own reason out, on any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "sdl/result.h"
#include "sdl/smart/vex_istring.h"
#include "zt3util/hkl_scan.h"

namespace zt7 {

// Each call keeps the entries that it logs to itself (a LogCapture), so that its reason is
// its own even while other calls run. An error raised inside gives kError with its report.
// A path that is no readable regular file (or folder, for frames) is kRefused before
// anything is opened. Digest parts and stored digests may be null.

// The frames digest "FIRST,SECOND" of the files in `folder` matching `mask`.
Result<std::string> DigestFrames(const std::string& folder, const std::string& mask);

// A check's code (3, 1 or 0): kOk for 3, or for 1 when `second` is null; kMismatch
// otherwise, with the reason; a note when a 1 stands for an unsealed test crystal.
Result<int> CheckFrames(const std::string& folder, const std::string& mask, const char* first,
                        const char* second);
Result<int> CheckHkl(const std::string& hkl, const char* first, const char* second);
Result<int> CheckRefs(std::string_view reflections, const char* first, const char* second);

// The HKL digest under scheme `keyVersion`, while the frames digest checks out.
Result<std::string> DigestHkl(const std::string& framesFolder, const std::string& mask,
                              const std::string& hkl, const char* framesFirst,
                              const char* framesSecond, int keyVersion);
Result<std::string> UpdateHkl(const std::string& oldHkl, const std::string& newHkl,
                              const char* oldFirst, const char* oldSecond);
// kRefused with the reason when the two cannot be compared.
Result<double> MatchHkl(const std::string& first, const std::string& second);

Result<std::string> DigestDyn(const std::string& framesFolder, const std::string& mask,
                              const std::string& file, const char* framesFirst,
                              const char* framesSecond);
// kOk when `digest` seals `file`, kMismatch when not.
Result<Done> CheckDyn(const std::string& file, const char* digest);

// An HKL file's lines scanned while the file was read for its SHA-256, so that it is read
// once for all its digests (`path` names it in the reasons). For a seal whose frames
// checked out (both parts) already: the digest under `keyVersion`, scanned with
// NeedsOfValidation(keyVersion), refused unless it checks out on the same lines. The
// check is CheckHkl of the lines, scanned with NeedsToValidate(first) and the cell line.
Result<std::string> SealHklScan(const HklScan& scan, const std::string& path, int keyVersion);
Result<int> CheckHklScan(const HklScan& scan, const std::string& path, const char* first,
                         const char* second);

// Hands to `sink` the lines of the loop text that the DYN digest of the .cif_od file `file`
// covers; kRefused with the reason when the file has no qualifying loop.
Result<Done> DynLoopLines(const std::string& file,
                          const std::function<void(const zodu::vexstr&)>& sink);

}  // namespace zt7
