// Sealing an HKL file, and carrying a seal over to a re-processed file.
#include "zt3util/hkl_digest.h"

#include <cstring>  // for strlen

#include "repository/hkl_match.h"
#include "sdl/efile.h"
#include "zt3util/digest_schemes.h"

using namespace zodu;

namespace zt3util {
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
  const vexcstr recomputed = version == 0 ? vexcstr() : ComposeDigest(old, version, part, false);
  // Part 2 comes with its leading comma.
  const vexcstr text =
      part == kDigestPart2 ? recomputed.SubStringFrom(recomputed.IsEmpty() ? 0 : 1) : recomputed;
  return text.Length() == n && std::memcmp(text.raw(), stored, n) == 0;
}

}  // namespace

bool IsExistingFile(const vexstr& path) {
  return !path.IsEmpty() && TEFile::PathExists(path) && !TEFile::IsFolder(path);
}

vexcstr DigestHklFile(const vexstr& path, int version, unsigned parts) {
  return ComposeDigest(HklScan::OfFile(path, NeedsOfScheme(version)), version, parts, false);
}

vexcstr UpdateHklDigests(const vexstr& oldPath, const vexstr& newPath, const char* oldFirst,
                         const char* oldSecond) {
  if (!IsExistingFile(oldPath) || !IsExistingFile(newPath)) return vexcstr();
  // Each file is read once: the old one for its intensities and the stored parts' scheme,
  // the new one for its intensities and its scheme-1 digest.
  ScanNeeds oldNeeds = NeedsOfScheme(2);
  for (const char* stored : {oldFirst, oldSecond})
    if (IsGiven(stored) && RecomputedScheme(stored) == 1) oldNeeds.endLines = true;
  const HklScan old = HklScan::OfFile(oldPath, oldNeeds);
  if (!old.IsUsable()) return vexcstr();
  // Only the intensities of the records are compared.
  const TArrayList<double>& oldIntensities = old.Intensities();
  if (IsGiven(oldFirst) && !StillSeals(old, oldFirst, kDigestPart1)) return vexcstr();
  const bool secondConfirmed = IsGiven(oldSecond) && StillSeals(old, oldSecond, kDigestPart2);

  ScanNeeds newNeeds = NeedsOfScheme(1);
  newNeeds.intensities = true;
  const HklScan renewed = HklScan::OfFile(newPath, newNeeds);
  if (!renewed.IsUsable()) return vexcstr();
  if (MatchIntensities(oldIntensities, renewed.Intensities()) > 0.1) return vexcstr();
  // The new seal is always of scheme 1, whatever the current scheme version.
  return ComposeDigest(renewed, 1, secondConfirmed ? kDigestPart1 | kDigestPart2 : kDigestPart1,
                       false);
}

}  // namespace zt3util
