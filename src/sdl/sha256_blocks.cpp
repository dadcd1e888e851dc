// The SHA-256 compression function: portable code and the CPU's SHA extensions.
#include "sdl/sha256_blocks.h"

#include <cpuid.h>  // for __get_cpuid, bit_SHA

#include <atomic>
#include <bit>
#include <cstring>  // for memcpy
#include <utility>

namespace zodu::sha256_blocks {

const uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

namespace {

inline uint32_t LoadBigEndian(const unsigned char* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
  return v;
}

inline uint32_t BigSigma0(uint32_t x) {
  return std::rotr(x, 2) ^ std::rotr(x, 13) ^ std::rotr(x, 22);
}
inline uint32_t BigSigma1(uint32_t x) {
  return std::rotr(x, 6) ^ std::rotr(x, 11) ^ std::rotr(x, 25);
}
inline uint32_t SmallSigma0(uint32_t x) {
  return std::rotr(x, 7) ^ std::rotr(x, 18) ^ (x >> 3);
}
inline uint32_t SmallSigma1(uint32_t x) {
  return std::rotr(x, 17) ^ std::rotr(x, 19) ^ (x >> 10);
}

// Round I of a group of 16. The eight working variables rotate through `v` instead of
// being moved: a is v[-I mod 8], b the next, and so on.
template <int I>
inline void Round(uint32_t* v, uint32_t kw) {
  const uint32_t a = v[(8 - I % 8) % 8], b = v[(9 - I % 8) % 8], c = v[(10 - I % 8) % 8];
  uint32_t& d = v[(11 - I % 8) % 8];
  const uint32_t e = v[(12 - I % 8) % 8], f = v[(13 - I % 8) % 8], g = v[(14 - I % 8) % 8];
  uint32_t& h = v[(15 - I % 8) % 8];
  const uint32_t t1 = h + BigSigma1(e) + (g ^ (e & (f ^ g))) + kw;
  d += t1;
  h = t1 + BigSigma0(a) + ((a & b) | (c & (a | b)));
}

// Message schedule in a ring of 16 words: w[I] becomes word t + 16 of the schedule.
template <int I>
inline uint32_t Expand(uint32_t* w) {
  w[I] += SmallSigma1(w[(I + 14) % 16]) + w[(I + 9) % 16] + SmallSigma0(w[(I + 1) % 16]);
  return w[I];
}

template <int... I>
inline void FirstRounds(uint32_t* v, uint32_t* w, const unsigned char* block,
                        std::integer_sequence<int, I...>) {
  ((w[I] = LoadBigEndian(block + 4 * I), Round<I>(v, w[I] + kRoundConstants[I])), ...);
}

template <int... I>
inline void LaterRounds(uint32_t* v, uint32_t* w, const uint32_t* k,
                        std::integer_sequence<int, I...>) {
  (Round<I>(v, Expand<I>(w) + k[I]), ...);
}

std::atomic<bool> forcePortable{false};

}  // namespace

void CompressPortable(uint32_t* state, const unsigned char* blocks, size_t count) {
  constexpr auto kGroup = std::make_integer_sequence<int, 16>();
  for (; count != 0; --count, blocks += 64) {
    uint32_t v[8], w[16];
    memcpy(v, state, sizeof v);
    FirstRounds(v, w, blocks, kGroup);
    for (int t = 16; t < 64; t += 16) LaterRounds(v, w, kRoundConstants + t, kGroup);
    for (int i = 0; i < 8; ++i) state[i] += v[i];
  }
}

bool CpuHasShaExtensions() {
  // Asked of the processor itself: CPUID leaf 7 EBX bit 29 (SHA), leaf 1 ECX bit 19
  // (SSE4.1). Every compiler knows these, and the answer needs no constructor order.
  static const bool has = [] {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_SSE4_1)) return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & bit_SHA);
  }();
  return has;
}

void ForcePortable(bool portable) {
  forcePortable.store(portable, std::memory_order_relaxed);
}

hash_blocks::BlockFunction Selected() {
  if (CpuHasShaExtensions() && !forcePortable.load(std::memory_order_relaxed)) {
    return CompressShaExtensions;
  }
  return CompressPortable;
}

}  // namespace zodu::sha256_blocks
