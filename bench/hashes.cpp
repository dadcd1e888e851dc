// Hash group: MD5, SHA-224 and SHA-256 in memory and over a file, against OpenSSL's EVP.
#include <openssl/evp.h>

#include <unistd.h>  // for readlink

#include <algorithm>
#include <cstdio>
#include <cstdlib>  // for system
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "sdl/efile.h"
#include "sdl/md5.h"
#include "sdl/sha2.h"
#include "sdl/sha256_blocks.h"

using zt7bench::PairedRatio;
using zt7bench::TimePairs;

namespace {

volatile unsigned char sink;  // keeps the digests observable

void Keep(const unsigned char* digest) {
  sink = sink ^ digest[0];
}

// One message per call, with a context made once, as a careful caller of EVP would.
class Evp {
 public:
  explicit Evp(const char* name)
      : md_(EVP_MD_fetch(nullptr, name, nullptr)), ctx_(EVP_MD_CTX_new()) {
    if (!md_ || !ctx_) throw std::runtime_error("OpenSSL digest unavailable");
  }
  ~Evp() {
    EVP_MD_CTX_free(ctx_);
    EVP_MD_free(md_);
  }
  void Begin() { EVP_DigestInit_ex2(ctx_, md_, nullptr); }
  void Update(const void* data, size_t length) { EVP_DigestUpdate(ctx_, data, length); }
  void End() {
    unsigned char md[EVP_MAX_MD_SIZE];
    EVP_DigestFinal_ex(ctx_, md, nullptr);
    Keep(md);
  }
  void Digest(const void* data, size_t length) {
    Begin();
    Update(data, length);
    End();
  }

 private:
  EVP_MD* md_;
  EVP_MD_CTX* ctx_;
};

template <class Hasher>
void OurDigest(const std::vector<unsigned char>& data, size_t length, int repeat) {
  for (int i = 0; i < repeat; ++i) {
    Hasher h;
    h.Digest(data.data(), static_cast<uint32_t>(length));
    Keep(h.GetDigest());
  }
}

// In-memory digests of 1 MiB and 64 MiB; the worse ratio of the two is reported.
template <class Hasher>
PairedRatio MemoryRatio(const char* evpName, const std::vector<unsigned char>& data) {
  Evp evp(evpName);
  PairedRatio worst{0, 0, 0, 0};
  for (const auto& [length, repeat, pairs] :
       {std::tuple{size_t{1} << 20, 16, 15}, std::tuple{size_t{64} << 20, 1, 7}}) {
    const PairedRatio r = TimePairs(
        pairs, [&] { OurDigest<Hasher>(data, length, repeat); },
        [&] {
          for (int i = 0; i < repeat; ++i) evp.Digest(data.data(), length);
        });
    std::printf("# %s %zu MiB: %.3f\n", evpName, length >> 20, r.median);
    if (r.median > worst.median) worst = r;
  }
  return worst;
}

void OpenSslFile(Evp& evp, const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) throw std::runtime_error(std::string("cannot open ") + path);
  std::vector<unsigned char> chunk(64 * 1024);
  evp.Begin();
  size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), f)) != 0) evp.Update(chunk.data(), n);
  evp.End();
  std::fclose(f);
}

template <class Hasher>
PairedRatio StreamRatio(const char* evpName, const char* path) {
  Evp evp(evpName);
  return TimePairs(
      5,
      [&] {
        zodu::TEFile stream(zodu::vexstr(path), zodu::vexstr(u"rb"));
        Hasher h;
        h.DigestStream(stream);
        Keep(h.GetDigest());
      },
      [&] { OpenSslFile(evp, path); });
}

std::vector<unsigned char> Random(size_t length) {
  std::vector<unsigned char> data(length);
  uint64_t x = 0x9e3779b97f4a7c15ULL;
  for (auto& b : data) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    b = static_cast<unsigned char>(x);
  }
  return data;
}

