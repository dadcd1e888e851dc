// Message padding and block feeding shared by the MD5 and SHA-2 hashers.
#include "sdl/hash_blocks.h"

#include <algorithm>
#include <cstdlib>  // for free
#include <cstring>  // for memcpy, memset
#include <memory>

#include "sdl/istream.h"
#include "sdl/raise.h"

namespace zt7::hash_blocks {

using namespace zodu;

namespace {

constexpr size_t kBlock = 64;
// Streams are read in chunks of this size: large reads keep the per-call cost of the
// stream out of the hashing loop.
constexpr size_t kChunk = 64 * 1024;

struct FreeDeleter {
  void operator()(void* p) const { free(p); }
};

void WriteBitCount(unsigned char* field, uint64_t bits, LengthOrder order) {
  for (int i = 0; i < 8; ++i) {
    const int shift = order == LengthOrder::Little ? 8 * i : 56 - 8 * i;
    field[i] = static_cast<unsigned char>(bits >> shift);
  }
}

// The padding of a message of `length` bytes in memory whose last `rest` (< 64) bytes are
// at `last`.
void PadMemory(uint32_t* state, BlockFunction compress, LengthOrder order,
               const unsigned char* last, size_t rest, uint32_t length) {
  unsigned char tail[kBlock] = {};
  if (rest != 0) memcpy(tail, last, rest);
  tail[rest] = 0x80;
  if (rest > 56) {
    compress(state, tail, 1);
    memset(tail, 0, 56);
  }
  WriteBitCount(tail + 56, static_cast<uint32_t>(length * 8u), order);
  compress(state, tail, 1);
}

}  // namespace

void HashMemory(uint32_t* state, BlockFunction compress, LengthOrder order, const void* data,
                uint32_t length) {
  if (data == nullptr && length != 0) RaiseFunctionFailed(ZT_SITE, "null buffer");
  const auto* bytes = static_cast<const unsigned char*>(data);
  const size_t full = length / kBlock;
  if (full != 0) compress(state, bytes, full);
  PadMemory(state, compress, order, bytes + full * kBlock, length % kBlock, length);
}

void MemoryPieces::Add(uint32_t* state, const void* data, size_t length) {
  if (length == 0) return;
  const auto* bytes = static_cast<const unsigned char*>(data);
  total_ += length;
  if (pendingLength_ != 0) {
    const size_t take = std::min(length, kBlock - pendingLength_);
    memcpy(pending_ + pendingLength_, bytes, take);
    pendingLength_ += take;
    bytes += take;
    length -= take;
    if (pendingLength_ < kBlock) return;
    compress_(state, pending_, 1);
    pendingLength_ = 0;
  }
  const size_t full = length / kBlock;
  if (full != 0) compress_(state, bytes, full);
  pendingLength_ = length % kBlock;
  if (pendingLength_ != 0) memcpy(pending_, bytes + full * kBlock, pendingLength_);
}

void MemoryPieces::Finish(uint32_t* state) {
  if (total_ > UINT32_MAX) RaiseFunctionFailed(ZT_SITE, "message over 4 GiB");
  PadMemory(state, compress_, order_, pending_, pendingLength_, static_cast<uint32_t>(total_));
}

void HashStream(uint32_t* state, BlockFunction compress, LengthOrder order, IInputStream& stream) {
  const uint64_t size = stream.Length();
  uint64_t blocksLeft = size / kBlock;
  if (blocksLeft != 0) {
    const size_t chunkBlocks = static_cast<size_t>(std::min<uint64_t>(blocksLeft, kChunk / kBlock));
    const std::unique_ptr<unsigned char, FreeDeleter> chunk(
        static_cast<unsigned char*>(vex_malloc_(chunkBlocks * kBlock)));
    while (blocksLeft != 0) {
      const size_t count = static_cast<size_t>(std::min<uint64_t>(blocksLeft, chunkBlocks));
      stream.Read(chunk.get(), count * kBlock);
      compress(state, chunk.get(), count);
      blocksLeft -= count;
    }
  }
  const size_t rest = static_cast<size_t>(size % kBlock);
  unsigned char tail[kBlock] = {};
  if (rest != 0) stream.Read(tail, rest);
  tail[rest] = 0x80;
  if (rest >= 56) {
    compress(state, tail, 1);
    memset(tail, 0, kBlock);
  }
  WriteBitCount(tail + 56, size * 8u, order);
  compress(state, tail, 1);
}

}  // namespace zt7::hash_blocks
