// Hand-over wrappers: results passed out by value without copying, taken out with Release.
#pragma once

#include <utility>

#include "sdl/estrlist.h"
#include "sdl/raise.h"
#include "sdl/typelist.h"

namespace zodu {

// One object behind a shared holder with a count. Copies of the wrapper share the object;
// the receiver reads it with obj() or takes it out with Release().
template <class T>
class const_obj {
 public:
  const_obj() = default;
  // Takes the contents of `object` over; the source is left empty.
  explicit const_obj(T&& object) : holder_(new Holder{std::move(object), 1}) {}
  const_obj(const const_obj& other) : holder_(other.holder_) {
    if (holder_) ++holder_->refs;
  }
  const_obj(const_obj&& other) noexcept : holder_(std::exchange(other.holder_, nullptr)) {}
  const_obj& operator=(const_obj other) noexcept {
    std::swap(holder_, other.holder_);
    return *this;
  }
  ~const_obj() { Drop(); }

  bool IsNull() const { return holder_ == nullptr; }
  const T& obj() const {
    if (!holder_) RaiseFunctionFailed(ZT_SITE, "uninitialised object");
    return holder_->object;
  }
  // The object for the caller: the object itself when no other wrapper shares it, else
  // a copy. The wrapper is empty afterwards.
  T Release() {
    if (!holder_) RaiseFunctionFailed(ZT_SITE, "uninitialised object");
    Holder* h = std::exchange(holder_, nullptr);
    if (--h->refs != 0) return T(h->object);
    T object(std::move(h->object));
    delete h;
    return object;
  }

 private:
  struct Holder {
    T object;
    int refs;
  };
  void Drop() {
    if (holder_ && --holder_->refs == 0) delete holder_;
    holder_ = nullptr;
  }
  Holder* holder_ = nullptr;
};

template <class L>
using const_list = const_obj<L>;
template <class T>
using ConstTypeList = const_obj<TTypeList<T>>;
template <class L>
using ConstStrList = const_obj<L>;
template <class T>
using ConstArrayList = const_obj<TArrayList<T>>;

}  // namespace zodu
