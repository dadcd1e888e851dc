// CIF group: reading a 35 MB reflection file (one block, a 1,000,000-row loop of 6 columns,
// laid out as diffractometer software writes .cif_od files), time and peak memory, against
// gemmi's CIF reader on the same file.
#include <stdlib.h>  // for mkdtemp
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <gemmi/cif.hpp>

#include "bench_timing.h"
#include "sdl/efile.h"
#include "xlib/cifdp.h"

namespace {

constexpr int kRounds = 3;
constexpr size_t kRows = 1000000;

void WriteSample(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fputs(
      "data_sample\n"
      "_audit_creation_method 'generated for the benchmark'\n"
      "_diffrn_ambient_temperature 100.0\n"
      "_diffrn_radiation_type 'Mo K\\a'\n"
      "_diffrn_radiation_wavelength 0.71073\n"
      "_cell_length_a 10.5432\n_cell_length_b 12.0021\n_cell_length_c 15.8877\n"
      "_cell_angle_alpha 90\n_cell_angle_beta 101.232\n_cell_angle_gamma 90\n"
      "loop_\n"
      "_refln_index_h\n_refln_index_k\n_refln_index_l\n"
      "_refln_F_squared_meas\n_refln_F_squared_sigma\n_refln_scale_group_code\n",
      f);
  unsigned seed = 12345;
  for (size_t r = 0; r < kRows; ++r) {
    seed = seed * 1103515245u + 12345u;
    const int h = int(seed >> 8) % 41 - 20, k = int(seed >> 14) % 51 - 25,
              l = int(seed >> 20) % 61 - 30;
    const double intensity = double(seed % 1000000) / 37.0, sigma = intensity / 23.0 + 0.5;
    std::fprintf(f, "%4d%4d%4d %9.2f %8.2f %2d\n", h, k, l, intensity, sigma, int(r % 7) + 1);
  }
  std::fclose(f);
}

size_t OurRows(const std::string& path) {
  zodu::TEFile file(zodu::vexstr(path.c_str()), zodu::vexstr(u"rb"));
  cif_dp::TCifDP doc;
  doc.LoadFromStream(file);
  const cif_dp::cetTable* loop = doc[0].FindTable(zodu::vexstr(u"_refln"));
  return loop ? loop->RowCount() : 0;
}

size_t GemmiRows(const std::string& path) {
  gemmi::cif::Document doc = gemmi::cif::read_file(path);
  gemmi::cif::Table table = doc.blocks.at(0).find("_refln_", {"index_h", "F_squared_meas"});
  return table.length();
}

// This process's peak resident memory in KiB.
long PeakKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Peak resident memory, in KiB, of a fresh process that reads the file one way.
long PeakKiBOf(const char* self, const char* how, const std::string& path) {
  const std::string command = std::string("'") + self + "' " + how + " '" + path + "'";
  FILE* child = popen(command.c_str(), "r");
  if (!child) return -1;
  long kib = -1;
  if (std::fscanf(child, "%ld", &kib) != 1) kib = -1;
  return pclose(child) == 0 ? kib : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    const bool ours = std::strcmp(argv[1], "--ours") == 0;
    if (!ours && std::strcmp(argv[1], "--gemmi") != 0) return 2;
    if ((ours ? OurRows(argv[2]) : GemmiRows(argv[2])) != kRows) return 1;
    std::printf("%ld\n", PeakKiB());
    return 0;
  }
  char folder[] = "/tmp/zt7bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string path = std::string(folder) + "/sample.cif_od";
  WriteSample(path);
  if (OurRows(path) != kRows || GemmiRows(path) != kRows) {
    std::fprintf(stderr, "bench cif: the loop was not read whole\n");
    return 1;
  }
  const double time = zt7bench::Ratio(
      kRounds, [&] { OurRows(path); }, [&] { GemmiRows(path); });
  std::printf("ratio cif-load/gemmi %.3f\n", time);
  const long ours = PeakKiBOf(argv[0], "--ours", path);
  const long gemmi = PeakKiBOf(argv[0], "--gemmi", path);
  std::printf("ratio cif-load-memory/gemmi %.3f\n", double(ours) / double(gemmi));
  std::printf("(peak memory: ours %ld KiB, gemmi %ld KiB)\n", ours, gemmi);
  std::remove(path.c_str());
  rmdir(folder);
  return 0;
}
