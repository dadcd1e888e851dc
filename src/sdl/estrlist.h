// String lists, splitting a text at a separator, joining lines, and the string builder.
#pragma once

#include <algorithm>
#include <vector>

#include "sdl/smart/vex_istring.h"
#include "sdl/typelist.h"

namespace zodu {

// Assembles a text from many pieces, sharing their buffers until the one final copy.
template <class S>
class TTStrBuffer {
 public:
  TTStrBuffer& operator<<(const S& piece) {
    if (!piece.IsEmpty()) {
      pieces_.push_back(piece);
      length_ += piece.Length();
    }
    return *this;
  }
  size_t Length() const { return length_; }
  S ToString() const {
    using T = typename S::char_type;
    T* chars = static_cast<T*>(vex_malloc_((length_ + 1) * sizeof(T)));
    T* at = chars;
    for (const S& p : pieces_) {
      std::memcpy(at, p.raw(), p.Length() * sizeof(T));
      at += p.Length();
    }
    *at = 0;
    return S::Adopt(chars, length_, length_ + 1);
  }

 private:
  std::vector<S> pieces_;
  size_t length_ = 0;
};

// Strings held by value, in order; lines of one file share the file's buffer.
template <class S>
class TTStrList {
 public:
  using char_type = typename S::char_type;

  size_t Count() const { return items_.size(); }
  bool IsEmpty() const { return items_.empty(); }
  size_t GetCapacity() const { return items_.capacity(); }
  void SetCapacity(size_t n) { items_.reserve(n); }
  S& operator[](size_t i) { return items_[i]; }
  const S& operator[](size_t i) const { return items_[i]; }
  // `s` may be one of our own lines, which growing moves: take a share of it first.
  S& Add(const S& s) { return Add(S(s)); }
  S& Add(S&& s) {
    GrowForOne(items_);
    return items_.emplace_back(std::move(s));
  }
  void Delete(size_t i) { items_.erase(items_.begin() + i); }
  void Clear() { items_.clear(); }
  // Reverses the order of the lines from `first` up to, not including, `last`.
  void Reverse(size_t first, size_t last) {
    std::reverse(items_.begin() + first, items_.begin() + last);
  }

  // Appends the pieces of `text` between `separator`s. A separator at the start or right
  // after another gives an empty piece unless `skipEmpty`; nothing follows a final one.
  TTStrList& Strtok(const S& text, char_type separator, bool skipEmpty = true) {
    const char_type* s = text.raw();
    size_t n = text.Length(), from = 0;
    for (size_t i = 0; i < n; ++i) {
      if (s[i] != separator) continue;
      if (i > from || !skipEmpty) Add(text.SubString(from, i - from));
      from = i + 1;
    }
    if (from < n) Add(text.SubString(from, n - from));
    return *this;
  }

  // The lines from `first` up to, not including, `last`, with `separator` between them.
  S Text(const S& separator, size_t first = 0, size_t last = S::npos) const {
    if (last > items_.size()) last = items_.size();
    TTStrBuffer<S> buffer;
    for (size_t i = first; i < last; ++i) {
      if (i > first) buffer << separator;
      buffer << items_[i];
    }
    return buffer.ToString();
  }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<S> items_;
};

using TStrList = TTStrList<vexstr>;
using TCStrList = TTStrList<vexcstr>;

}  // namespace zodu
