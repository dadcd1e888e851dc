// Comparison, number text, formatting and the other non-inline string operations.
#include "sdl/smart/vex_istring.h"

#include <charconv>  // for to_chars
#include <cmath>     // for pow, fabs, isinf

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

template <typename T>
bool IsBlankChar(T c) {
  return c == ' ' || c == '\t';
}

template <typename T>
bool IsDigitChar(T c) {
  return c >= '0' && c <= '9';
}

// Value of a digit in bases up to 36, or 99.
template <typename T>
unsigned DigitValue(T c) {
  if (c >= '0' && c <= '9') return unsigned(c - '0');
  if (c >= 'A' && c <= 'Z') return unsigned(c - 'A' + 10);
  if (c >= 'a' && c <= 'z') return unsigned(c - 'a' + 10);
  return 99;
}

template <typename T>
bool AllDigitsOfBase(const T* s, size_t b, size_t e, unsigned base) {
  for (size_t i = b; i < e; ++i)
    if (DigitValue(s[i]) >= base) return false;
  return true;
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

// 10 to the power `e` (e >= 1) by repeated multiplication: 10, then 1e8 for every
// further 8, then 10 for each remaining step.
double PowerOfTen(uint32_t e) {
  double p = 10.0;
  uint32_t left = e - 1;
  // Once infinite the power stays so: stop, rather than loop for a huge exponent.
  for (; left >= 8 && !std::isinf(p); left -= 8) p *= 1e8;
  for (; left > 0 && !std::isinf(p); --left) p *= 10.0;
  return p;
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

// More digits than any double has exactly (at most 767 significant, 1074 after the point):
// a request beyond this cannot be meant and is refused rather than allocated.
constexpr unsigned kMaxFormatDigits = 1100;

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

template <class Base, typename T>
uint32_t TTSString<Base, T>::o_atoi_s(const T* s, size_t count, bool& negative, unsigned base) {
  if (count == 0) RaiseInvalidInteger(ZT_SITE, s, count);
  size_t b = 0, e = count;
  while (b < e && IsBlankChar(s[b])) ++b;
  while (e > b && IsBlankChar(s[e - 1])) --e;
  if (b == e) RaiseInvalidInteger(ZT_SITE, s, count);
  if (s[b] == '-') {
    negative = true;
    ++b;
  } else if (s[b] == '+') {
    ++b;
  }
  if (b == e) RaiseInvalidInteger(ZT_SITE, s, count);
  uint32_t value = 0;
  for (size_t i = b; i < e; ++i) {
    unsigned d;
    if (base > 10) {
      d = DigitValue(s[i]);
      if (d == 99) RaiseInvalidInteger(ZT_SITE, s, count);
      if (d >= base) RaiseInvalidInteger(ZT_SITE, s, count);
    } else {
      if (!IsDigitChar(s[i])) RaiseInvalidInteger(ZT_SITE, s, count);
      d = unsigned(s[i] - '0');
      if (d >= base) RaiseInvalidInteger(ZT_SITE, s, count);
    }
    value = value * base + d;  // wraps by design: no overflow check
  }
  return value;
}

template <class Base, typename T>
double TTSString<Base, T>::o_atof(const T* s, size_t count) {
  if (count == 0) RaiseInvalidFloat(ZT_SITE, s, count);
  size_t b = 0, e = count;
  while (b < e && IsBlankChar(s[b])) ++b;
  while (e > b && IsBlankChar(s[e - 1])) --e;
  if (b == e) RaiseInvalidFloat(ZT_SITE, s, count);
  bool negative = false;
  if (s[b] == '-' || s[b] == '+') {
    negative = s[b] == '-';
    if (++b == e) RaiseInvalidFloat(ZT_SITE, s, count);
  }
  double whole = 0, fraction = 0;
  uint32_t fractionDigits = 0, exponent = 0;
  bool dot = false, mark = false, negativeExponent = false;
  for (size_t i = b; i < e; ++i) {
    T c = s[i];
    if (IsDigitChar(c)) {
      int d = c - '0';
      if (mark) {
        exponent = exponent * 10 + unsigned(d);
      } else if (dot) {
        // Digits past what a double can hold would turn the fraction into inf / inf.
        double next = fraction * 10 + d;
        if (!std::isinf(next)) {
          fraction = next;
          ++fractionDigits;
        }
      } else {
        whole = whole * 10 + d;
      }
    } else if (c == '.') {
      if (dot) RaiseInvalidFloat(ZT_SITE, s, count);
      dot = true;
    } else if (c == 'e' || c == 'E') {
      if (mark) RaiseInvalidFloat(ZT_SITE, s, count);
      mark = true;
      // A mark that ends the whole text means exponent 0; otherwise the character after
      // it, trailing blanks included, must be a sign or a digit.
      if (i + 1 == count) break;
      T next = s[i + 1];
      if (next == '-' || next == '+') {
        negativeExponent = next == '-';
        ++i;
      } else if (!IsDigitChar(next)) {
        RaiseInvalidFloat(ZT_SITE, s, count);
      }
    } else {
      RaiseInvalidFloat(ZT_SITE, s, count);
    }
  }
  double value = whole;
  if (fractionDigits) value += fraction / ExactPowerOfTen(fractionDigits);
  // Zero stays zero whatever the exponent (0 * inf would give NaN).
  if (exponent && value != 0)
    value = negativeExponent ? value / PowerOfTen(exponent) : value * PowerOfTen(exponent);
  return negative ? -value : value;
}

template <class Base, typename T>
bool TTSString<Base, T>::IsIntegerText(const T* s, size_t count, bool& negative) {
  size_t b = 0, e = count;
  while (b < e && IsBlankChar(s[b])) ++b;
  if (b == e) return false;
  unsigned base = 10;
  if (s[b] == '0') {
    if (b + 1 == e) return true;
    if (s[b + 1] == 'x' || s[b + 1] == 'X') {
      if (b + 2 == e) return false;
      b += 2;
      base = 16;
    } else {
      b += 1;
      base = 8;
    }
  }
  while (b < e && IsBlankChar(s[b])) ++b;
  while (e > b && IsBlankChar(s[e - 1])) --e;
  if (b == e) return false;
  if (s[b] == '-' || s[b] == '+') {
    if (s[b] == '-') negative = true;
    if (++b == e) return false;
  }
  return AllDigitsOfBase(s, b, e, base);
}

template <class Base, typename T>
bool TTSString<Base, T>::IsNumberText(const T* s, size_t count) {
  size_t b = 0, e = count;
  while (b < e && IsBlankChar(s[b])) ++b;
  while (e > b && IsBlankChar(s[e - 1])) --e;
  if (b == e) return false;
  if (s[b] == '0') {
    if (b + 1 == e) return true;
    T next = s[b + 1];
    if (next == 'x' || next == 'X') return b + 2 < e && AllDigitsOfBase(s, b + 2, e, 16);
    if (next != '.' && next != 'e' && next != 'E') return AllDigitsOfBase(s, b + 1, e, 8);
  }
  if (s[b] == '-' || s[b] == '+') ++b;
  bool digit = false, dot = false, mark = false;
  for (size_t i = b; i < e; ++i) {
    T c = s[i];
    if (IsDigitChar(c)) {
      digit = true;
    } else if (c == '.') {
      if (dot) return false;
      dot = true;
    } else if (c == 'e' || c == 'E') {
      if (mark || i + 1 == e) return false;
      mark = true;
      T next = s[i + 1];
      if (next == '-' || next == '+')
        ++i;
      else if (!IsDigitChar(next))
        return false;
    } else {
      return false;
    }
  }
  return digit;
}

template <class Base, typename T>
bool TTSString<Base, T>::ToBool(const TTSString& text) {
  static const TTSString kTrue("true"), kFalse("false");
  if (text.Comparei(kTrue) == 0) return true;
  if (text.Comparei(kFalse) == 0) return false;
  vexstr wide(text);
  RaiseInvalidBool(ZT_SITE, wide.raw(), wide.Length());
}

template <class Base, typename T>
vexcstr TTSString<Base, T>::FormatFloat(int digits, double value, bool exponent) {
  unsigned precision =
      digits < 0 ? 0u - static_cast<unsigned>(digits) : static_cast<unsigned>(digits);
  bool blank = digits < 0 && value >= 0;  // lines positive numbers up with negative ones
  if (precision > kMaxFormatDigits) RaiseFunctionFailed(ZT_SITE, "format overrun");
  if (!exponent && std::fabs(value) > std::pow(10.0, 78.0 - precision))
    RaiseFunctionFailed(ZT_SITE, "format overrun");
  // to_chars writes what "%.<digits>f" and "%.<digits>e" write in the C locale, whatever
  // locale the host has set; the buffer holds 309 integer digits, sign, point and exponent.
  char text[kMaxFormatDigits + 320];
  char* at = text;
  if (blank) *at++ = ' ';
  auto format = exponent ? std::chars_format::scientific : std::chars_format::fixed;
  char* end = std::to_chars(at, text + sizeof text, value, format, int(precision)).ptr;
  return vexcstr(text, size_t(end - text));
}

template class TTSString<TCString, char>;
template class TTSString<TWString, char16_t>;

}  // namespace zodu
