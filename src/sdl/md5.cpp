// MD5 (RFC 1321) of a message in memory or of a stream, and its text forms.
#include "sdl/md5.h"

#include <bit>
#include <cstring>  // for memcpy

#include "sdl/hash_blocks.h"
#include "sdl/hex.h"

namespace zodu {
namespace {

inline uint32_t LoadWord(const unsigned char* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  return v;
}

// Each step adds the message word and constant first: they do not wait for the previous
// step, so only the round function, one add and the rotation sit on the dependency chain.
// The round functions are arranged so that the terms without b (the newest word) are
// ready early.
template <int S>
inline void StepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t m, uint32_t k) {
  a += m + k;
  a += ((c ^ d) & b) ^ d;
  a = std::rotl(a, S) + b;
}

// (b & d) | (c & ~d) with disjoint bits, so the two halves can be added separately.
template <int S>
inline void StepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t m, uint32_t k) {
  a += m + k;
  a += c & ~d;
  a += b & d;
  a = std::rotl(a, S) + b;
}

template <int S>
inline void StepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t m, uint32_t k) {
  a += m + k;
  a += (c ^ d) ^ b;
  a = std::rotl(a, S) + b;
}

template <int S>
inline void StepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t m, uint32_t k) {
  a += m + k;
  a += c ^ (b | ~d);
  a = std::rotl(a, S) + b;
}

