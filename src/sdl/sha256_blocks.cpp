// The SHA-256 compression function: portable code and the CPU's SHA extensions.
#include "sdl/sha256_blocks.h"

#include <cpuid.h>  // for __get_cpuid, bit_SHA

#include <atomic>
#include <bit>
#include <cstring>  // for memcpy
#include <utility>

namespace zt7::sha256_blocks {

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

// Everything below is inlined whole into each build of the compression, so that all of it
// is compiled for that build's target, and no 256-bit vector crosses a call.
#define ZT_INLINE __attribute__((always_inline)) inline
// For the same reason g++'s note that 256-bit vector arguments change the calling
// convention without AVX does not apply here.
#pragma GCC diagnostic ignored "-Wpsabi"

ZT_INLINE uint32_t BigSigma0(uint32_t x) {
  return std::rotr(x, 2) ^ std::rotr(x, 13) ^ std::rotr(x, 22);
}
ZT_INLINE uint32_t BigSigma1(uint32_t x) {
  return std::rotr(x, 6) ^ std::rotr(x, 11) ^ std::rotr(x, 25);
}

// Round I of a group of 16. The eight working variables rotate through `v` instead of
// being moved: a is v[-I mod 8], b the next, and so on.
template <int I>
ZT_INLINE void Round(uint32_t* v, uint32_t kw) {
  const uint32_t a = v[(8 - I % 8) % 8], b = v[(9 - I % 8) % 8], c = v[(10 - I % 8) % 8];
  uint32_t& d = v[(11 - I % 8) % 8];
  const uint32_t e = v[(12 - I % 8) % 8], f = v[(13 - I % 8) % 8], g = v[(14 - I % 8) % 8];
  uint32_t& h = v[(15 - I % 8) % 8];
  // h + kw is known rounds ahead; summed first, it keeps the chain from e to the next e
  // short.
  const uint32_t t1 = (h + kw) + (g ^ (e & (f ^ g))) + BigSigma1(e);
  d += t1;
  h = t1 + (BigSigma0(a) + (b ^ ((a ^ b) & (b ^ c))));
}

// Four schedule words in one vector: the compiler's generic vectors give SSE2 on x86-64
// and the like elsewhere, or plain code. The schedule runs on the vector unit, leaving
// the scalar units to the rounds, whose chain of additions sets the pace.
using Words4 = uint32_t __attribute__((vector_size(16)));

template <int N, class Words>
ZT_INLINE Words RotateRight(Words x) {
  return (x >> N) | (x << (32 - N));
}
template <class Words>
ZT_INLINE Words SmallSigma0(Words x) {
  return RotateRight<7>(x) ^ RotateRight<18>(x) ^ (x >> 3);
}
template <class Words>
ZT_INLINE Words SmallSigma1(Words x) {
  return RotateRight<17>(x) ^ RotateRight<19>(x) ^ (x >> 10);
}

// Two blocks' schedule words side by side: words of the first block in elements 0-3, of
// the second in 4-7. Only the AVX2 build uses them; elsewhere they would cost twice.
using Words8 = uint32_t __attribute__((vector_size(32)));

// Schedule words t to t + 3 from the previous sixteen in w0..w3 (w0 holding t - 16 to
// t - 13), for one block or two side by side. Words t + 2 and t + 3 depend on words t and
// t + 1, so sigma1 runs in two halves.
template <class Words>
ZT_INLINE Words NextWords(Words w0, Words w1, Words w2, Words w3) {
  const Words zero{};
  Words from15, from7, last2, low;
  if constexpr (sizeof(Words) == 16) {
    from15 = __builtin_shufflevector(w0, w1, 1, 2, 3, 4);
    from7 = __builtin_shufflevector(w2, w3, 1, 2, 3, 4);
    last2 = __builtin_shufflevector(SmallSigma1(__builtin_shufflevector(w3, w3, 2, 3, 2, 3)), zero,
                                    0, 1, 4, 5);
  } else {
    from15 = __builtin_shufflevector(w0, w1, 1, 2, 3, 8, 5, 6, 7, 12);
    from7 = __builtin_shufflevector(w2, w3, 1, 2, 3, 8, 5, 6, 7, 12);
    last2 = __builtin_shufflevector(
        SmallSigma1(__builtin_shufflevector(w3, w3, 2, 3, 2, 3, 6, 7, 6, 7)), zero, 0, 1, 8, 9, 4,
        5, 12, 13);
  }
  low = w0 + SmallSigma0(from15) + from7 + last2;
  if constexpr (sizeof(Words) == 16)
    return low + __builtin_shufflevector(
                     zero, SmallSigma1(__builtin_shufflevector(low, low, 0, 1, 0, 1)), 0, 1, 6, 7);
  else
    return low + __builtin_shufflevector(
                     zero, SmallSigma1(__builtin_shufflevector(low, low, 0, 1, 0, 1, 4, 5, 4, 5)),
                     0, 1, 10, 11, 4, 5, 14, 15);
}

// Big-endian words from memory, four at a time.
ZT_INLINE Words4 LoadBigEndian4(const unsigned char* p) {
  Words4 x;
  std::memcpy(&x, p, sizeof x);
  if constexpr (std::endian::native == std::endian::little)
    x = (x << 24) | ((x << 8) & 0xFF0000u) | ((x >> 8) & 0xFF00u) | (x >> 24);
  return x;
}

// Four schedule words plus their round constants, kept in memory for the rounds.
ZT_INLINE void StoreWithConstants(uint32_t* wk, Words4 words, int t) {
  Words4 k;
  std::memcpy(&k, kRoundConstants + t, sizeof k);
  const Words4 sum = words + k;
  std::memcpy(wk + t, &sum, sizeof sum);
}

ZT_INLINE Words4 Low(Words8 x) {
  return __builtin_shufflevector(x, x, 0, 1, 2, 3);
}
ZT_INLINE Words4 High(Words8 x) {
  return __builtin_shufflevector(x, x, 4, 5, 6, 7);
}

// The schedule of one block (Words4) or two (Words8), rounds constants added, into `wk`
// (and `wk2` for the second block).
template <class Words>
struct Schedule {
  Words w[4];
  uint32_t* wk;
  uint32_t* wk2;

