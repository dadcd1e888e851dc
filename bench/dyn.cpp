// DYN group: the loop digest of a million-row .cif_od file against gemmi reading the same
// file (time, and peak memory in separate processes), and the whole-file digest against
// OpenSSL's SHA-256 over 64 KiB reads.
#include <openssl/evp.h>
#include <spawn.h>
#include <stdlib.h>  // for mkdtemp
#include <sys/resource.h>
#include <sys/wait.h>
#include <gemmi/cif.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "cif_sample.h"
#include "zt3util/dyn_digest.h"
#include "zt3util/runnable.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using zt3util::DynMode;

volatile size_t sink;  // keeps the results observable

void OurDigest(const std::string& path, DynMode mode) {
  sink = sink + zt3util::ComputeDynDigest(zodu::vexstr(path.c_str()), mode).Length();
}

void GemmiRead(const std::string& path) {
  sink = sink + gemmi::cif::read_file(path).blocks.size();
}

// OpenSSL's SHA-256 of a file read in 64 KiB pieces.
void OpenSslFileSha256(const std::string& path) {
  static std::vector<unsigned char> buffer(1 << 16);
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
  std::FILE* in = std::fopen(path.c_str(), "rb");
  for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;)
    EVP_DigestUpdate(context, buffer.data(), n);
  std::fclose(in);
  unsigned char digest[32];
  EVP_DigestFinal_ex(context, digest, nullptr);
  EVP_MD_CTX_free(context);
  sink = sink + digest[0];
}

// The peak resident memory, in KiB, of this program run again as `bench_dyn WHO PATH`.
long PeakKiB(const char* self, const char* who, const std::string& path) {
  char* arguments[] = {const_cast<char*>(self), const_cast<char*>(who),
                       const_cast<char*>(path.c_str()), nullptr};
  pid_t child;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, arguments, environ) != 0) return -1;
  int status;
  rusage usage;
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  RODediRunnable::GetInstance();  // the context that the reader's log lines need
  if (argc == 3) {                // one side of the memory comparison
    if (std::strcmp(argv[1], "ours") == 0) OurDigest(argv[2], DynMode::kReflectionLoop);
    if (std::strcmp(argv[1], "gemmi") == 0) GemmiRead(argv[2]);
    return 0;
  }
  std::string pattern = (fs::temp_directory_path() / "zt7dyn.XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  const fs::path folder = pattern;
  const std::string cif = (folder / "sample.cif_od").string();
  if (!zt7bench::WriteSampleCifOd(cif, 1000000)) return 1;
  // Before anything large runs here: a spawned child's peak starts from this process's.
  std::printf("ratio dyn-mode2-memory/gemmi-read %.3f\n",
              double(PeakKiB(argv[0], "ours", cif)) / double(PeakKiB(argv[0], "gemmi", cif)));
  std::printf("ratio dyn-mode2/gemmi-read %.3f\n",
              zt7bench::Ratio(
                  3, [&] { OurDigest(cif, DynMode::kReflectionLoop); }, [&] { GemmiRead(cif); }));

  const std::string whole = (folder / "large.hkl").string();
  {
    std::vector<unsigned char> bytes(size_t{256} << 20);
    std::mt19937_64 random(7);
    for (size_t i = 0; i < bytes.size(); i += 8) {
      const uint64_t word = random();
      std::memcpy(&bytes[i], &word, 8);
    }
    std::FILE* out = std::fopen(whole.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) return 1;
    std::fclose(out);
  }
  std::printf(
      "ratio dyn-mode1/openssl-sha256-stream %.3f\n",
      zt7bench::Ratio(
          5, [&] { OurDigest(whole, DynMode::kWholeFile); }, [&] { OpenSslFileSha256(whole); }));
  fs::remove_all(folder);
  return 0;
}
