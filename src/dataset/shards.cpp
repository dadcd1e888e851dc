// Which shard of an audit a dataset falls to.
#include "dataset/shards.h"

#include <cstdint>

#include "sdl/sha256_text.h"

namespace zt7::dataset {
namespace {

// Decimal digits only, no sign, no blank; false when empty or above `most`.
bool ParseCount(const std::string& text, size_t most, size_t& value) {
  if (text.empty() || text.size() > 7) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + size_t(c - '0');
  }
  return value <= most;
}

}  // namespace

Result<Shard> ParseShard(const std::string& text) {
  const auto refused = [&](const std::string& why) {
    return Result<Shard>(Outcome::kRefused, "shard '" + text + "': " + why);
  };
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return refused("expected K/N, as 3/64");
  Shard shard;
  if (!ParseCount(text.substr(slash + 1), kMostShards, shard.count))
    return refused("N is not a number from 1 to " + std::to_string(kMostShards));
  if (shard.count == 0) return refused("N is 0: an audit has at least one shard");
  if (!ParseCount(text.substr(0, slash), kMostShards, shard.index))
    return refused("K is not a number from 0 to N-1");
  if (shard.index >= shard.count)
    return refused("K is " + std::to_string(shard.index) + ", but shards are numbered 0 to " +
                   std::to_string(shard.count - 1));
  return shard;
}

size_t ShardOf(const std::string& resolvedPath, size_t count) {
  const std::string hex = Sha256Hex(resolvedPath);
  uint64_t number = 0;
  for (size_t i = 0; i < 16; ++i) {
    const char c = hex[i];
    number = number << 4 | uint64_t(c <= '9' ? c - '0' : c - 'a' + 10);
  }
  return static_cast<size_t>(number % count);
}

}  // namespace zt7::dataset
