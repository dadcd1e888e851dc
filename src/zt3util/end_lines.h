// Picking the reflection lines at both ends of an HKL file for the line-text digest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "sdl/estrlist.h"

namespace zt7 {

// Reflection lines taken from each end for part 1 and part 2 of the line-text scheme.
constexpr size_t kEndLinesOfPart1 = 10;
constexpr size_t kEndLinesOfPart2 = 15;

// The line-text scheme sorts the lines and then takes reflection lines from both ends of
// the sorted list. Only a few lines at either end can be taken, so this keeps just those,
// offered in any order: the `keep` least and the `keep` greatest reflection lines of the
// model length, in the scheme's order (bytes compared as signed values). A line between
// the two kept groups is never tested. The sort's passes raise when they test a line whose
// field passed its test but cannot be read; the least and the greatest such line are kept
// too, so that Select raises exactly where the passes would.
class EndLineSelection {
 public:
  // Lines of `lineLength` (at least 16) characters; the legacy reflection-line test when
  // `legacy`. Select then takes up to `keep` (at least 1) lines from each end.
  EndLineSelection(size_t lineLength, size_t keep, bool legacy);

  // A line of the model length.
  void Offer(const char* line) {
    const Key key = KeyOf(line);
    if (least_.IsFull() && greatest_.IsFull() && key.high > least_.LastHigh() &&
        key.high < greatest_.LastHigh())
      return;  // strictly between the kept groups, whatever the remaining bytes
    OfferInRange(line, key);
  }

  // What sorting the offered lines and then taking `nFirst` reflection lines from the
  // start and then from the end backwards until nFirst + nLast are taken would give
  // (fewer qualifying lines are taken twice), as copies. Raises the number error of the
  // first unreadable line that those passes would test. nFirst and nLast are at most `keep`.
  zodu::TCStrList Select(size_t nFirst, size_t nLast) const;

 private:
  // A line's first 16 bytes as two big-endian words with each byte's sign bit flipped, so
  // that unsigned word order is signed byte order.
  struct Key {
    uint64_t high, low;
  };
  Key KeyOf(const char* line) const;

  // The `keep` first lines under `reversed` (false: least first), copies in one block.
  class Kept {
   public:
    Kept(size_t lineLength, size_t keep, bool reversed);
    bool IsFull() const { return count_ == keep_; }
    size_t Count() const { return count_; }
    uint64_t LastHigh() const { return entries_[count_ - 1].key.high; }
    // Whether the line would be kept: it comes before the last kept line, or room is left.
    bool Admits(const char* line, const Key& key) const;
    void Insert(const char* line, const Key& key);
    const char* Line(size_t i) const { return lines_.get() + entries_[i].slot * lineLength_; }
    const Key& KeyAt(size_t i) const { return entries_[i].key; }
    // Whether line a comes before line b in this group's order.
    bool Before(const char* a, const Key& ka, const char* b, const Key& kb) const;

   private:
    struct Entry {
      Key key;
      size_t slot;
    };
    size_t lineLength_, keep_, count_ = 0;
    bool reversed_;
    std::unique_ptr<char[]> lines_;
    std::unique_ptr<Entry[]> entries_;
  };

  // An unreadable line and its error.
  struct Unreadable {
    std::string line;
    Key key;
    std::exception_ptr error;
  };

  void OfferInRange(const char* line, const Key& key);
  void KeepUnreadable(const char* line, const Key& key, const Kept& order, Unreadable& held);
  // Whether a pass through `group`'s order that stops after `wanted` reflection lines
  // tests `unreadable` first.
  static bool Reaches(const Kept& group, size_t wanted, const Unreadable& unreadable);

  size_t lineLength_;
  bool legacy_;
  Kept least_, greatest_;
  Unreadable leastUnreadable_, greatestUnreadable_;
};

}  // namespace zt7
