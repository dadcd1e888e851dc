// Which shard of an audit a dataset falls to.
#pragma once

#include <cstddef>
#include <string>

#include "sdl/result.h"

namespace zt7::dataset {

// Shard `index` of `count`, as a job array numbers its tasks: 0 to count - 1.
struct Shard {
  size_t index = 0;
  size_t count = 1;
};

// The most shards an audit may have; far beyond any job array.
inline constexpr size_t kMostShards = 1000000;

// "K/N" in decimal digits, 0 <= K < N <= kMostShards; refused with the reason otherwise.
Result<Shard> ParseShard(const std::string& text);

// The shard of `count` that the dataset at `resolvedPath` (absolute, links resolved) falls
// to: the first eight bytes of the SHA-256 of the path, as a big-endian number, modulo
// `count`. It depends on the path alone, so a dataset keeps its shard when the list grows,
// shrinks or is reordered.
size_t ShardOf(const std::string& resolvedPath, size_t count);

}  // namespace zt7::dataset
