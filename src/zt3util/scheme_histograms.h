// The intensity histogram of digest scheme 2 and the text form of any histogram.
#pragma once

#include "repository/hkl_util.h"
#include "sdl/constlist.h"
#include "sdl/typelist.h"

namespace zt7 {

// Scheme 2's n-bin histogram (n at least 1): scaled values rounded with halves up, records whose
// scaled value leaves 0 or 1 over n left out, counts not normalised.
zodu::ConstTypeList<hkl_util::Bin> RawFingerprint(const zodu::TArrayList<double>& intensities,
                                                  unsigned n);

// "count(mean)" for every bin with a count, the mean with one decimal, nothing between:
// bins (3800, 100) and (1250, 25) give "100(38.0)25(50.0)".
zodu::vexcstr FingerprintText(const zodu::TTypeList<hkl_util::Bin>& bins);

}  // namespace zt7
