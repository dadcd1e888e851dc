// Sealing an HKL file, and carrying a seal over to a re-processed file.
#include "zt3util/hkl_digest.h"

#include <cstring>  // for strlen

#include "repository/hkl_match.h"
#include "repository/hkl_records.h"
#include "repository/narrow_lines.h"
#include "sdl/efile.h"
#include "zt3util/digest_schemes.h"
#include "zt3util/line_sort.h"
#include "zt7util.h"

using namespace zodu;

namespace zt3util {
namespace {

// The old part recomputed under the scheme that `stored` names in its second character
// (only schemes 1 and 2 are recomputed; others give the empty text), compared whole.
bool StillSeals(TCStrList& sortedOldLines, size_t lineLength, const char* stored, unsigned part) {
  const size_t n = std::strlen(stored);
  const int version = stored[1] == '1' ? 1 : stored[1] == '2' ? 2 : 0;
  const vexcstr recomputed =
      version == 0 ? vexcstr()
                   : ComposeDigestOfLength(sortedOldLines, lineLength, version, part, false);
  // Part 2 comes with its leading comma.
  const vexcstr text =
      part == kDigestPart2 ? recomputed.SubStringFrom(recomputed.IsEmpty() ? 0 : 1) : recomputed;
  return text.Length() == n && std::memcmp(text.raw(), stored, n) == 0;
}

}  // namespace

bool IsExistingFile(const vexstr& path) {
  return !path.IsEmpty() && TEFile::PathExists(path) && !TEFile::IsFolder(path);
}

vexcstr DigestHklFile(const vexstr& path, unsigned parts) {
  TCStrList lines = ReadNarrowLines(path).Release();
  return ComposeDigest(lines, iGetKeyVersion(), parts, false);
}

vexcstr UpdateHklDigests(const vexstr& oldPath, const vexstr& newPath, const char* oldFirst,
                         const char* oldSecond) {
  if (!IsExistingFile(oldPath) || !IsExistingFile(newPath)) return vexcstr();
  TCStrList oldLines = ReadNarrowLines(oldPath).Release();
  if (!hkl_util::IsUsable(oldLines)) return vexcstr();
  const size_t oldLength = oldLines[0].Length();
  // Only the intensities of the records are compared.
  const TArrayList<double> oldIntensities =
      hkl_util::ParseIntensities(oldLines, static_cast<unsigned>(oldLength));
  SortLines(oldLines);

  if (oldFirst && std::strlen(oldFirst) > 2 &&
      !StillSeals(oldLines, oldLength, oldFirst, kDigestPart1))
    return vexcstr();
  const bool secondConfirmed = oldSecond && std::strlen(oldSecond) > 2 &&
                               StillSeals(oldLines, oldLength, oldSecond, kDigestPart2);

  TCStrList newLines = ReadNarrowLines(newPath).Release();
  if (!hkl_util::IsUsable(newLines)) return vexcstr();
  const TArrayList<double> newIntensities =
      hkl_util::ParseIntensities(newLines, static_cast<unsigned>(newLines[0].Length()));
  if (MatchIntensities(oldIntensities, newIntensities) > 0.1) return vexcstr();
  // The new seal is always of scheme 1, whatever the current scheme version.
  return ComposeDigest(newLines, 1, secondConfirmed ? kDigestPart1 | kDigestPart2 : kDigestPart1,
                       false);
}

}  // namespace zt3util
