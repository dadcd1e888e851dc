// Reflections group: HKL digests of schemes 1, 2 and 3, matching two files, and the peak
// memory of a digest, on a million reflections, against reading the file and hashing it
// once with OpenSSL's MD5.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "hkl_sample.h"
#include "zt3util/hkl_digest.h"
#include "zt7util.h"

namespace {

constexpr int kPairs = 7;

// Both parts of the file's digest, as pcDigestHKL makes them once the frames check out.
size_t DigestLength(const std::string& path, int version) {
  return zt7::DigestHklFile(zodu::vexstr(path.c_str()), version, 3).Length();
}

// This process's peak resident memory in KiB. A child's ru_maxrss would not do: it keeps
// the peak of the forked copy of the parent from before the exec.
long PeakKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Peak resident memory, in MiB, of a fresh process that computes the scheme-3 digest.
double PeakMiBOfDigest(const char* self, const std::string& path) {
  const std::string command = std::string("'") + self + "' --digest-v3 '" + path + "'";
  FILE* child = popen(command.c_str(), "r");
  if (!child) return -1;
  long kib = -1;
  if (std::fscanf(child, "%ld", &kib) != 1) kib = -1;
  return pclose(child) == 0 ? double(kib) / 1024.0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--digest-v3") == 0) {
    if (DigestLength(argv[2], 3) != 77) return 1;
    std::printf("%ld\n", PeakKiB());
    return 0;
  }

  using namespace zt7bench;
  char folder[] = "/tmp/zt7bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string first = std::string(folder) + "/first.hkl";
  const std::string second = std::string(folder) + "/second.hkl";
  WriteLines(first, SampleHklLines(1000000, 1));
  WriteLines(second, SampleHklLines(1000000, 2));

  for (int version : {3, 2, 1}) {
    size_t length = 0;
    const PairedRatio ratio = TimePairs(
        kPairs, [&] { length = DigestLength(first, version); }, [&] { ReadAndMd5(first); });
    if (length != 77) std::fprintf(stderr, "scheme %d gave %zu characters\n", version, length);
    PrintRatio(("digest-v" + std::to_string(version) + "/read+md5").c_str(), ratio);
  }

  const std::u16string wideFirst(first.begin(), first.end());
  const std::u16string wideSecond(second.begin(), second.end());
  double distance = 0;
  const PairedRatio match = TimePairs(
      kPairs, [&] { distance = dMatchHKL(wideFirst.c_str(), wideSecond.c_str()); },
      [&] {
        ReadAndMd5(first);
        ReadAndMd5(second);
      });
  if (!(distance >= 0.0)) std::fprintf(stderr, "match gave %g\n", distance);
  PrintRatio("match/read+md5", match);

  std::FILE* file = std::fopen(first.c_str(), "rb");
  std::fseek(file, 0, SEEK_END);
  const double fileMiB = double(std::ftell(file)) / (1024.0 * 1024.0);
  std::fclose(file);
  const double peakMiB = PeakMiBOfDigest(argv[0], first);
  std::printf("memory digest-v3 %.1f file %.1f\n", peakMiB, fileMiB);
  std::printf("ratio digest-v3-memory/file-size %.3f\n", peakMiB / fileMiB);

  unlink(first.c_str());
  unlink(second.c_str());
  rmdir(folder);
  return 0;
}
