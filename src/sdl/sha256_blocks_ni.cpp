// SHA-256 compression with the CPU's SHA extensions; compiled for them per function only.
#include <immintrin.h>

#include "sdl/sha256_blocks.h"

namespace zt7::sha256_blocks {

#define ZT_SHA_TARGET __attribute__((target("sha,sse4.1")))

// The extensions keep the state as two vectors, ABEF and CDGH, and do two rounds per
// instruction; the schedule lives in four vectors of four words each.
ZT_SHA_TARGET void CompressShaExtensions(uint32_t* state, const unsigned char* blocks,
                                         size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  const auto* k = reinterpret_cast<const __m128i*>(kRoundConstants);

  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; count != 0; --count, blocks += 64) {
    const __m128i abefSaved = abef, cdghSaved = cdgh;
    __m128i msg[4];
#pragma GCC unroll 16
    for (int g = 0; g < 16; ++g) {  // rounds 4g to 4g + 3
      __m128i& cur = msg[g % 4];
      if (g < 4) {
        cur = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * g));
        cur = _mm_shuffle_epi8(cur, byteSwap);
      }
      __m128i wk = _mm_add_epi32(cur, _mm_loadu_si128(k + g));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
      if (g >= 3 && g <= 14) {  // finish the words of the next group
        __m128i& next = msg[(g + 1) % 4];
        next = _mm_add_epi32(next, _mm_alignr_epi8(cur, msg[(g + 3) % 4], 4));
        next = _mm_sha256msg2_epu32(next, cur);
      }
      wk = _mm_shuffle_epi32(wk, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);
      if (g >= 1 && g <= 12) {  // start the words of the group after next
        __m128i& previous = msg[(g + 3) % 4];
        previous = _mm_sha256msg1_epu32(previous, cur);
      }
    }
    abef = _mm_add_epi32(abef, abefSaved);
    cdgh = _mm_add_epi32(cdgh, cdghSaved);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  dcba = _mm_blend_epi16(feba, dchg, 0xF0);
  hgfe = _mm_alignr_epi8(dchg, feba, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), dcba);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), hgfe);
}

#undef ZT_SHA_TARGET

}  // namespace zt7::sha256_blocks
