// IndexableIterator: walks the values of an indexed container, such as a dictionary, in order.
#pragma once

#include <cstddef>

#include "sdl/raise.h"

namespace zodu {

// `Indexable` gives Count() and GetValue(i).
template <class Indexable>
class IndexableIterator {
 public:
  explicit IndexableIterator(Indexable& items) : items_(items) {}

  // Moves to the next entry and returns its value; raises when there is none.
  auto& Next() {
    if (index_ >= items_.Count()) RaiseIndexOutOfRange(ZT_SITE, index_, 0, items_.Count());
    return items_.GetValue(index_++);
  }

 private:
  Indexable& items_;
  size_t index_ = 0;
};

}  // namespace zodu
