// Intensity fingerprints of reflection lists and the distance between two of them.
#include "repository/hkl_util.h"

#include <cmath>  // for fabs, trunc

#include "sdl/ebase.h"

using namespace zodu;

namespace hkl_util {
namespace {

constexpr double kReflectionsPerFingerprint = 10000.0;

// Rounds a non-negative count, halves up; not a number gives 0.
unsigned RoundCount(double y) {
  if (!(y >= 0)) return 0;
  if (y >= 4294967295.0) return 4294967295u;
  const double whole = std::trunc(y);
  return static_cast<unsigned>(whole) + (y - whole >= 0.5 ? 1u : 0u);
}

}  // namespace

IntensityScale ScaleOf(const TArrayList<double>& intensities, unsigned n) {
  double lo = 1000.0, hi = -0.001;
  for (double I : intensities) {
    if (I < lo) lo = I;
    if (I > hi) hi = I;
  }
  return {lo, double(n * n - 1) / (hi - lo)};
}

unsigned ScaledValue(double x, unsigned top, bool roundHalfUp) {
  // Clamped before the conversion: a double outside the integer range has no integer.
  if (!(x > 0)) return 0;
  if (x >= top) return top;
  const double whole = std::trunc(x);
  const unsigned s = static_cast<unsigned>(whole);
  return roundHalfUp && x - whole >= 0.5 ? s + 1 : s;
}

ConstTypeList<Bin> fingerprint(const TArrayList<double>& intensities, unsigned n) {
  const unsigned top = n * n - 1;
  const IntensityScale scale = ScaleOf(intensities, n);
  TArrayList<Bin> sums(n, Bin{0.0, 0});
  for (double I : intensities) {
    const unsigned s = ScaledValue((I - scale.lo) * scale.factor, top, false);
    Bin& bin = sums[s / n];
    bin.a += s;
    bin.b += 1;
  }
  const double perReflection = kReflectionsPerFingerprint / double(intensities.Count());
  TTypeList<Bin> bins;
  bins.SetCapacity(n);
  for (const Bin& sum : sums) {
    const double mean = sum.a / sum.b;
    const unsigned count = RoundCount(sum.b * perReflection);
    bins.AddNew(Bin{count * mean, count});
  }
  return ConstTypeList<Bin>(std::move(bins));
}

ConstTypeList<Bin> fingerprint(const TTypeList<Ref>& refs, unsigned n) {
  return fingerprint(IntensitiesOf(refs), n);
}

ConstTypeList<Bin> fingerprint(const ConstTypeList<Ref>& refs, unsigned n) {
  return fingerprint(refs.obj(), n);
}

double corelate(const TTypeList<Bin>& a, const TTypeList<Bin>& b) {
  if (a.Count() != b.Count()) throw TInvalidArgumentException(ZT_LOCATION, u"fingerprint size");
  double sum = 0;
  for (size_t i = 0; i < a.Count(); ++i) {
    const double meanA = a[i].b != 0 ? a[i].a / a[i].b : 0;
    const double meanB = b[i].b != 0 ? b[i].a / b[i].b : 0;
    sum += 2 * std::fabs(meanA - meanB) / double(a[i].b + b[i].b + 1u);
  }
  return sum / double(a.Count());
}

}  // namespace hkl_util
