// A seeded, realistic HKL file for the benchmarks: 3I4 2F8.2 lines and an end marker.
#pragma once

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench_timing.h"

namespace zt7bench {

// The lines of `count` reflections (about 29 bytes each) and the end marker.
inline std::vector<std::string> SampleHklLines(size_t count, unsigned seed = 20261206) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> hk(-25, 25), l(0, 40);
  std::exponential_distribution<double> intensity(1.0 / 800.0);
  std::vector<std::string> lines;
  lines.reserve(count + 1);
  char line[64];
  for (size_t i = 0; i < count; ++i) {
    int h = hk(random), k = hk(random), ll = l(random);
    if (h == 0 && k == 0 && ll == 0) ll = 1;
    double I = intensity(random) - 5.0;
    double sigma = 0.8 + 0.05 * std::max(I, 0.0) / 10.0 + double(random() % 100) / 100.0;
    std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.2f", h, k, ll, I, sigma);
    lines.emplace_back(line);
  }
  lines.emplace_back("   0   0   0    0.00    0.00");
  return lines;
}

inline void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  for (const std::string& line : lines) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
  }
  std::fclose(file);
}

// The anchor: read the whole file and hash its bytes once with OpenSSL's MD5.
inline void ReadAndMd5(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::fseek(file, 0, SEEK_END);
  std::string bytes(size_t(std::ftell(file)), '\0');
  std::fseek(file, 0, SEEK_SET);
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) bytes.clear();
  std::fclose(file);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
}

}  // namespace zt7bench
