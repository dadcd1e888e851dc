// A seeded .cif_od reflection file for the benchmarks: a few items, then a _refln loop of
// h, k, l, intensity and sigma, one row per line (about 35 bytes a row).
#pragma once

#include <cstdio>
#include <random>
#include <string>

namespace zt7bench {

// Writes the file; false when it cannot be written.
inline bool WriteSampleCifOd(const std::string& path, size_t rows, unsigned seed = 20261206) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::fputs(
      "data_sample\n_cell_length_a 5.95\n_cell_length_b 9.03\n_cell_length_c 18.38\n"
      "_diffrn_radiation_wavelength 0.71073\nloop_\n_refln_index_h\n_refln_index_k\n"
      "_refln_index_l\n_refln_intensity_meas\n_refln_intensity_sigma\n",
      out);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> hk(-25, 25), l(0, 40);
  std::exponential_distribution<double> intensity(1.0 / 800.0);
  for (size_t i = 0; i < rows; ++i) {
    const double I = intensity(random) - 5.0;
    std::fprintf(out, "%4d %4d %4d %10.2f %8.2f\n", hk(random), hk(random), l(random), I,
                 0.8 + 0.005 * (I > 0 ? I : 0) + double(random() % 100) / 100.0);
  }
  return std::fclose(out) == 0;
}

}  // namespace zt7bench
