// Comparing two reflection lists, or two HKL files, by their intensity fingerprints.
#include "repository/hkl_match.h"

#include <optional>

#include "repository/hkl_util.h"
#include "repository/intensity_scan.h"
#include "repository/narrow_lines.h"
#include "sdl/efile.h"

using namespace zodu;

namespace {

// The file's intensities, or nothing when its lines are not usable. The file is read a
// piece at a time: only the intensities are held.
std::optional<TArrayList<double>> ReadIntensities(const vexstr& path) {
  NarrowRunReader file(path);
  hkl_util::IntensityScan scan(true, file.Size());
  ForEachNarrowLineOf(file, [&scan](const char* line, size_t length) { scan.Take(line, length); });
  if (!scan.IsUsable()) return std::nullopt;
  return std::move(scan).Intensities();
}

}  // namespace

double MatchIntensities(const TArrayList<double>& a, const TArrayList<double>& b) {
  if (a.Count() != b.Count() || a.Count() < kMinReflections) return kNoMatch;
  const TTypeList<hkl_util::Bin> fa = hkl_util::fingerprint(a, hkl_util::kBins).Release();
  const TTypeList<hkl_util::Bin> fb = hkl_util::fingerprint(b, hkl_util::kBins).Release();
  return hkl_util::corelate(fa, fb);
}

double MatchRefs(const TTypeList<hkl_util::Ref>& a, const TTypeList<hkl_util::Ref>& b) {
  return MatchIntensities(hkl_util::IntensitiesOf(a), hkl_util::IntensitiesOf(b));
}

double MatchHklFiles(const vexstr& path1, const vexstr& path2, vexstr* whyNot) {
  auto refuse = [&](const vexstr& text) {
    if (whyNot) *whyNot = text;
    return kNoMatch;
  };
  for (const vexstr* path : {&path1, &path2})
    if (!TEFile::PathExists(*path)) return refuse(vexstr(u"no HKL file '") << *path << u"'");
  const std::optional<TArrayList<double>> a = ReadIntensities(path1);
  if (!a) return refuse(vexstr(u"'") << path1 << u"' holds too few reflection lines");
  const std::optional<TArrayList<double>> b = ReadIntensities(path2);
  if (!b) return refuse(vexstr(u"'") << path2 << u"' holds too few reflection lines");
  if (a->Count() != b->Count() || a->Count() < kMinReflections)
    return refuse(vexstr(u"'") << path1 << u"' holds " << a->Count() << u" reflections and '"
                               << path2 << u"' " << b->Count()
                               << u": not comparable (the same number, at least 20, is needed)");
  return MatchIntensities(*a, *b);
}
