// The two string types: views on a shared, reference-counted buffer, copied on write.
#pragma once

#include <algorithm>  // for max
#include <cmath>      // for pow
#include <cstdint>
#include <cstdlib>  // for free
#include <cstring>  // for memcpy
#include <type_traits>
#include <utility>

#include "sdl/raise.h"

namespace zodu {

// The characters of a string and the number of strings that share them. The array is
// always from vex_malloc_, so that a string can adopt a caller's buffer.
template <typename T>
struct TStrBufferRecord {
  T* chars;
  int32_t refs;
  size_t capacity;
};

// Storage and the operations common to both character types.
template <typename T>
class TTIString {
 public:
  using char_type = T;
  static constexpr size_t npos = static_cast<size_t>(-1);
  // Spare capacity added when a buffer is allocated.
  static constexpr size_t kIncrement = 8;

  TTIString() = default;
  // `length` npos: up to the terminating NUL.
  TTIString(const T* text, size_t length) { Init(text, length); }
  TTIString(const TTIString& other) noexcept
      : buf_(other.buf_), start_(other.start_), length_(other.length_) {
    if (buf_) ++buf_->refs;
  }
  TTIString(TTIString&& other) noexcept
      : buf_(std::exchange(other.buf_, nullptr)),
        start_(std::exchange(other.start_, 0)),
        length_(std::exchange(other.length_, 0)) {}
  ~TTIString() { Drop(); }

  size_t Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  // The characters of the view; not NUL-terminated (see c_str).
  const T* raw() const { return buf_ ? buf_->chars + start_ : EmptyText(); }
  const T* begin() const { return raw(); }
  const T* end() const { return raw() + length_; }
  T operator[](size_t i) const { return raw()[i]; }

  // The characters followed by a NUL, written after making the buffer our own when the
  // character after the view is not one already.
  const T* c_str() const;

  // Changes one character.
  void Set(size_t i, T c) {
    MakeOwn(0);
    buf_->chars[start_ + i] = c;
  }

 protected:
  static const T* EmptyText() {
    static const T empty[1] = {0};
    return empty;
  }
  static size_t CountToNul(const T* text) {
    size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
  }
  static uint32_t CheckedLength(size_t n);

  void Init(const T* text, size_t length);
  // `other` may be this string itself: read it before dropping our share.
  void Assign(const TTIString& other) noexcept {
    TStrBufferRecord<T>* buf = other.buf_;
    uint32_t start = other.start_, length = other.length_;
    if (buf) ++buf->refs;
    Drop();
    buf_ = buf;
    start_ = start;
    length_ = length;
  }
  void Swap(TTIString& other) noexcept {
    std::swap(buf_, other.buf_);
    std::swap(start_, other.start_);
    std::swap(length_, other.length_);
  }
  void Drop() noexcept;
  // Makes the buffer ours alone with room for `extra` more characters after the view.
  void MakeOwn(size_t extra);
  // Takes `chars` (from vex_malloc_) as the buffer without copying.
  void Adopt(T* chars, size_t length, size_t capacity);
  void AppendRaw(const T* text, size_t n);
  void SetView(size_t start, size_t length) {
    start_ = static_cast<uint32_t>(start);
    length_ = static_cast<uint32_t>(length);
  }

  TStrBufferRecord<T>* buf_ = nullptr;
  uint32_t start_ = 0;
  uint32_t length_ = 0;
};

// The narrow base: 8-bit characters, taken as they are.
class TCString : public TTIString<char> {
 public:
  using TTIString<char>::TTIString;
  // Narrowing: every character must be at most 255.
  void init(const char16_t* text, size_t length);
  void AssignWCharStr(const char16_t* text, size_t length);
  void InitFrom(const char* text, size_t length) { Init(text, length); }
  void InitFrom(const char16_t* text, size_t length) { init(text, length); }
};

// The wide base: 16-bit code units.
class TWString : public TTIString<char16_t> {
 public:
  using TTIString<char16_t>::TTIString;
  // Widening takes every byte as a signed 8-bit value: 0x80..0xFF become 0xFF80..0xFFFF.
  void InitFrom(const char* text, size_t length);
  void InitFrom(const char16_t* text, size_t length) { Init(text, length); }
};

template <class Base, typename T>
class TTSString : public Base {
 public:
  using Base::npos;

  TTSString() = default;
  TTSString(const T* text, size_t length = npos) { this->InitFrom(text, length); }
  // From the other character type: widened with the sign, or narrowed (raises above 255).
  template <typename U, typename = std::enable_if_t<!std::is_same_v<U, T>>>
  TTSString(const U* text, size_t length = npos) {
    this->InitFrom(text, length == npos ? CountOther(text) : length);
  }
  template <class B2, typename U, typename = std::enable_if_t<!std::is_same_v<U, T>>>
  explicit TTSString(const TTSString<B2, U>& other) {
    this->InitFrom(other.raw(), other.Length());
  }
  TTSString(const TTSString&) = default;
  TTSString(TTSString&&) noexcept = default;
  TTSString& operator=(const TTSString& other) noexcept {
    this->Assign(other);
    return *this;
  }
  TTSString& operator=(TTSString&& other) noexcept {
    this->Swap(other);
    return *this;
  }

