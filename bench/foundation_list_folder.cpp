// Benchmark: ListFolder with the mask "*.img" against a plain opendir/readdir loop over the
// same folder of 20,000 frame files.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>  // for mkdtemp
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench_timing.h"
#include "sdl/efile.h"

namespace {

constexpr int kFiles = 20000;
constexpr int kRounds = 15;

std::string FrameName(int i) {
  char name[32];
  std::snprintf(name, sizeof(name), "frame_%05d.img", i);
  return name;
}

}  // namespace

int main() {
  char pattern[] = "/tmp/zt7bench.XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::string dir = pattern;
  for (int i = 0; i < kFiles; ++i)
    close(open((dir + "/" + FrameName(i)).c_str(), O_CREAT | O_WRONLY, 0600));

  const zodu::vexstr wideDir(dir.c_str());
  size_t listed = 0, read = 0;
  const zt7bench::PairedRatio ratio = zt7bench::TimePairs(
      kRounds,
      [&] {
        zodu::TStrList list;
        zodu::TEFile::ListFolder(wideDir, list, u"*.img", 1);
        listed = list.Count();
      },
      [&] {
        DIR* d = opendir(dir.c_str());
        read = 0;
        while (const dirent* e = readdir(d)) read += e->d_name[0] != 0;
        closedir(d);
      });

  for (int i = 0; i < kFiles; ++i) unlink((dir + "/" + FrameName(i)).c_str());
  rmdir(dir.c_str());
  if (listed != kFiles || read != kFiles + 2) {
    std::fprintf(stderr, "listed %zu of %d files\n", listed, kFiles);
    return 1;
  }
  zt7bench::PrintRatio("list-folder/readdir", ratio);
  return 0;
}
