// The sorted dictionaries: vexdict (any key with a comparator) and vexstr_dict (vexstr keys).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "sdl/etraverse.h"
#include "sdl/smart/vex_istring.h"
#include "sdl/typelist.h"

namespace zodu {

// Three-way order of keys that have operator<.
struct TPrimitiveComparator {
  template <class K>
  static int Compare(const K& a, const K& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
  }
};

template <class K, class V>
struct DictEntry {
  K key;
  V value;
};

// Unique keys in ascending order by C::Compare (three-way); lookup and insertion bisect.
template <class K, class V, class C = TPrimitiveComparator>
class vexdict {
 public:
  using Entry = DictEntry<K, V>;

  size_t Count() const { return entries_.size(); }
  bool IsEmpty() const { return entries_.empty(); }
  V& GetValue(size_t i) { return entries_[i].value; }
  const V& GetValue(size_t i) const { return entries_[i].value; }

  // Puts `key` at its place; a key already present keeps its value unless `replace`.
  // Returns the entry's value.
  V& Add(const K& key, V value, bool replace = false) {
    bool found;
    size_t at = Place(key, found);
    if (found) {
      if (replace) entries_[at].value = std::move(value);
      return entries_[at].value;
    }
    Entry entry{key, std::move(value)};  // `key` may be one of ours, which growing moves
    GrowForOne(entries_);
    return entries_.insert(entries_.begin() + at, std::move(entry))->value;
  }

  // Index of `key`, or -1.
  long IndexOf(const K& key) const {
    bool found;
    size_t at = Place(key, found);
    return found ? static_cast<long>(at) : -1;
  }
  // The value of `key`, or null.
  V* Find(const K& key) {
    long i = IndexOf(key);
    return i < 0 ? nullptr : &entries_[size_t(i)].value;
  }
  const V* Find(const K& key) const { return const_cast<vexdict*>(this)->Find(key); }

  bool Remove(const K& key) {
    long i = IndexOf(key);
    if (i >= 0) Delete(size_t(i));
    return i >= 0;
  }
  void Delete(size_t i) { entries_.erase(entries_.begin() + i); }
  void Clear() { entries_.clear(); }

  // Entries in key order.
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  IndexableIterator<vexdict> GetValues() { return IndexableIterator<vexdict>(*this); }
  IndexableIterator<const vexdict> GetValues() const {
    return IndexableIterator<const vexdict>(*this);
  }

 private:
  // Where `key` stands (`found`) or belongs: an empty dictionary takes it at the end, a key
  // before the first or after the last entry goes there, anything else is bisected.
  size_t Place(const K& key, bool& found) const {
    found = false;
    size_t n = entries_.size();
    if (n == 0) return 0;
    int c = C::Compare(key, entries_[0].key);
    if (c <= 0) {
      found = c == 0;
      return 0;
    }
    if (n == 1) return 1;
    c = C::Compare(key, entries_[n - 1].key);
    if (c >= 0) {
      found = c == 0;
      return found ? n - 1 : n;
    }
    // entries_[lo] < key < entries_[hi]
    size_t lo = 0, hi = n - 1;
    while (hi - lo > 1) {
      size_t mid = lo + (hi - lo) / 2;
      c = C::Compare(key, entries_[mid].key);
      if (c == 0) {
        found = true;
        return mid;
      }
      (c < 0 ? hi : lo) = mid;
    }
    return hi;
  }

  std::vector<Entry> entries_;
};

// vexstr keys; C is vexstrComparator<true> (case-insensitive) or <false> (case-sensitive).
template <class V, class C>
using vexstr_dict = vexdict<vexstr, V, C>;

}  // namespace zodu
