// TQueue: a first-in first-out queue of values.
#pragma once

#include <cstddef>
#include <deque>
#include <utility>

#include "sdl/raise.h"

namespace zodu {

template <class T>
class TQueue {
 public:
  size_t Count() const { return items_.size(); }
  bool IsEmpty() const { return items_.empty(); }
  void Push(const T& value) { items_.push_back(value); }
  void Push(T&& value) { items_.push_back(std::move(value)); }
  // Takes the oldest value out; an empty queue raises "queue is empty".
  T Pop() {
    if (items_.empty()) RaiseFunctionFailed(ZT_SITE, "queue is empty");
    T value(std::move(items_.front()));
    items_.pop_front();
    return value;
  }
  void Clear() { items_.clear(); }

 private:
  std::deque<T> items_;
};

}  // namespace zodu
