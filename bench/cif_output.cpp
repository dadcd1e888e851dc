// CIF output: `zt7util cif-json` and `format-cif` on the 35 MB reflection file against
// `gemmi cif2json` and gemmi reading and writing the file (CPU time of each process, in
// interleaved pairs), and the peak memory of cif-json, format-cif and the loop digest over
// the size of a 10,000,000-row file.
#include <stdlib.h>  // for mkdtemp
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <gemmi/cif.hpp>
#include <gemmi/to_cif.hpp>

#include "bench_timing.h"
#include "cif_sample.h"
#include "peak_memory.h"
#include "zt3util/dyn_digest.h"
#include "zt3util/runnable.h"

namespace {

constexpr int kPairs = 3;
const std::string kTool = ZT7_TOOL_PATH;
const std::string kGemmi = "/usr/bin/gemmi";

// One side's run as a process of its own: its CPU seconds, or a failure.
double Seconds(const std::vector<std::string>& arguments) {
  const zt7bench::ChildUsage usage = zt7bench::RunChild(arguments);
  if (!usage.ok) {
    std::fprintf(stderr, "bench cif_output: %s failed\n", arguments[1].c_str());
    std::exit(1);
  }
  return usage.seconds;
}

// Peak memory of a run over the size of `path`; -1 when the run failed.
double MemoryOverSize(const std::vector<std::string>& arguments, const std::string& path) {
  const zt7bench::ChildUsage usage = zt7bench::RunChild(arguments);
  return usage.ok ? double(usage.kib) * 1024.0 / double(std::filesystem::file_size(path)) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  if (argc == 4 && std::strcmp(argv[1], "--gemmi-write") == 0) {
    std::ofstream out(argv[3]);
    gemmi::cif::write_cif_to_stream(out, gemmi::cif::read_file(argv[2]), gemmi::cif::Style::Simple);
    return out ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "--dyn") == 0) {
    RODediRunnable::GetInstance();  // the context that the reader's log lines need
    return zt7::ComputeDynDigest(zodu::vexstr(argv[2]), zt7::DynMode::kReflectionLoop).IsEmpty();
  }
  char folder[] = "/tmp/zt7bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string path = std::string(folder) + "/sample.cif_od";
  const std::string written = std::string(folder) + "/written.cif";
  if (!zt7bench::WriteSampleCif(path, "intensity")) return 1;
  zt7bench::PrintRatio("cif-json/gemmi-cif2json",
                       zt7bench::RatioPairs(
                           kPairs,
                           [&] {
                             return Seconds({kTool, "cif-json", path});
                           },
                           [&] {
                             return Seconds({kGemmi, "cif2json", "-c", path, "/dev/null"});
                           }));
  zt7bench::PrintRatio("format-cif/gemmi-write",
                       zt7bench::RatioPairs(
                           kPairs,
                           [&] {
                             return Seconds({kTool, "format-cif", path, "-o", written});
                           },
                           [&] {
                             return Seconds({self, "--gemmi-write", path, written});
                           }));
  std::remove(path.c_str());
  std::remove(written.c_str());

  const std::string large = std::string(folder) + "/large.cif_od";
  if (zt7bench::WriteSampleCif(large, "intensity", 10 * zt7bench::kSampleCifRows)) {
    std::printf("ratio cif-json-memory/file-size %.3f\n",
                MemoryOverSize({kTool, "cif-json", large}, large));
    std::fflush(stdout);
    std::printf("ratio format-cif-memory/file-size %.3f\n",
                MemoryOverSize({kTool, "format-cif", large, "-o", written}, large));
    std::fflush(stdout);
    std::printf("ratio digest-dyn-memory/file-size %.3f\n",
                MemoryOverSize({self, "--dyn", large}, large));
  }
  std::remove(large.c_str());
  std::remove(written.c_str());
  rmdir(folder);
  return 0;
}
