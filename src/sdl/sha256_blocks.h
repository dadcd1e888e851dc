// The SHA-256 compression function: portable code and the CPU's SHA extensions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdl/hash_blocks.h"

namespace zt7::sha256_blocks {

// Round constants of FIPS 180-4, section 4.2.2.
extern const uint32_t kRoundConstants[64];

void CompressPortable(uint32_t* state, const unsigned char* blocks, size_t count);
// The portable code built for AVX2 and BMI2: call only when CpuHasAvx2AndBmi2().
void CompressAvx2(uint32_t* state, const unsigned char* blocks, size_t count);
// Needs the SHA extensions and SSE4.1: call only when CpuHasShaExtensions().
void CompressShaExtensions(uint32_t* state, const unsigned char* blocks, size_t count);

bool CpuHasShaExtensions();
bool CpuHasAvx2AndBmi2();
// What a processor without SHA extensions runs: CompressAvx2 where it can, else the
// portable code.
zt7::hash_blocks::BlockFunction WithoutShaExtensions();
// Makes Selected() give `compress` until Force(nullptr), so that tests and benchmarks
// reach every path on one machine.
void Force(zt7::hash_blocks::BlockFunction compress);
// The fastest compression available, unless another is forced.
zt7::hash_blocks::BlockFunction Selected();

}  // namespace zt7::sha256_blocks