  // A narrow string that adopts `chars` (allocated with vex_malloc_) without copying.
  static TTSString Adopt(T* chars, size_t length, size_t capacity = npos) {
    TTSString s;
    s.TTIString<T>::Adopt(chars, length, capacity == npos ? length : capacity);
    return s;
  }

  // A view on the same buffer; a range beyond the length raises TIndexOutOfRangeException.
  TTSString SubString(size_t start, size_t count) const {
    if (start > this->length_ || count > this->length_ - start)
      RaiseIndexOutOfRange(ZT_SITE, start + count, 0, this->length_);
    TTSString s(*this);
    s.SetView(this->start_ + start, count);
    return s;
  }
  TTSString SubStringFrom(size_t start) const { return SubString(start, this->length_ - start); }
  TTSString SubStringTo(size_t end) const { return SubString(0, end); }

  T GetLast() const {
    if (this->length_ == 0) RaiseFunctionFailed(ZT_SITE, "empty string");
    return this->raw()[this->length_ - 1];
  }

  TTSString& Append(const T* text, size_t n) {
    this->AppendRaw(text, n);
    return *this;
  }
  TTSString& operator<<(const TTSString& s) { return Append(s.raw(), s.Length()); }
  TTSString& operator<<(const T* text) { return Append(text, this->CountToNul(text)); }
  TTSString& operator<<(T c) { return Append(&c, 1); }
  // A character of the other type is converted like a text, never appended as a number.
  template <typename U,
            typename = std::enable_if_t<!std::is_same_v<U, T> &&
                                        (std::is_same_v<U, char> || std::is_same_v<U, char16_t>)>>
  TTSString& operator<<(U c) {
    return *this << TTSString(&c, 1);
  }
  template <typename U, typename = std::enable_if_t<!std::is_same_v<U, T>>>
  TTSString& operator<<(const U* text) {
    return *this << TTSString(text);
  }
  TTSString& operator<<(int value);
  TTSString& operator<<(unsigned value);
  TTSString& operator<<(unsigned long value);
  friend TTSString operator+(const TTSString& a, const TTSString& b) {
    TTSString r;
    r.MakeCapacity(a.Length() + b.Length());
    r << a << b;
    return r;
  }

  // Blanks and tabs removed from both ends (a narrower view, no copy).
  TTSString TrimWhiteChars() const {
    size_t b = 0, e = this->length_;
    TrimBlanks(this->raw(), b, e);
    return SubString(b, e - b);
  }
  // Replaces every non-overlapping occurrence of `pattern`, scanning from the start.
  // Pattern bytes are signed, so bytes 0x80..0xFF never match a wide character.
  TTSString& Replace(const char* pattern, const char* replacement);

  // Three-way comparisons; see the .cpp for the order.
  int Compare(const T* text, size_t n) const;
  int Comparei(const T* text, size_t n) const;
  int Compare(const TTSString& s) const { return Compare(s.raw(), s.Length()); }
  int Comparei(const TTSString& s) const { return Comparei(s.raw(), s.Length()); }
  bool Equals(const TTSString& s) const {
    return s.Length() == this->length_ &&
           std::memcmp(s.raw(), this->raw(), this->length_ * sizeof(T)) == 0;
  }
  bool Equalsi(const TTSString& s) const { return Comparei(s) == 0; }
  bool StartsFrom(const TTSString& s) const {
    return s.Length() <= this->length_ &&
           std::memcmp(s.raw(), this->raw(), s.Length() * sizeof(T)) == 0;
  }
  bool EndsWith(const TTSString& s) const {
    return s.Length() <= this->length_ &&
           std::memcmp(s.raw(), this->raw() + this->length_ - s.Length(), s.Length() * sizeof(T)) ==
               0;
  }
  friend bool operator==(const TTSString& a, const TTSString& b) { return a.Equals(b); }
  // Index of the first `c` at or after `from`, or -1.
  long IndexOf(T c, size_t from = 0) const {
    for (size_t i = from; i < this->length_; ++i)
      if (this->raw()[i] == c) return static_cast<long>(i);
    return -1;
  }
  long LastIndexOf(T c) const {
    for (size_t i = this->length_; i-- > 0;)
      if (this->raw()[i] == c) return static_cast<long>(i);
    return -1;
  }

  // Number text.
  static double o_atof(const T* text, size_t count);
  static uint32_t o_atoi_s(const T* text, size_t count, bool& negative, unsigned base);
  static bool IsIntegerText(const T* text, size_t count, bool& negative);
  static bool IsNumberText(const T* text, size_t count);
  static bool ToBool(const TTSString& text);
  static TTSString<TCString, char> FormatFloat(int digits, double value, bool exponent);

  double ToDouble() const { return o_atof(this->raw(), this->length_); }

  static bool IsBlank(T c) { return c == ' ' || c == '\t'; }
  // Moves the bounds [b, e) of `s` inward past the blanks at both ends.
  static void TrimBlanks(const T* s, size_t& b, size_t& e) {
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
  }

