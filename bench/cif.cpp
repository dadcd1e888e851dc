// CIF group: reading a 35 MB reflection file (one block, a 1,000,000-row loop of 6 columns,
// laid out as diffractometer software writes .cif_od files) and a 5 MB dictionary of save
// frames, time and peak memory, against gemmi's CIF reader on the same files; and the peak
// memory of `zt7util check-cif` on a 10,000,000-row file over the file's size.
#include <stdlib.h>  // for mkdtemp
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
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

size_t OurFrames(const std::string& path) {
  zodu::TEFile file(zodu::vexstr(path.c_str()), zodu::vexstr(u"rb"));
  cif_dp::TCifDP doc;
  doc.LoadFromStream(file);
  size_t frames = 0;
  for (size_t i = 0; i < doc.Count(); ++i) frames += doc[i].GetParent() != nullptr;
  return frames;
}

size_t GemmiFrames(const std::string& path) {
  gemmi::cif::Document doc = gemmi::cif::read_file(path);
  size_t frames = 0;
  for (const gemmi::cif::Item& item : doc.blocks.at(0).items)
    frames += item.type == gemmi::cif::ItemType::Frame;
  return frames;
}

// Peak resident memory, in KiB, of the tool run as `zt7util check-cif PATH`; -1 when it
// fails.
long CheckCifPeakKiB(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    execl(ZT7_TOOL_PATH, ZT7_TOOL_PATH, "check-cif", path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    return -1;
  return usage.ru_maxrss;
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
  const std::string dictionary = std::string(folder) + "/sample.dic";
  const std::string large = std::string(folder) + "/large.cif_od";
  if (!zt7bench::WriteSampleCif(path, "F_squared") || !zt7bench::WriteDictionaryCif(dictionary) ||
      OurRows(path) != kRows || GemmiRows(path) != kRows ||
      OurFrames(dictionary) != zt7bench::kDictionaryFrames ||
      GemmiFrames(dictionary) != zt7bench::kDictionaryFrames) {
    std::fprintf(stderr, "bench cif: the samples were not written or not read whole\n");
    return 1;
  }
  zt7bench::PrintRatio("cif-load/gemmi",
                       zt7bench::TimePairs(
                           kRounds, [&] { OurRows(path); }, [&] { GemmiRows(path); }));
  zt7bench::PrintRatio("cif-load-items/gemmi", zt7bench::TimePairs(
                                                   kRounds, [&] { OurFrames(dictionary); },
                                                   [&] { GemmiFrames(dictionary); }));
  const long ours = zt7bench::PeakKiBOf(argv[0], "--ours", path);
  const long gemmi = zt7bench::PeakKiBOf(argv[0], "--gemmi", path);
  std::printf("ratio cif-load-memory/gemmi %.3f\n", double(ours) / double(gemmi));
  std::printf("(peak memory: ours %ld KiB, gemmi %ld KiB)\n", ours, gemmi);
  std::fflush(stdout);
  std::remove(path.c_str());
  std::remove(dictionary.c_str());
  if (zt7bench::WriteSampleCif(large, "intensity", 10 * kRows)) {
    const double size = double(std::filesystem::file_size(large)) / 1024.0;
    const long peak = CheckCifPeakKiB(large);
    std::printf("ratio check-cif-memory/file-size %.3f\n", double(peak) / size);
    std::printf("(check-cif peak memory %ld KiB for a file of %.0f KiB)\n", peak, size);
  }
  std::remove(large.c_str());
  rmdir(folder);
  return 0;
}
