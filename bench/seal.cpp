// Seal group: `zt7util seal` and `verify` of a 2 GiB dataset on two threads, against the
// physical limit of a tool that must hash every byte (reading each file once and hashing it
// with OpenSSL's SHA-256 on two threads, in this process) and against hashdeep's create
// and audit modes on two threads.
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_timing.h"
#include "hkl_sample.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 2000;
constexpr size_t kFrameBytes = size_t(1) << 20;
constexpr size_t kReflections = 1000000;
constexpr size_t kCifRows = 100000;

// 2,000 frames of 1 MiB, an HKL file and a .cif_od file, each frame with its own bytes.
void MakeDataset(const fs::path& root) {
  fs::create_directories(root / "frames");
  std::vector<uint64_t> words(kFrameBytes / 8);
  uint64_t state = 0x9E3779B97F4A7C15u;
  char name[32];
  for (int n = 1; n <= kFrames; ++n) {
    for (uint64_t& word : words) {  // xorshift: cheap bytes a hash cannot shortcut
      state ^= state << 13, state ^= state >> 7, state ^= state << 17;
      word = state;
    }
    std::snprintf(name, sizeof name, "run1_%04d.img", n);
    std::ofstream(root / "frames" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(words.data()), std::streamsize(kFrameBytes));
  }
  zt7bench::WriteLines((root / "crystal.hkl").string(), zt7bench::SampleHklLines(kReflections));
  std::ofstream cif(root / "crystal.cif_od", std::ios::binary);
  cif << "data_crystal\n_cell_length_a 5.95\n_cell_length_b 9.03\n_cell_length_c 18.38\n"
         "loop_\n_refln_index_h\n_refln_index_k\n_refln_index_l\n_refln_intensity_meas\n"
         "_refln_intensity_sigma\n";
  std::mt19937 random(2026);
  char row[96];
  for (size_t i = 0; i < kCifRows; ++i) {
    std::snprintf(row, sizeof row, "%d %d %d %.2f %.2f\n", int(random() % 51) - 25,
                  int(random() % 51) - 25, int(random() % 41), double(random() % 100000) / 10,
                  1.0 + double(random() % 1000) / 100);
    cif << row;
  }
}

double Seconds(const timeval& t) {
  return double(t.tv_sec) + 1e-6 * double(t.tv_usec);
}

// User and system CPU time of `who` (RUSAGE_SELF or RUSAGE_CHILDREN) so far.
double CpuSeconds(int who) {
  rusage usage;
  getrusage(who, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// The CPU time of a command run by the shell; a failure stops the benchmark.
double CommandSeconds(const std::string& command) {
  const double before = CpuSeconds(RUSAGE_CHILDREN);
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "bench seal: failed: %s\n", command.c_str());
    std::exit(1);
  }
  return CpuSeconds(RUSAGE_CHILDREN) - before;
}

// Every regular file under `root`, the largest first, so that two threads share them evenly.
std::vector<fs::path> FilesOf(const fs::path& root) {
  std::vector<std::pair<uintmax_t, fs::path>> sized;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) sized.emplace_back(entry.file_size(), entry.path());
  std::sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) { return a > b; });
  std::vector<fs::path> files;
  for (auto& [size, path] : sized) files.push_back(std::move(path));
  return files;
}

// The anchor: each file read once and hashed with OpenSSL's SHA-256, on `threads` threads
// taking the next file as they finish one. The CPU time of this process.
double ReadAndHashSeconds(const std::vector<fs::path>& files, unsigned threads) {
  const double before = CpuSeconds(RUSAGE_SELF);
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  auto work = [&] {
    std::vector<unsigned char> buffer(size_t(1) << 20);
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    for (size_t i; (i = next++) < files.size();) {
      const int fd = open(files[i].c_str(), O_RDONLY);
      EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
      ssize_t n = 0;
      while (fd >= 0 && (n = read(fd, buffer.data(), buffer.size())) > 0)
        EVP_DigestUpdate(context, buffer.data(), size_t(n));
      unsigned char digest[32];
      EVP_DigestFinal_ex(context, digest, nullptr);
      if (fd < 0 || n < 0) failed = true;
      if (fd >= 0) close(fd);
    }
    EVP_MD_CTX_free(context);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work);
  for (std::thread& thread : pool) thread.join();
  if (failed) {
    std::fprintf(stderr, "bench seal: a file of the dataset could not be read\n");
    std::exit(1);
  }
  return CpuSeconds(RUSAGE_SELF) - before;
}

}  // namespace

int main() {
  // The files are kept between runs: writing 2 GiB takes longer than the comparison.
  const fs::path root = fs::current_path() / "seal-dataset";
  const std::string dir = "'" + root.string() + "'";
  const std::string tool = std::string("'") + ZT7_TOOL_PATH + "'";
  if (!fs::exists(root / "crystal.cif_od")) {  // written last
    fs::remove_all(root);
    MakeDataset(root);
  }
  constexpr int kPairs = 3;
  constexpr unsigned kThreads = 2;
  const std::string seal = tool + " seal --force --quiet -j 2 " + dir + " >/dev/null";
  const std::string verify = tool + " verify -j 2 --quiet " + dir + " >/dev/null";
  // hashdeep's known-hashes file lies outside the dataset, made after the seal so that it
  // covers the manifest too, as verify reads it.
  const std::string known = (fs::current_path() / "seal-hashdeep.txt").string();
  const std::string create = "cd " + dir + " && hashdeep -c sha256 -r -l -j 2 . > '" + known + "'";
  const std::string audit =
      "cd " + dir + " && hashdeep -c sha256 -r -l -j 2 -a -k '" + known + "' . >/dev/null";
  CommandSeconds(seal);
  const std::vector<fs::path> files = FilesOf(root);
  uintmax_t bytes = 0;
  for (const fs::path& file : files) bytes += fs::file_size(file);

  zt7bench::PrintRatio("seal/read+sha256",
                       zt7bench::RatioPairs(
                           kPairs, [&] { return CommandSeconds(seal); },
                           [&] { return ReadAndHashSeconds(files, kThreads); }));
  zt7bench::PrintRatio("seal/hashdeep", zt7bench::RatioPairs(
                                            kPairs, [&] { return CommandSeconds(seal); },
                                            [&] { return CommandSeconds(create); }));
  std::vector<double> verifySeconds;
  zt7bench::PrintRatio("verify/read+sha256",
                       zt7bench::RatioPairs(
                           kPairs,
                           [&] {
                             verifySeconds.push_back(CommandSeconds(verify));
                             return verifySeconds.back();
                           },
                           [&] { return ReadAndHashSeconds(files, kThreads); }));
  zt7bench::PrintRatio("verify/hashdeep-audit", zt7bench::RatioPairs(
                                                    kPairs, [&] { return CommandSeconds(verify); },
                                                    [&] { return CommandSeconds(audit); }));
  std::sort(verifySeconds.begin(), verifySeconds.end());
  const double median = verifySeconds[verifySeconds.size() / 2];
  std::printf("(verify: %.0f MB/s per core of CPU time, %.2f GB in %zu files)\n",
              double(bytes) / 1e6 / median, double(bytes) / 1e9, files.size());
  std::remove(known.c_str());
  return 0;
}