 private:
  template <typename U>
  static size_t CountOther(const U* text) {
    size_t n = 0;
    while (text && text[n] != 0) ++n;
    return n;
  }
  void MakeCapacity(size_t n) { this->MakeOwn(n); }
};

using vexstr = TTSString<TWString, char16_t>;
using vexcstr = TTSString<TCString, char>;

// 10 to the power `e` as pow gives it, by which the number readers divide a fraction; the
// powers up to 1e22 are exact doubles, taken from a table because this runs for every
// number read.
inline double ExactPowerOfTen(uint32_t e) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return e < sizeof kExact / sizeof kExact[0] ? kExact[e] : std::pow(10.0, e);
}

// Orders vexstr keys for the sorted dictionaries: case-insensitive when `CaseInsensitive`.
template <bool CaseInsensitive>
struct vexstrComparator {
  template <class S>
  static int Compare(const S& a, const S& b) {
    return CaseInsensitive ? a.Comparei(b) : a.Compare(b);
  }
};

// ---- storage, inline for the hot paths ----

// g++ 12 warns of a use after free when two views of one buffer die in one expression: it
// cannot see that the first one's share kept the record alive. The sanitizer runs check it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif
template <typename T>
void TTIString<T>::Drop() noexcept {
  if (buf_ && --buf_->refs == 0) {
    std::free(buf_->chars);
    delete buf_;
  }
  buf_ = nullptr;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

template <typename T>
void TTIString<T>::Init(const T* text, size_t length) {
  if (!text)
    length = 0;
  else if (length == npos)
    length = CountToNul(text);
  Drop();
  start_ = 0;
  length_ = CheckedLength(length);
  if (length == 0 && !text) return;
  size_t capacity = length + kIncrement;
  T* chars = static_cast<T*>(vex_malloc_(capacity * sizeof(T)));
  if (length) std::memcpy(chars, text, length * sizeof(T));
  chars[length] = 0;
  try {
    buf_ = new TStrBufferRecord<T>{chars, 1, capacity};
  } catch (...) {
    std::free(chars);
    throw;
  }
}

template <typename T>
void TTIString<T>::Adopt(T* chars, size_t length, size_t capacity) {
  Drop();
  start_ = 0;
  length_ = 0;
  if (!chars) return;
  try {
    CheckedLength(length);
    buf_ = new TStrBufferRecord<T>{chars, 1, capacity};
  } catch (...) {
    std::free(chars);
    throw;
  }
  length_ = static_cast<uint32_t>(length);
}

template <typename T>
void TTIString<T>::MakeOwn(size_t extra) {
  size_t need = size_t(length_) + extra;
  CheckedLength(need);
  if (buf_ && buf_->refs == 1) {
    if (start_ + need <= buf_->capacity) return;
    // Grow by half again at least, so that appending piece by piece stays linear.
    size_t capacity = std::max(need + kIncrement,
                               std::min<size_t>(buf_->capacity + buf_->capacity / 2, UINT32_MAX));
    if (start_ == 0) {
      buf_->chars = static_cast<T*>(vex_realloc_(buf_->chars, capacity * sizeof(T)));
      buf_->capacity = capacity;
      return;
    }
  }
  size_t capacity = need + kIncrement;
  T* chars = static_cast<T*>(vex_malloc_(capacity * sizeof(T)));
  if (length_) std::memcpy(chars, raw(), length_ * sizeof(T));
  chars[length_] = 0;
  TStrBufferRecord<T>* fresh;
  try {
    fresh = new TStrBufferRecord<T>{chars, 1, capacity};
  } catch (...) {
    std::free(chars);
    throw;
  }
  Drop();
  buf_ = fresh;
  start_ = 0;
}

template <typename T>
void TTIString<T>::AppendRaw(const T* text, size_t n) {
  if (n == 0) return;
  // `text` may lie in our own buffer, which MakeOwn can move: copy such a piece first.
  if (buf_ && text >= buf_->chars && text < buf_->chars + buf_->capacity) {
    TTIString<T> copy(text, n);
    AppendRaw(copy.raw(), n);
    return;
  }
  MakeOwn(n);
  std::memcpy(buf_->chars + start_ + length_, text, n * sizeof(T));
  length_ += static_cast<uint32_t>(n);
  if (start_ + length_ < buf_->capacity) buf_->chars[start_ + length_] = 0;
}

template <typename T>
const T* TTIString<T>::c_str() const {
  if (!buf_) return EmptyText();
  size_t after = start_ + length_;
  if (after < buf_->capacity && buf_->chars[after] == 0) return buf_->chars + start_;
  auto* self = const_cast<TTIString*>(this);
  self->MakeOwn(1);
  self->buf_->chars[self->start_ + length_] = 0;
  return self->buf_->chars + self->start_;
}

template <typename T>
uint32_t TTIString<T>::CheckedLength(size_t n) {
  // Strings address at most 4 Gi characters.
  if (n > UINT32_MAX - kIncrement) RaiseOutOfMemory(ZT_SITE);
  return static_cast<uint32_t>(n);
}

}  // namespace zodu
