// The SHA-256 compression function: portable code and the CPU's SHA extensions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdl/hash_blocks.h"

namespace zodu::sha256_blocks {

// Round constants of FIPS 180-4, section 4.2.2.
extern const uint32_t kRoundConstants[64];

void CompressPortable(uint32_t* state, const unsigned char* blocks, size_t count);
// Needs the SHA extensions and SSE4.1: call only when CpuHasShaExtensions().
void CompressShaExtensions(uint32_t* state, const unsigned char* blocks, size_t count);

bool CpuHasShaExtensions();
// Keeps Selected() on the portable code even where the CPU has SHA extensions, so that
// tests and benchmarks reach both paths on one machine.
void ForcePortable(bool portable);
// The fastest compression available unless ForcePortable(true) is in force.
hash_blocks::BlockFunction Selected();

}  // namespace zodu::sha256_blocks