// A 256 MiB file, made once and read through so that it sits in the page cache.
const char* CachedFile(const std::vector<unsigned char>& data) {
  static const char* path = "hashes-256MiB.bin";
  constexpr size_t kSize = size_t{256} << 20;
  std::ifstream probe(path, std::ios::binary | std::ios::ate);
  if (!probe || static_cast<size_t>(probe.tellg()) != kSize) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t written = 0; written < kSize; written += data.size()) {
      out.write(reinterpret_cast<const char*>(data.data()),
                static_cast<std::streamsize>(data.size()));
    }
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<char> chunk(1 << 20);
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
  }
  return path;
}

void PrintProcessor() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) {
      std::printf("# %s\n", line.c_str());
      break;
    }
  }
  std::printf("# SHA extensions: %s\n", zt7::sha256_blocks::CpuHasShaExtensions() ? "yes" : "no");
}

}  // namespace

// SHA-256 as a processor without SHA extensions runs it (the portable code, built for AVX2
// and BMI2 where the processor has them) against OpenSSL's SHA-256 on 8 MiB; OpenSSL
// runs whatever code its capability mask leaves it.
PairedRatio PortableSha256Ratio(
    const std::vector<unsigned char>& data,
    zt7::hash_blocks::BlockFunction compress = zt7::sha256_blocks::WithoutShaExtensions()) {
  zt7::sha256_blocks::Force(compress);
  Evp evp("SHA256");
  const size_t length = size_t{1} << 20;
  const PairedRatio r = TimePairs(
      9, [&] { OurDigest<zodu::SHA256>(data, length, 8); },
      [&] {
        for (int i = 0; i < 8; ++i) evp.Digest(data.data(), length);
      });
  zt7::sha256_blocks::Force(nullptr);
  return r;
}

// OpenSSL reads its capability mask once, as it loads: a fresh process of this program
// with the SHA extensions masked out (CPUID leaf 7 EBX bit 29) compares with OpenSSL's
// own code for processors without them.
constexpr const char* kNoShaExtensions = "--openssl-without-sha-extensions";

void RunWithoutShaExtensions() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return;
  self[n] = 0;
  const std::string command =
      std::string("OPENSSL_ia32cap=':~0x20000000' '") + self + "' " + kNoShaExtensions;
  std::fflush(stdout);
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "%s failed\n", command.c_str());
}

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], kNoShaExtensions) == 0) {
    const std::vector<unsigned char> data = Random(size_t{8} << 20);
    zt7bench::PrintRatio("sha256-portable/openssl-no-shani", PortableSha256Ratio(data));
    // The portable code as every compiler builds it, for comparison.
    std::printf("# portable code without AVX2 and BMI2: %.3f\n",
                PortableSha256Ratio(data, zt7::sha256_blocks::CompressPortable).median);
    return 0;
  }
  PrintProcessor();
  const std::vector<unsigned char> data = Random(size_t{64} << 20);

  zt7bench::PrintRatio("md5-mem/openssl", MemoryRatio<zodu::MD5>("MD5", data));
  zt7bench::PrintRatio("sha256-mem/openssl", MemoryRatio<zodu::SHA256>("SHA256", data));
  zt7bench::PrintRatio("sha224-mem/openssl", MemoryRatio<zodu::SHA224>("SHA224", data));

  const char* file = CachedFile(data);
  zt7bench::PrintRatio("md5-stream/openssl-file", StreamRatio<zodu::MD5>("MD5", file));
  zt7bench::PrintRatio("sha256-stream/openssl-file", StreamRatio<zodu::SHA256>("SHA256", file));

  zt7bench::PrintRatio("sha256-portable/openssl", PortableSha256Ratio(data));
  RunWithoutShaExtensions();

  {
    // 64-byte messages at changing offsets, as the digest code hashes short texts.
    Evp evp("MD5");
    constexpr int kMessages = 200000;
    const PairedRatio r = TimePairs(
        15,
        [&] {
          for (int i = 0; i < kMessages; ++i) {
            zodu::MD5 h;
            h.Digest(data.data() + 64 * (i & 4095), 64);
            Keep(h.GetDigest());
          }
        },
        [&] {
          for (int i = 0; i < kMessages; ++i) evp.Digest(data.data() + 64 * (i & 4095), 64);
        });
    zt7bench::PrintRatio("md5-mem-64B/openssl", r);
  }
  return 0;
}
