// The intensity histogram of digest scheme 2 and the text form of any histogram.
#include "zt3util/scheme_histograms.h"

using namespace zodu;

namespace zt7 {

ConstTypeList<hkl_util::Bin> RawFingerprint(const TArrayList<double>& intensities, unsigned n) {
  const unsigned top = n * n - 1;
  const hkl_util::IntensityScale scale = hkl_util::ScaleOf(intensities, n);
  TTypeList<hkl_util::Bin> bins;
  bins.SetCapacity(n);
  for (unsigned i = 0; i < n; ++i) bins.AddNew(hkl_util::Bin{0.0, 0});
  for (double I : intensities) {
    const unsigned s = hkl_util::ScaledValue((I - scale.lo) * scale.factor, top, true);
    const unsigned b = s / n;
    if (s - b * n <= 1) continue;
    bins[b].a += s;
    bins[b].b += 1;
  }
  return ConstTypeList<hkl_util::Bin>(std::move(bins));
}

vexcstr FingerprintText(const TTypeList<hkl_util::Bin>& bins) {
  vexcstr text;
  for (const hkl_util::Bin& bin : bins) {
    if (bin.b == 0) continue;
    text << bin.b << '(' << vexcstr::FormatFloat(1, bin.a / bin.b, false) << ')';
  }
  return text;
}

}  // namespace zt7
