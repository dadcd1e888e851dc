// Hand-over wrappers: results passed out by value without copying, taken out with Release.
#pragma once

#include <memory>
#include <utility>

#include "sdl/estrlist.h"
#include "sdl/raise.h"
#include "sdl/smart/vex_ptr.h"
#include "sdl/typelist.h"

namespace zodu {

// One object shared by every copy of the wrapper, counted by the same holder as
// vex_object_ptr; the receiver reads it with obj() or takes it out with Release().
template <class T>
class const_obj {
 public:
  const_obj() = default;
  // Takes the contents of `object` over; the source is left empty.
  explicit const_obj(T&& object) : shared_(new T(std::move(object))) {}

  bool IsNull() const { return shared_.is_null(); }
  const T& obj() const {
    if (shared_.is_null()) RaiseFunctionFailed(ZT_SITE, "uninitialised object");
    return *shared_;
  }
  // The object for the caller: the object itself when no other wrapper shares it, else
  // a copy. The wrapper is empty afterwards.
  T Release() {
    if (shared_.is_null()) RaiseFunctionFailed(ZT_SITE, "uninitialised object");
    std::unique_ptr<T> taken(shared_.release());
    return T(std::move(*taken));
  }

 private:
  vex_object_ptr<T> shared_;
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