  ZT_INLINE void Load(const unsigned char* block, const unsigned char* block2) {
    for (int g = 0; g < 4; ++g) {
      const Words4 first = LoadBigEndian4(block + 16 * g);
      if constexpr (sizeof(Words) == 16) {
        w[g] = first;
      } else {
        const Words4 second = LoadBigEndian4(block2 + 16 * g);
        w[g] = __builtin_shufflevector(first, second, 0, 1, 2, 3, 4, 5, 6, 7);
      }
      Store(w[g], 4 * g);
    }
  }
  // Words 4g + 16 to 4g + 19.
  template <int G>
  ZT_INLINE void Next() {
    Words& next = w[G % 4];
    next = NextWords(w[G % 4], w[(G + 1) % 4], w[(G + 2) % 4], w[(G + 3) % 4]);
    Store(next, 4 * G + 16);
  }
  ZT_INLINE void Store(Words words, int t) {
    if constexpr (sizeof(Words) == 16) {
      StoreWithConstants(wk, words, t);
    } else {
      StoreWithConstants(wk, Low(words), t);
      StoreWithConstants(wk2, High(words), t);
    }
  }
};

// Rounds 4g to 4g + 3 of the first block, with the vector unit making schedule words
// 4g + 16 to 4g + 19 in the meantime: the out-of-order core overlaps the two, as the
// rounds alone leave most of its units idle.
template <int G, class Words>
ZT_INLINE void RoundGroup(uint32_t* v, Schedule<Words>& schedule) {
  if constexpr (G < 12) schedule.template Next<G>();
  const uint32_t* wk = schedule.wk;
  Round<4 * G>(v, wk[4 * G]);
  Round<4 * G + 1>(v, wk[4 * G + 1]);
  Round<4 * G + 2>(v, wk[4 * G + 2]);
  Round<4 * G + 3>(v, wk[4 * G + 3]);
}

template <int... I>
ZT_INLINE void Rounds(uint32_t* v, const uint32_t* wk, std::integer_sequence<int, I...>) {
  (Round<I>(v, wk[I]), ...);
}

ZT_INLINE void AddTo(uint32_t* state, const uint32_t* v) {
  for (int i = 0; i < 8; ++i) state[i] += v[i];
}

// One block (Words4) or two (Words8) into the state.
template <class Words, int... G>
ZT_INLINE void CompressOneOrTwo(uint32_t* state, const unsigned char* block,
                                std::integer_sequence<int, G...>) {
  uint32_t wk[64], wk2[64], v[8];
  Schedule<Words> schedule{{}, wk, wk2};
  schedule.Load(block, block + 64);
  memcpy(v, state, sizeof v);
  (RoundGroup<G>(v, schedule), ...);
  AddTo(state, v);
  if constexpr (sizeof(Words) == 32) {
    // The second block's schedule is ready: only its rounds are left.
    memcpy(v, state, sizeof v);
    for (int t = 0; t < 64; t += 16) Rounds(v, wk2 + t, std::make_integer_sequence<int, 16>());
    AddTo(state, v);
  }
}

template <bool kPairs>
ZT_INLINE void CompressBlocks(uint32_t* state, const unsigned char* blocks, size_t count) {
  constexpr auto kGroups = std::make_integer_sequence<int, 16>();
  if constexpr (kPairs)
    for (; count >= 2; count -= 2, blocks += 128) CompressOneOrTwo<Words8>(state, blocks, kGroups);
  for (; count != 0; --count, blocks += 64) CompressOneOrTwo<Words4>(state, blocks, kGroups);
}

// Null: the fastest compression; else the one tests or benchmarks asked for.
std::atomic<zt7::hash_blocks::BlockFunction> forced{nullptr};

}  // namespace

