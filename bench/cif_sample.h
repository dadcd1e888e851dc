// The files of the CIF benchmarks: a reflection file (one block of items and a 1,000,000-row
// loop of 6 columns, laid out as diffractometer software writes .cif_od files, 35 MB), and
// a dictionary of save frames with short items and text fields (5 MB).
#pragma once

#include <cstdio>
#include <string>

namespace zt7bench {

constexpr size_t kSampleCifRows = 1000000;
constexpr size_t kDictionaryFrames = 12000;

// `quantity` names the two intensity columns: "_refln_" + quantity + "_meas" and "_sigma"
// ("F_squared" or "intensity"; both give a file of the same size); the loop has `rows` rows.
// False when the file cannot be written.
inline bool WriteSampleCif(const std::string& path, const char* quantity,
                           size_t rows = kSampleCifRows) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f,
               "data_sample\n"
               "_audit_creation_method 'generated for the benchmark'\n"
               "_diffrn_ambient_temperature 100.0\n"
               "_diffrn_radiation_type 'Mo K\\a'\n"
               "_diffrn_radiation_wavelength 0.71073\n"
               "_cell_length_a 10.5432\n_cell_length_b 12.0021\n_cell_length_c 15.8877\n"
               "_cell_angle_alpha 90\n_cell_angle_beta 101.232\n_cell_angle_gamma 90\n"
               "loop_\n"
               "_refln_index_h\n_refln_index_k\n_refln_index_l\n"
               "_refln_%s_meas\n_refln_%s_sigma\n_refln_scale_group_code\n",
               quantity, quantity);
  unsigned seed = 12345;
  for (size_t r = 0; r < rows; ++r) {
    seed = seed * 1103515245u + 12345u;
    const int h = int(seed >> 8) % 41 - 20, k = int(seed >> 14) % 51 - 25,
              l = int(seed >> 20) % 61 - 30;
    const double intensity = double(seed % 1000000) / 37.0, sigma = intensity / 23.0 + 0.5;
    std::fprintf(f, "%4d%4d%4d %9.2f %8.2f %2d\n", h, k, l, intensity, sigma, int(r % 7) + 1);
  }
  return std::fclose(f) == 0;
}

// kDictionaryFrames save frames in one block, each an item definition as mmCIF dictionaries
// write them: a text field, short items and a small loop.
inline bool WriteDictionaryCif(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "data_sample_dict\n_dictionary.title sample.dic\n_dictionary.version 1.0\n");
  for (size_t i = 0; i < kDictionaryFrames; ++i) {
    const size_t category = i / 20;
    std::fprintf(f,
                 "save__cat%zu.item%zu\n"
                 "    _item_description.description\n"
                 ";              The value of _cat%zu.item%zu identifies one record of the\n"
                 "               category, as the example below shows.\n"
                 ";\n"
                 "    _item.name                  '_cat%zu.item%zu'\n"
                 "    _item.category_id             cat%zu\n"
                 "    _item.mandatory_code          %s\n"
                 "    _item_type.code               %s\n"
                 "    _item_units.code              %s\n"
                 "    loop_\n"
                 "    _item_examples.case\n"
                 "    _item_examples.detail\n"
                 "    '%zu.5'  'a value'\n"
                 "    ?        .\n"
                 "    save_\n\n",
                 category, i, category, i, category, i, category, i % 3 ? "no" : "yes",
                 i % 2 ? "float" : "code", i % 5 ? "angstroms" : "degrees", i);
  }
  return std::fclose(f) == 0;
}

}  // namespace zt7bench
