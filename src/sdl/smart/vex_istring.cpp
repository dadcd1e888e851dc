// Comparison, replacing, integer appends: the non-inline string operations.
#include "sdl/smart/vex_istring.h"

#include <charconv>  // for to_chars

#include "sdl/ebase.h"

namespace zodu {
namespace {

// Lowering as the C locale does it, whatever locale the host has set.
template <typename T>
int LowerCode(T c) {
  int v = std::is_same_v<T, char> ? static_cast<signed char>(c) : static_cast<int>(c);
  return v >= 'A' && v <= 'Z' ? v + ('a' - 'A') : v;
}

template <typename T>
int CodeOf(T c) {
  // Narrow characters compare as signed bytes, wide ones as unsigned code units.
  return std::is_same_v<T, char> ? static_cast<signed char>(c) : static_cast<int>(c);
}

template <typename T, class Lower>
int CompareWith(const T* a, size_t na, const T* b, size_t nb, Lower code) {
  if (na == nb) {
    for (size_t i = 0; i < na; ++i) {
      int d = code(a[i]) - code(b[i]);
      if (d != 0) return d;
    }
    return 0;
  }
  if (na == 0) return -1;
  if (nb == 0) return 1;
  size_t n = na < nb ? na : nb;
  for (size_t i = 0; i < n; ++i) {
    int d = code(a[i]) - code(b[i]);
    if (d != 0) return d;
  }
  return na < nb ? -1 : 1;
}

// The decimal text of `value` for the integer appends.
template <class S, typename V>
void AppendDecimal(S& to, V value) {
  using T = typename S::char_type;
  char text[24];
  auto end = std::to_chars(text, text + sizeof text, value).ptr;
  T chars[24];
  size_t n = size_t(end - text);
  for (size_t i = 0; i < n; ++i) chars[i] = static_cast<T>(text[i]);
  to.Append(chars, n);
}

}  // namespace

template <class Base, typename T>
int TTSString<Base, T>::Compare(const T* text, size_t n) const {
  return CompareWith(this->raw(), this->length_, text, n, [](T c) { return CodeOf(c); });
}

template <class Base, typename T>
int TTSString<Base, T>::Comparei(const T* text, size_t n) const {
  return CompareWith(this->raw(), this->length_, text, n, [](T c) { return LowerCode(c); });
}

template <class Base, typename T>
TTSString<Base, T>& TTSString<Base, T>::Replace(const char* pattern, const char* replacement) {
  size_t pn = pattern ? std::strlen(pattern) : 0;
  if (pn == 0 || this->length_ < pn) return *this;
  TTSString with(replacement);
  TTSString result;
  const T* s = this->raw();
  size_t copied = 0, i = 0;
  bool found = false;
  while (i + pn <= this->length_) {
    size_t j = 0;
    while (j < pn && CodeOf(s[i + j]) == static_cast<signed char>(pattern[j])) ++j;
    if (j == pn) {
      found = true;
      result.Append(s + copied, i - copied) << with;
      i += pn;
      copied = i;
    } else {
      ++i;
    }
  }
  if (!found) return *this;
  result.Append(s + copied, this->length_ - copied);
  *this = std::move(result);
  return *this;
}

template <class Base, typename T>
TTSString<Base, T>& TTSString<Base, T>::operator<<(int value) {
  AppendDecimal(*this, value);
  return *this;
}

template <class Base, typename T>
TTSString<Base, T>& TTSString<Base, T>::operator<<(unsigned value) {
  AppendDecimal(*this, value);
  return *this;
}

template <class Base, typename T>
TTSString<Base, T>& TTSString<Base, T>::operator<<(unsigned long value) {
  AppendDecimal(*this, value);
  return *this;
}

template class TTSString<TCString, char>;
template class TTSString<TWString, char16_t>;

}  // namespace zodu
