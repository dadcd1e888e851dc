// vex_object_ptr: a reference-counted owning pointer that may be null.
#pragma once

#include <utility>

namespace zodu {

template <class T>
class vex_object_ptr {
 public:
  vex_object_ptr() = default;
  // Takes ownership of `object` (may be null).
  explicit vex_object_ptr(T* object) : holder_(object ? new Holder{object, 1} : nullptr) {}
  vex_object_ptr(const vex_object_ptr& other) : holder_(other.holder_) {
    if (holder_) ++holder_->refs;
  }
  vex_object_ptr(vex_object_ptr&& other) noexcept
      : holder_(std::exchange(other.holder_, nullptr)) {}
  vex_object_ptr& operator=(vex_object_ptr other) noexcept {
    std::swap(holder_, other.holder_);
    return *this;
  }
  ~vex_object_ptr() {
    if (holder_ && --holder_->refs == 0) {
      delete holder_->object;
      delete holder_;
    }
  }

  bool is_null() const { return holder_ == nullptr; }
  explicit operator bool() const { return holder_ != nullptr; }
  T& operator*() const { return *holder_->object; }
  T* operator->() const { return holder_->object; }
  // Takes the object out for the caller, who owns it then; a copy when it is shared.
  T* release() {
    if (!holder_) return nullptr;
    Holder* h = std::exchange(holder_, nullptr);
    if (--h->refs != 0) return new T(*h->object);
    T* object = h->object;
    delete h;
    return object;
  }

 private:
  struct Holder {
    T* object;
    int refs;
  };
  Holder* holder_ = nullptr;
};

}  // namespace zodu
