// Intensity fingerprints of reflection lists and the distance between two of them.
#pragma once

#include "repository/hkl_records.h"
#include "sdl/constlist.h"
#include "sdl/typelist.h"

namespace hkl_util {

// One histogram bin: the sum of the scaled intensities in it and their count.
using Bin = zodu::vex_pair_t<double, unsigned int>;
// The module always bins into this many bins.
constexpr unsigned kBins = 25;

// Maps intensities onto the scaled values 0..n*n-1: x = (I - lo) * factor, where lo is the
// least of 1000.0 and the intensities and the factor spans up to the greater of -0.001 and
// the greatest intensity.
struct IntensityScale {
  double lo;
  double factor;
};
IntensityScale ScaleOf(const zodu::TArrayList<double>& intensities, unsigned n);

// x as a scaled value: cut toward zero, or rounded with halves up when `roundHalfUp`, kept
// within 0..top. Not a number (all intensities equal) gives 0.
unsigned ScaledValue(double x, unsigned top, bool roundHalfUp);

// The n-bin histogram (n at least 1) of the scaled intensities, counts normalised to 10000
// reflections and values to count times the bin's mean scaled intensity. A bin without reflections
// has count 0 and a value that is not a number.
zodu::ConstTypeList<Bin> fingerprint(const zodu::TArrayList<double>& intensities, unsigned n);
zodu::ConstTypeList<Bin> fingerprint(const zodu::TTypeList<Ref>& refs, unsigned n);
zodu::ConstTypeList<Bin> fingerprint(const zodu::ConstTypeList<Ref>& refs, unsigned n);

// Distance of two fingerprints of the same size, 0 for identical ones; raises
// TInvalidArgumentException "fingerprint size" when the sizes differ.
double corelate(const zodu::TTypeList<Bin>& a, const zodu::TTypeList<Bin>& b);

}  // namespace hkl_util
