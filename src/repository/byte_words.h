// Byte-parallel tests on 64-bit words: which of eight bytes equal a value or are below 10.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>  // for memcpy

namespace zt7::byte_words {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;
constexpr uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;

// Up to eight bytes, the first in the lowest byte of the word; missing bytes are 0.
inline uint64_t Load(const char* bytes, size_t count = 8) {
  uint64_t word = 0;
  std::memcpy(&word, bytes, count);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

// The high bit of every byte of `word` that equals `c`, and no other bit.
inline uint64_t BytesEqual(uint64_t word, char c) {
  const uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
  return ~(((x & kLowBits) + kLowBits) | x) & kHighBits;
}

// The high bit of every byte of `word` below 10, and no other bit.
inline uint64_t BytesBelowTen(uint64_t word) {
  return ~(((word & kLowBits) + kOnes * (0x80 - 10)) | word) & kHighBits;
}

// One bit per byte from their high bits: bit i for byte i.
inline unsigned ByteMask(uint64_t highBits) {
  return static_cast<unsigned>(((highBits >> 7) * 0x0102040810204080ull) >> 56);
}

// The number of bytes whose high bit is set.
inline unsigned CountMarked(uint64_t highBits) {
  return static_cast<unsigned>(((highBits >> 7) * kOnes) >> 56);
}

}  // namespace zt7::byte_words