void CompressBlocks(uint32_t* state, const unsigned char* blocks, size_t count) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; count != 0; --count, blocks += 64) {
    const unsigned char* p = blocks;
    auto m = [p](int i) { return LoadWord(p + 4 * i); };
    const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

    StepF<7>(a, b, c, d, m(0), 0xd76aa478);
    StepF<12>(d, a, b, c, m(1), 0xe8c7b756);
    StepF<17>(c, d, a, b, m(2), 0x242070db);
    StepF<22>(b, c, d, a, m(3), 0xc1bdceee);
    StepF<7>(a, b, c, d, m(4), 0xf57c0faf);
    StepF<12>(d, a, b, c, m(5), 0x4787c62a);
    StepF<17>(c, d, a, b, m(6), 0xa8304613);
    StepF<22>(b, c, d, a, m(7), 0xfd469501);
    StepF<7>(a, b, c, d, m(8), 0x698098d8);
    StepF<12>(d, a, b, c, m(9), 0x8b44f7af);
    StepF<17>(c, d, a, b, m(10), 0xffff5bb1);
    StepF<22>(b, c, d, a, m(11), 0x895cd7be);
    StepF<7>(a, b, c, d, m(12), 0x6b901122);
    StepF<12>(d, a, b, c, m(13), 0xfd987193);
    StepF<17>(c, d, a, b, m(14), 0xa679438e);
    StepF<22>(b, c, d, a, m(15), 0x49b40821);

    StepG<5>(a, b, c, d, m(1), 0xf61e2562);
    StepG<9>(d, a, b, c, m(6), 0xc040b340);
    StepG<14>(c, d, a, b, m(11), 0x265e5a51);
    StepG<20>(b, c, d, a, m(0), 0xe9b6c7aa);
    StepG<5>(a, b, c, d, m(5), 0xd62f105d);
    StepG<9>(d, a, b, c, m(10), 0x02441453);
    StepG<14>(c, d, a, b, m(15), 0xd8a1e681);
    StepG<20>(b, c, d, a, m(4), 0xe7d3fbc8);
    StepG<5>(a, b, c, d, m(9), 0x21e1cde6);
    StepG<9>(d, a, b, c, m(14), 0xc33707d6);
    StepG<14>(c, d, a, b, m(3), 0xf4d50d87);
    StepG<20>(b, c, d, a, m(8), 0x455a14ed);
    StepG<5>(a, b, c, d, m(13), 0xa9e3e905);
    StepG<9>(d, a, b, c, m(2), 0xfcefa3f8);
    StepG<14>(c, d, a, b, m(7), 0x676f02d9);
    StepG<20>(b, c, d, a, m(12), 0x8d2a4c8a);

    StepH<4>(a, b, c, d, m(5), 0xfffa3942);
    StepH<11>(d, a, b, c, m(8), 0x8771f681);
    StepH<16>(c, d, a, b, m(11), 0x6d9d6122);
    StepH<23>(b, c, d, a, m(14), 0xfde5380c);
    StepH<4>(a, b, c, d, m(1), 0xa4beea44);
    StepH<11>(d, a, b, c, m(4), 0x4bdecfa9);
    StepH<16>(c, d, a, b, m(7), 0xf6bb4b60);
    StepH<23>(b, c, d, a, m(10), 0xbebfbc70);
    StepH<4>(a, b, c, d, m(13), 0x289b7ec6);
    StepH<11>(d, a, b, c, m(0), 0xeaa127fa);
    StepH<16>(c, d, a, b, m(3), 0xd4ef3085);
    StepH<23>(b, c, d, a, m(6), 0x04881d05);
    StepH<4>(a, b, c, d, m(9), 0xd9d4d039);
    StepH<11>(d, a, b, c, m(12), 0xe6db99e5);
    StepH<16>(c, d, a, b, m(15), 0x1fa27cf8);
    StepH<23>(b, c, d, a, m(2), 0xc4ac5665);

    StepI<6>(a, b, c, d, m(0), 0xf4292244);
    StepI<10>(d, a, b, c, m(7), 0x432aff97);
    StepI<15>(c, d, a, b, m(14), 0xab9423a7);
    StepI<21>(b, c, d, a, m(5), 0xfc93a039);
    StepI<6>(a, b, c, d, m(12), 0x655b59c3);
    StepI<10>(d, a, b, c, m(3), 0x8f0ccc92);
    StepI<15>(c, d, a, b, m(10), 0xffeff47d);
    StepI<21>(b, c, d, a, m(1), 0x85845dd1);
    StepI<6>(a, b, c, d, m(8), 0x6fa87e4f);
    StepI<10>(d, a, b, c, m(15), 0xfe2ce6e0);
    StepI<15>(c, d, a, b, m(6), 0xa3014314);
    StepI<21>(b, c, d, a, m(13), 0x4e0811a1);
    StepI<6>(a, b, c, d, m(4), 0xf7537e82);
    StepI<10>(d, a, b, c, m(11), 0xbd3af235);
    StepI<15>(c, d, a, b, m(2), 0x2ad7d2bb);
    StepI<21>(b, c, d, a, m(9), 0xeb86d391);

    a += a0;
    b += b0;
    c += c0;
    d += d0;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

}  // namespace

MD5::MD5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void MD5::Digest(const void* data, uint32_t length) {
  zt7::hash_blocks::HashMemory(state_, CompressBlocks, zt7::hash_blocks::LengthOrder::Little, data,
                               length);
  StoreDigest();
}

void MD5::DigestStream(IInputStream& stream) {
  zt7::hash_blocks::HashStream(state_, CompressBlocks, zt7::hash_blocks::LengthOrder::Little,
                               stream);
  StoreDigest();
}

void MD5::StoreDigest() {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j)
      digest_[4 * i + j] = static_cast<unsigned char>(state_[i] >> (8 * j));
  }
}

vexcstr MD5::ToHex() const {
  return BytesToHex(digest_, kDigestSize, 0, 0);
}

vexcstr MD5Text(const vexcstr& text) {
  MD5 md5;
  md5.Digest(text.raw(), static_cast<uint32_t>(text.Length()));
  return md5.ToHex();
}

std::array<unsigned char, MD5::kDigestSize> MD5Bytes(IInputStream& stream) {
  MD5 md5;
  md5.DigestStream(stream);
  std::array<unsigned char, MD5::kDigestSize> bytes;
  memcpy(bytes.data(), md5.GetDigest(), bytes.size());
  return bytes;
}

}  // namespace zodu
