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
#include "cif_sample.h"
#include "peak_memory.h"
#include "sdl/efile.h"
#include "xlib/cifdp.h"

namespace {

constexpr int kRounds = 3;
constexpr size_t kRows = zt7bench::kSampleCifRows;

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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    const bool ours = std::strcmp(argv[1], "--ours") == 0;
    if (!ours && std::strcmp(argv[1], "--gemmi") != 0) return 2;
    if ((ours ? OurRows(argv[2]) : GemmiRows(argv[2])) != kRows) return 1;
    std::printf("%ld\n", zt7bench::PeakKiB());
    return 0;
  }
  char folder[] = "/tmp/zt7bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string path = std::string(folder) + "/sample.cif_od";
  zt7bench::WriteSampleCif(path, "F_squared");
  if (OurRows(path) != kRows || GemmiRows(path) != kRows) {
    std::fprintf(stderr, "bench cif: the loop was not read whole\n");
    return 1;
  }
  zt7bench::PrintRatio("cif-load/gemmi",
                       zt7bench::TimePairs(
                           kRounds, [&] { OurRows(path); }, [&] { GemmiRows(path); }));
  const long ours = zt7bench::PeakKiBOf(argv[0], "--ours", path);
  const long gemmi = zt7bench::PeakKiBOf(argv[0], "--gemmi", path);
  std::printf("ratio cif-load-memory/gemmi %.3f\n", double(ours) / double(gemmi));
  std::printf("(peak memory: ours %ld KiB, gemmi %ld KiB)\n", ours, gemmi);
  std::remove(path.c_str());
  rmdir(folder);
  return 0;
}
