// Sealing an HKL file, and carrying a seal over to a re-processed file.
#include "zt3util/hkl_digest.h"

#include <cstring>  // for strlen

#include "repository/hkl_match.h"
#include "sdl/efile.h"
#include "zt3util/digest_schemes.h"
#include "zt3util/reason_log.h"

using namespace zodu;

namespace zt7 {
namespace {

// The scheme that a stored part names in its second character: only schemes 1 and 2 are
// recomputed for an update, 0 stands for any other.
int RecomputedScheme(const char* stored) {
  return stored[1] == '1' ? 1 : stored[1] == '2' ? 2 : 0;
}

// A stored part long enough to be checked.
bool IsGiven(const char* stored) {
  return stored && std::strlen(stored) > 2;
}

// The old part recomputed under the scheme that `stored` names (none for other schemes:
// the empty text), compared whole.
bool StillSeals(const HklScan& old, const char* stored, unsigned part) {
  const size_t n = std::strlen(stored);
  const int version = RecomputedScheme(stored);
  if (version == 0) {
    LogReason(vexstr(u"the old digest part ")
              << (part == kDigestPart1 ? 1 : 2) << u" is of scheme '"
              << vexstr(vexcstr(stored + 1, 1)) << u"'; a seal is carried over from scheme 1 or 2");
    return false;
  }
  const vexcstr recomputed = ComposeDigest(old, version, part, false);
  // Part 2 comes with its leading comma.
  const vexcstr text =
      part == kDigestPart2 ? recomputed.SubStringFrom(recomputed.IsEmpty() ? 0 : 1) : recomputed;
  if (text.Length() == n && std::memcmp(text.raw(), stored, n) == 0) return true;
  LogReason(vexstr(u"the old digest part ") << (part == kDigestPart1 ? 1 : 2) << u" (scheme "
                                            << version << u") does not seal the old file");
  return false;
}

// Whether the scan of the HKL file at `path` has at least hkl_util::kMinLines lines; the
// reason goes to the log when not.
bool IsUsableScan(const HklScan& scan, const vexstr& path) {
  if (scan.IsUsable()) return true;
  LogReason(vexstr() << Quoted(path) << u" holds too few reflection lines (at least "
                     << static_cast<unsigned>(hkl_util::kMinLines) << u")");
  return false;
}

// Whether `path` names an existing file; the reason goes to the log when not.
bool IsGivenFile(const vexstr& path) {
  if (IsExistingFile(path)) return true;
  LogReason(vexstr(u"no HKL file ") << Quoted(path));
  return false;
}

}  // namespace

bool IsExistingFile(const vexstr& path) {
  return !path.IsEmpty() && TEFile::PathExists(path) && !TEFile::IsFolder(path);
}

vexcstr DigestHklFile(const vexstr& path, int version, unsigned parts) {
  return DigestHklScan(HklScan::OfFile(path, NeedsOfScheme(version)), path, version, parts);
}

vexcstr DigestHklScan(const HklScan& scan, const vexstr& path, int version, unsigned parts) {
  if (!IsUsableScan(scan, path)) return vexcstr();
  // Composed first: when a line cannot be read the call fails, and no warning is due.
  vexcstr digest = ComposeDigest(scan, version, parts, false);
  if (!scan.HasReflectionLine())
    LogWarning(vexstr(Quoted(path)) << u" holds no reflection line: its digest is that of an empty "
                                       u"text, which every such file shares");
  return digest;
}

vexcstr UpdateHklDigests(const vexstr& oldPath, const vexstr& newPath, const char* oldFirst,
                         const char* oldSecond) {
  if (!IsGivenFile(newPath) || !IsGivenFile(oldPath)) return vexcstr();
  // Each file is read once: the old one for its intensities and the stored parts' scheme,
  // the new one for its intensities and its scheme-1 digest.
  ScanNeeds oldNeeds = NeedsOfScheme(2);
  for (const char* stored : {oldFirst, oldSecond})
    if (IsGiven(stored) && RecomputedScheme(stored) == 1) oldNeeds.endLines = true;
  const HklScan old = HklScan::OfFile(oldPath, oldNeeds);
  if (!IsUsableScan(old, oldPath)) return vexcstr();
  // Only the intensities of the records are compared.
  const TArrayList<double>& oldIntensities = old.Intensities();
  if (IsGiven(oldFirst) && !StillSeals(old, oldFirst, kDigestPart1)) return vexcstr();
  const bool secondConfirmed = IsGiven(oldSecond) && StillSeals(old, oldSecond, kDigestPart2);

  ScanNeeds newNeeds = NeedsOfScheme(1);
  newNeeds.intensities = true;
  const HklScan renewed = HklScan::OfFile(newPath, newNeeds);
  if (!IsUsableScan(renewed, newPath)) return vexcstr();
  const TArrayList<double>& newIntensities = renewed.Intensities();
  if (MatchIntensities(oldIntensities, newIntensities) > 0.1) {
    if (oldIntensities.Count() != newIntensities.Count() ||
        oldIntensities.Count() < kMinReflections)
      LogReason(vexstr() << Quoted(newPath) << u" holds " << newIntensities.Count()
                         << u" reflections and the old file " << oldIntensities.Count()
                         << u": not comparable (the same number, at least 20, is needed)");
    else
      LogReason(vexstr(u"the intensity distribution of ")
                << Quoted(newPath) << u" differs from the old file's (distance above 0.1)");
    return vexcstr();
  }
  // The new seal is always of scheme 1, whatever the current scheme version.
  return ComposeDigest(renewed, 1, secondConfirmed ? kDigestPart1 | kDigestPart2 : kDigestPart1,
                       false);
}

}  // namespace zt7
