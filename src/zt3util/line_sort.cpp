// Sorting HKL lines into the order of the line-text digest scheme.
#include "zt3util/line_sort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>  // for memcpy
#include <vector>

using namespace zodu;

namespace zt3util {
namespace {

// Each line's first 16 bytes as two big-endian words, with the sign bit of every byte
// flipped so that unsigned word order is signed byte order, and zeros after a short line's
// end. Keys that differ order their lines as Compare does; equal keys leave it to Compare.
// Sorting the keys instead of the lines keeps the comparisons in one contiguous array.
struct SortKey {
  uint64_t high;
  uint64_t low;
  uint32_t index;
};

constexpr uint64_t kSignBits = 0x8080808080808080ull;

uint64_t KeyWord(const char* s, size_t length) {
  if (length >= 8) {
    uint64_t word;
    std::memcpy(&word, s, 8);
    return __builtin_bswap64(word) ^ kSignBits;
  }
  uint64_t word = 0;
  for (size_t i = 0; i < 8; ++i)
    word = word << 8 | (i < length ? uint8_t(s[i] ^ 0x80) : uint8_t(0));
  return word;
}

}  // namespace

void SortLines(TCStrList& lines) {
  // Lines sorted already (an update recomputes several parts of one sorted list) stay.
  if (std::is_sorted(lines.begin(), lines.end(),
                     [](const vexcstr& a, const vexcstr& b) { return a.Compare(b) < 0; }))
    return;
  const size_t count = lines.Count();
  std::vector<SortKey> keys(count);
  for (size_t i = 0; i < count; ++i) {
    const vexcstr& line = lines[i];
    const size_t n = line.Length();
    keys[i].high = KeyWord(line.raw(), n);
    keys[i].low = n > 8 ? KeyWord(line.raw() + 8, n - 8) : 0;
    keys[i].index = static_cast<uint32_t>(i);
  }
  std::sort(keys.begin(), keys.end(), [&lines](const SortKey& a, const SortKey& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    return lines[a.index].Compare(lines[b.index]) < 0;
  });
  std::vector<vexcstr> sorted;
  sorted.reserve(count);
  for (const SortKey& key : keys) sorted.push_back(std::move(lines[key.index]));
  for (size_t i = 0; i < count; ++i) lines[i] = std::move(sorted[i]);
}

}  // namespace zt3util
