// The growable lists: TPtrList (borrowed pointers), TTypeList (owned objects), TArrayList (values).
#pragma once

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace zodu {

// Lists grow by count * 1.5 (cut to a whole number) + 5: a list created empty takes
// 5 slots, then 12, then 23.
template <class V>
void GrowForOne(V& items) {
  if (items.size() == items.capacity()) items.reserve(items.size() + items.size() / 2 + 5);
}

// Pointers to objects that the list does not own.
template <class T>
class TPtrList {
 public:
  size_t Count() const { return items_.size(); }
  bool IsEmpty() const { return items_.empty(); }
  size_t GetCapacity() const { return items_.capacity(); }
  // A capacity below the present one changes nothing.
  void SetCapacity(size_t n) { items_.reserve(n); }
  T*& operator[](size_t i) { return items_[i]; }
  T* operator[](size_t i) const { return items_[i]; }
  T*& Add(T* item) {
    GrowForOne(items_);
    return items_.emplace_back(item);
  }
  void Delete(size_t i) { items_.erase(items_.begin() + i); }
  void Clear() { items_.clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T*> items_;
};

// Objects that the list owns and deletes; they keep their address while the list grows.
template <class T>
class TTypeList {
 public:
  TTypeList() = default;
  TTypeList(TTypeList&&) noexcept = default;
  TTypeList& operator=(TTypeList&&) noexcept = default;
  // Copying a list copies every element.
  TTypeList(const TTypeList& other) {
    items_.reserve(other.items_.size());
    for (const auto& p : other.items_) items_.push_back(std::make_unique<T>(*p));
  }
  TTypeList& operator=(const TTypeList& other) {
    if (this != &other) *this = TTypeList(other);
    return *this;
  }

  size_t Count() const { return items_.size(); }
  bool IsEmpty() const { return items_.empty(); }
  size_t GetCapacity() const { return items_.capacity(); }
  void SetCapacity(size_t n) { items_.reserve(n); }
  T& operator[](size_t i) { return *items_[i]; }
  const T& operator[](size_t i) const { return *items_[i]; }
  T& GetLast() { return *items_.back(); }

  // Takes ownership of `item`.
  T& Add(T* item) {
    std::unique_ptr<T> owned(item);
    GrowForOne(items_);
    return *items_.emplace_back(std::move(owned));
  }
  T& Add(std::unique_ptr<T> item) { return Add(item.release()); }
  // Creates a default (or argument-built) element in the list and returns it.
  template <class... Args>
  T& AddNew(Args&&... args) {
    return Add(std::make_unique<T>(std::forward<Args>(args)...));
  }
  void Delete(size_t i) { items_.erase(items_.begin() + i); }
  // Gives element i to the caller and removes it from the list.
  std::unique_ptr<T> Release(size_t i) {
    std::unique_ptr<T> item = std::move(items_[i]);
    items_.erase(items_.begin() + i);
    return item;
  }
  void Clear() { items_.clear(); }

  class Iterator {
   public:
    explicit Iterator(typename std::vector<std::unique_ptr<T>>::const_iterator it) : it_(it) {}
    T& operator*() const { return **it_; }
    Iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator!=(const Iterator& o) const { return it_ != o.it_; }

   private:
    typename std::vector<std::unique_ptr<T>>::const_iterator it_;
  };
  Iterator begin() const { return Iterator(items_.begin()); }
  Iterator end() const { return Iterator(items_.end()); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

// Plain values (doubles, bytes) held in place.
template <class T>
class TArrayList {
 public:
  TArrayList() = default;
  TArrayList(std::initializer_list<T> values) : items_(values) {}
  explicit TArrayList(size_t count, const T& value = T()) : items_(count, value) {}

  size_t Count() const { return items_.size(); }
  bool IsEmpty() const { return items_.empty(); }
  size_t GetCapacity() const { return items_.capacity(); }
  void SetCapacity(size_t n) { items_.reserve(n); }
  T& operator[](size_t i) { return items_[i]; }
  const T& operator[](size_t i) const { return items_[i]; }
  // `value` may be one of our own elements, which growing moves: copy it first.
  T& Add(const T& value) {
    T copy(value);
    GrowForOne(items_);
    return items_.emplace_back(std::move(copy));
  }
  void Delete(size_t i) { items_.erase(items_.begin() + i); }
  void Clear() { items_.clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T> items_;
};

// Plain value records.
template <class A, class B>
struct vex_pair_t {
  A a;
  B b;
};

template <class A, class B, class C>
struct AnAssociation3 {
  A a;
  B b;
  C c;
};

}  // namespace zodu
