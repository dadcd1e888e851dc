// Picking the reflection lines at both ends of an HKL file for the line-text digest.
#include "zt3util/end_lines.h"

#include <cstring>  // for memcpy

#include "sdl/ebase.h"
#include "zt3util/reflection_lines.h"

using namespace zodu;

namespace zt7 {
namespace {

constexpr uint64_t kSignBits = 0x8080808080808080ull;
constexpr size_t kKeyBytes = 16;

uint64_t KeyWord(const char* s) {
  uint64_t word;
  std::memcpy(&word, s, 8);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  return word ^ kSignBits;
}

// Two lines of `length` bytes whose first 16 bytes are equal, from byte 16 on: below 0
// when a sorts first.
int CompareRest(const char* a, const char* b, size_t length) {
  size_t i = kKeyBytes;
  for (; i + 8 <= length; i += 8) {
    const uint64_t x = KeyWord(a + i), y = KeyWord(b + i);
    if (x != y) return x < y ? -1 : 1;
  }
  for (; i < length; ++i)
    if (a[i] != b[i])
      return static_cast<signed char>(a[i]) < static_cast<signed char>(b[i]) ? -1 : 1;
  return 0;
}

}  // namespace

EndLineSelection::Kept::Kept(size_t lineLength, size_t keep, bool reversed)
    : lineLength_(lineLength),
      keep_(keep),
      reversed_(reversed),
      lines_(std::make_unique_for_overwrite<char[]>(lineLength * keep)),
      entries_(std::make_unique<Entry[]>(keep)) {}

bool EndLineSelection::Kept::Before(const char* a, const Key& ka, const char* b,
                                    const Key& kb) const {
  int order;
  if (ka.high != kb.high)
    order = ka.high < kb.high ? -1 : 1;
  else if (ka.low != kb.low)
    order = ka.low < kb.low ? -1 : 1;
  else
    order = CompareRest(a, b, lineLength_);
  return reversed_ ? order > 0 : order < 0;
}

bool EndLineSelection::Kept::Admits(const char* line, const Key& key) const {
  if (!IsFull()) return true;
  return Before(line, key, Line(count_ - 1), entries_[count_ - 1].key);
}

void EndLineSelection::Kept::Insert(const char* line, const Key& key) {
  // When full, the last entry gives up its place and its slot takes the new line.
  size_t at = count_, slot = count_;
  if (IsFull())
    slot = entries_[--at].slot;
  else
    ++count_;
  while (at > 0 && Before(line, key, Line(at - 1), entries_[at - 1].key)) {
    entries_[at] = entries_[at - 1];
    --at;
  }
  std::memcpy(lines_.get() + slot * lineLength_, line, lineLength_);
  entries_[at] = {key, slot};
}

EndLineSelection::EndLineSelection(size_t lineLength, size_t keep, bool legacy)
    : lineLength_(lineLength),
      legacy_(legacy),
      least_(lineLength, keep, false),
      greatest_(lineLength, keep, true) {}

EndLineSelection::Key EndLineSelection::KeyOf(const char* line) const {
  return {KeyWord(line), KeyWord(line + 8)};
}

void EndLineSelection::OfferInRange(const char* line, const Key& key) {
  const bool toLeast = least_.Admits(line, key), toGreatest = greatest_.Admits(line, key);
  if (!toLeast && !toGreatest) return;
  bool qualifies;
  try {
    qualifies =
        legacy_ ? IsReflectionLineLegacy(line, lineLength_) : IsReflectionLine(line, lineLength_);
  } catch (const TExceptionBase&) {
    if (toLeast) KeepUnreadable(line, key, least_, leastUnreadable_);
    if (toGreatest) KeepUnreadable(line, key, greatest_, greatestUnreadable_);
    return;
  }
  if (!qualifies) return;
  if (toLeast) least_.Insert(line, key);
  if (toGreatest) greatest_.Insert(line, key);
}

void EndLineSelection::KeepUnreadable(const char* line, const Key& key, const Kept& order,
                                      Unreadable& held) {
  if (held.error && !order.Before(line, key, held.line.data(), held.key)) return;
  held = {std::string(line, lineLength_), key, std::current_exception()};
}

bool EndLineSelection::Reaches(const Kept& group, size_t wanted, const Unreadable& unreadable) {
  if (!unreadable.error || wanted == 0) return false;
  if (group.Count() < wanted) return true;
  return group.Before(unreadable.line.data(), unreadable.key, group.Line(wanted - 1),
                      group.KeyAt(wanted - 1));
}

TCStrList EndLineSelection::Select(size_t nFirst, size_t nLast) const {
  TCStrList selected;
  // The forward pass from the least line, until it has nFirst.
  if (Reaches(least_, nFirst, leastUnreadable_)) std::rethrow_exception(leastUnreadable_.error);
  const size_t first = std::min(nFirst, least_.Count());
  for (size_t i = 0; i < first; ++i) selected.Add(vexcstr(least_.Line(i), lineLength_));
  // The backward pass from the greatest, until nFirst + nLast are taken.
  const size_t wanted = nFirst + nLast - first;
  if (Reaches(greatest_, wanted, greatestUnreadable_))
    std::rethrow_exception(greatestUnreadable_.error);
  const size_t last = std::min(wanted, greatest_.Count());
  for (size_t i = 0; i < last; ++i) selected.Add(vexcstr(greatest_.Line(i), lineLength_));
  return selected;
}

}  // namespace zt7
