// DYN group: the loop digest of the CIF benchmarks' million-row .cif_od file against gemmi
// reading the same file (time, and peak memory in separate processes), and the whole-file digest
// against OpenSSL's SHA-256 over 64 KiB reads.
#include <openssl/evp.h>
#include <stdlib.h>  // for mkdtemp
#include <gemmi/cif.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "cif_sample.h"
#include "peak_memory.h"
#include "zt3util/dyn_digest.h"
#include "zt3util/runnable.h"

namespace {

namespace fs = std::filesystem;
using zt7::DynMode;

volatile size_t sink;  // keeps the results observable

void OurDigest(const std::string& path, DynMode mode) {
  sink = sink + zt7::ComputeDynDigest(zodu::vexstr(path.c_str()), mode).Length();
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

}  // namespace

int main(int argc, char** argv) {
  RODediRunnable::GetInstance();  // the context that the reader's log lines need
  if (argc == 3) {                // one side of the memory comparison
    if (std::strcmp(argv[1], "--ours") == 0) OurDigest(argv[2], DynMode::kReflectionLoop);
    if (std::strcmp(argv[1], "--gemmi") == 0) GemmiRead(argv[2]);
    std::printf("%ld\n", zt7bench::PeakKiB());
    return 0;
  }
  std::string pattern = (fs::temp_directory_path() / "zt7dyn.XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  const fs::path folder = pattern;
  const std::string cif = (folder / "sample.cif_od").string();
  if (!zt7bench::WriteSampleCif(cif, "intensity")) return 1;
  if (zt7::ComputeDynDigest(zodu::vexstr(cif.c_str()), DynMode::kReflectionLoop).IsEmpty()) {
    std::fprintf(stderr, "bench dyn: the sample's loop does not qualify\n");
    return 1;
  }
  std::printf("ratio dyn-mode2-memory/gemmi-read %.3f\n",
              double(zt7bench::PeakKiBOf(argv[0], "--ours", cif)) /
                  double(zt7bench::PeakKiBOf(argv[0], "--gemmi", cif)));
  zt7bench::PrintRatio(
      "dyn-mode2/gemmi-read",
      zt7bench::TimePairs(
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
  zt7bench::PrintRatio(
      "dyn-mode1/openssl-sha256-stream",
      zt7bench::TimePairs(
          5, [&] { OurDigest(whole, DynMode::kWholeFile); }, [&] { OpenSslFileSha256(whole); }));
  fs::remove_all(folder);
  return 0;
}
