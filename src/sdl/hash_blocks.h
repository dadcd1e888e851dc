// Message padding and block feeding shared by the MD5 and SHA-2 hashers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zodu {
class IInputStream;
}  // namespace zodu

namespace zt7::hash_blocks {

// Compresses `count` consecutive 64-byte blocks into the chaining state.
using BlockFunction = void (*)(uint32_t* state, const unsigned char* blocks, size_t count);

// Byte order of the bit count in the last block: MD5 little-endian, SHA-2 big-endian.
enum class LengthOrder { Little, Big };

// Hashes a message held in memory in place. The bit count is 32 bits wide (8 * length,
// wrapping) and, when 56 bytes remain, takes the place of the 0x80 mark instead of
// getting a block of its own; digests made so must keep that form to stay comparable.
void HashMemory(uint32_t* state, BlockFunction compress, LengthOrder order, const void* data,
                uint32_t length);

// A message fed in pieces: the same digest as HashMemory over the pieces joined, holding
// no more than one block of them. The state is the caller's, so that copies stay whole.
class MemoryPieces {
 public:
  MemoryPieces(BlockFunction compress, LengthOrder order) : compress_(compress), order_(order) {}
  void Add(uint32_t* state, const void* data, size_t length);
  // Pads as HashMemory does; raises when the pieces came to more than 4 GiB, whose bit
  // count HashMemory cannot hold.
  void Finish(uint32_t* state);

 private:
  BlockFunction compress_;
  LengthOrder order_;
  unsigned char pending_[64];
  size_t pendingLength_ = 0;
  uint64_t total_ = 0;
};

// Hashes the stream's Length() bytes from its current position with standard padding
// and a 64-bit bit count. Errors of the stream pass through.
void HashStream(uint32_t* state, BlockFunction compress, LengthOrder order,
                zodu::IInputStream& stream);

}  // namespace zt7::hash_blocks