void CompressPortable(uint32_t* state, const unsigned char* blocks, size_t count) {
  CompressBlocks<false>(state, blocks, count);
}

// The same code, with the schedules of two blocks made at once in 256-bit vectors,
// rotations without copies (BMI2) and three-operand vector instructions.
__attribute__((target("avx2,bmi,bmi2"))) void CompressAvx2(uint32_t* state,
                                                           const unsigned char* blocks,
                                                           size_t count) {
  CompressBlocks<true>(state, blocks, count);
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

bool CpuHasAvx2AndBmi2() {
  // CPUID leaf 7 EBX bits 3, 5 and 8 (BMI1, AVX2, BMI2); leaf 1 ECX bits 27 and 28
  // (OSXSAVE, AVX); and the system must save the vector registers (XCR0 bits 1 and 2).
  static const bool has = [] {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_OSXSAVE) || !(ecx & bit_AVX))
      return false;
    unsigned xcr0, xcr0High;
    asm("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
    if ((xcr0 & 6) != 6) return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & bit_BMI) && (ebx & bit_AVX2) &&
           (ebx & bit_BMI2);
  }();
  return has;
}

zt7::hash_blocks::BlockFunction WithoutShaExtensions() {
  return CpuHasAvx2AndBmi2() ? CompressAvx2 : CompressPortable;
}

void Force(zt7::hash_blocks::BlockFunction compress) {
  forced.store(compress, std::memory_order_relaxed);
}

zt7::hash_blocks::BlockFunction Selected() {
  if (const zt7::hash_blocks::BlockFunction compress = forced.load(std::memory_order_relaxed))
    return compress;
  return CpuHasShaExtensions() ? CompressShaExtensions : WithoutShaExtensions();
}

}  // namespace zt7::sha256_blocks
