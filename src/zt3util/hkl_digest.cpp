// Sealing an HKL file, and carrying a seal over to a re-processed file.
#include "zt3util/hkl_digest.h"

#include <cstring>  // for strlen

#include "repository/hkl_match.h"
#include "repository/hkl_records.h"
#include "repository/narrow_lines.h"
#include "sdl/efile.h"
#include "zt3util/digest_schemes.h"
#include "zt3util/line_sort.h"
#include "zt3util/reason_log.h"
#include "zt3util/reflection_lines.h"
#include "zt7util.h"

using namespace zodu;

namespace zt3util {
namespace {

// The old part recomputed under the scheme that `stored` names in its second character
// (only schemes 1 and 2 are recomputed; others give the empty text), compared whole.
bool StillSeals(TCStrList& sortedOldLines, size_t lineLength, const char* stored, unsigned part) {
  const size_t n = std::strlen(stored);
  const int version = stored[1] == '1' ? 1 : stored[1] == '2' ? 2 : 0;
  if (version == 0) {
    LogReason(vexstr(u"the old digest part ")
              << (part == kDigestPart1 ? 1 : 2) << u" is of scheme '"
              << vexstr(vexcstr(stored + 1, 1)) << u"'; a seal is carried over from scheme 1 or 2");
    return false;
  }
  const vexcstr recomputed =
      version == 0 ? vexcstr()
                   : ComposeDigestOfLength(sortedOldLines, lineLength, version, part, false);
  // Part 2 comes with its leading comma.
  const vexcstr text =
      part == kDigestPart2 ? recomputed.SubStringFrom(recomputed.IsEmpty() ? 0 : 1) : recomputed;
  if (text.Length() == n && std::memcmp(text.raw(), stored, n) == 0) return true;
  LogReason(vexstr(u"the old digest part ") << (part == kDigestPart1 ? 1 : 2) << u" (scheme "
                                            << version << u") does not seal the old file");
  return false;
}

// The lines of an HKL file that has at least hkl_util::kMinLines of them, or none.
bool ReadUsable(const vexstr& path, TCStrList& lines) {
  if (!IsExistingFile(path)) {
    LogReason(vexstr(u"no HKL file ") << Quoted(path));
    return false;
  }
  lines = ReadNarrowLines(path).Release();
  if (hkl_util::IsUsable(lines)) return true;
  LogReason(vexstr() << Quoted(path) << u" holds too few reflection lines (at least "
                     << static_cast<unsigned>(hkl_util::kMinLines) << u")");
  return false;
}

}  // namespace

bool IsExistingFile(const vexstr& path) {
  return !path.IsEmpty() && TEFile::PathExists(path) && !TEFile::IsFolder(path);
}

vexcstr DigestHklFile(const vexstr& path, unsigned parts) {
  TCStrList lines = ReadNarrowLines(path).Release();
  bool anyReflection = false;
  for (size_t i = 0; i < lines.Count() && !anyReflection; ++i)
    anyReflection = IsReflectionLine(lines[i]);
  if (!anyReflection)
    LogReason(vexstr(u"Warning: ") << Quoted(path)
                                   << u" holds no reflection line: its digest is that of an empty "
                                      u"text, which every such file shares");
  return ComposeDigest(lines, iGetKeyVersion(), parts, false);
}

vexcstr UpdateHklDigests(const vexstr& oldPath, const vexstr& newPath, const char* oldFirst,
                         const char* oldSecond) {
  if (!IsExistingFile(newPath)) {
    LogReason(vexstr(u"no HKL file ") << Quoted(newPath));
    return vexcstr();
  }
  TCStrList oldLines;
  if (!ReadUsable(oldPath, oldLines)) return vexcstr();
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

  TCStrList newLines;
  if (!ReadUsable(newPath, newLines)) return vexcstr();
  const TArrayList<double> newIntensities =
      hkl_util::ParseIntensities(newLines, static_cast<unsigned>(newLines[0].Length()));
  const double distance = MatchIntensities(oldIntensities, newIntensities);
  if (distance > 0.1) {
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
  return ComposeDigest(newLines, 1, secondConfirmed ? kDigestPart1 | kDigestPart2 : kDigestPart1,
                       false);
}

}  // namespace zt3util
