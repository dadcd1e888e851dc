// Finds the position of a name in a sequence of names, ignoring case as the document's
// comparisons do, without a node or a key copy per name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sdl/istream.h"
#include "sdl/smart/vex_istring.h"

namespace cif_dp {

// The names stay in their sequence (`nameOf(i)` is the name at position i); the index holds
// positions only. A short sequence is searched, a longer one found through a table of
// positions by open addressing, so that a block of thousands of names is not quadratic.
class NameIndex {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);
  // Which of the positions of one name is found.
  enum class Keep : uint8_t { kLatest, kFirst };

  explicit NameIndex(Keep keep) : keep_(keep) {}

  // The position among the first `count` whose name is `name`, or npos.
  template <class NameOf>
  size_t Find(const zodu::vexstr& name, size_t count, NameOf nameOf) const {
    if (table_.empty()) {
      for (size_t k = 0; k < count; ++k) {
        const size_t i = keep_ == Keep::kLatest ? count - 1 - k : k;
        if (nameOf(i).Equalsi(name)) return i;
      }
      return npos;
    }
    const size_t mask = table_.size() - 1;
    for (size_t at = Hash(name) & mask;; at = (at + 1) & mask) {
      const uint32_t held = table_[at];
      if (held == 0) return npos;
      if (nameOf(held - 1).Equalsi(name)) return held - 1;
    }
  }

  // Takes in position `count - 1`, just appended.
  template <class NameOf>
  void Appended(size_t count, NameOf nameOf) {
    if (table_.empty() && count <= kScanned) return;
    if (count * 2 > table_.size()) {
      size_t size = 64;
      while (size < count * 4) size *= 2;
      table_.assign(size, 0);
      for (size_t i = 0; i < count; ++i) Put(i, nameOf);
      return;
    }
    Put(count - 1, nameOf);
  }

  void Clear() { table_.clear(); }

 private:
  // Below this many names a search from the end is as quick as hashing.
  static constexpr size_t kScanned = 16;

  // FNV-1a over the code units, lowered as Comparei lowers them.
  static size_t Hash(const zodu::vexstr& name) {
    uint64_t h = 14695981039346656037ull;
    for (char16_t c : name) {
      if (c >= 'A' && c <= 'Z') c = char16_t(c + ('a' - 'A'));
      h = (h ^ c) * 1099511628211ull;
    }
    return static_cast<size_t>(h ^ (h >> 32));
  }

  template <class NameOf>
  void Put(size_t position, NameOf nameOf) {
    const zodu::vexstr& name = nameOf(position);
    const size_t mask = table_.size() - 1;
    for (size_t at = Hash(name) & mask;; at = (at + 1) & mask) {
      uint32_t& held = table_[at];
      if (held == 0) {
        held = static_cast<uint32_t>(position + 1);
        return;
      }
      if (nameOf(held - 1).Equalsi(name)) {
        if (keep_ == Keep::kLatest) held = static_cast<uint32_t>(position + 1);
        return;
      }
    }
  }

  // Positions plus one, 0 for a free place; empty while the names are few.
  std::vector<uint32_t> table_;
  Keep keep_;
};

}  // namespace cif_dp
