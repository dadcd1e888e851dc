// Number text: reading integers, floats and booleans, and formatting floats.
#include <charconv>  // for to_chars
#include <cmath>     // for pow, fabs, isinf

#include "sdl/ebase.h"
#include "sdl/smart/vex_istring.h"

// Errors name the string source, where their locations have always pointed.
#define ZT_STRING_SITE "sdl/smart/vex_istring.cpp", __PRETTY_FUNCTION__, __LINE__

namespace zodu {
namespace {

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

// More digits than any double has exactly (at most 767 significant, 1074 after the point):
// a request beyond this cannot be meant and is refused rather than allocated.
constexpr unsigned kMaxFormatDigits = 1100;

}  // namespace

template <class Base, typename T>
uint32_t TTSString<Base, T>::o_atoi_s(const T* s, size_t count, bool& negative, unsigned base) {
  if (count == 0) RaiseInvalidInteger(ZT_STRING_SITE, s, count);
  size_t b = 0, e = count;
  TrimBlanks(s, b, e);
  if (b == e) RaiseInvalidInteger(ZT_STRING_SITE, s, count);
  if (s[b] == '-') {
    negative = true;
    ++b;
  } else if (s[b] == '+') {
    ++b;
  }
  if (b == e) RaiseInvalidInteger(ZT_STRING_SITE, s, count);
  uint32_t value = 0;
  for (size_t i = b; i < e; ++i) {
    unsigned d;
    if (base > 10) {
      d = DigitValue(s[i]);
      if (d == 99) RaiseInvalidInteger(ZT_STRING_SITE, s, count);
      if (d >= base) RaiseInvalidInteger(ZT_STRING_SITE, s, count);
    } else {
      if (!IsDigitChar(s[i])) RaiseInvalidInteger(ZT_STRING_SITE, s, count);
      d = unsigned(s[i] - '0');
      if (d >= base) RaiseInvalidInteger(ZT_STRING_SITE, s, count);
    }
    value = value * base + d;  // wraps by design: no overflow check
  }
  return value;
}

template <class Base, typename T>
double TTSString<Base, T>::o_atof(const T* s, size_t count) {
  if (count == 0) RaiseInvalidFloat(ZT_STRING_SITE, s, count);
  size_t b = 0, e = count;
  TrimBlanks(s, b, e);
  if (b == e) RaiseInvalidFloat(ZT_STRING_SITE, s, count);
  bool negative = false;
  if (s[b] == '-' || s[b] == '+') {
    negative = s[b] == '-';
    if (++b == e) RaiseInvalidFloat(ZT_STRING_SITE, s, count);
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
      if (dot) RaiseInvalidFloat(ZT_STRING_SITE, s, count);
      dot = true;
    } else if (c == 'e' || c == 'E') {
      if (mark) RaiseInvalidFloat(ZT_STRING_SITE, s, count);
      mark = true;
      // A mark that ends the whole text means exponent 0; otherwise the character after
      // it, trailing blanks included, must be a sign or a digit.
      if (i + 1 == count) break;
      T next = s[i + 1];
      if (next == '-' || next == '+') {
        negativeExponent = next == '-';
        ++i;
      } else if (!IsDigitChar(next)) {
        RaiseInvalidFloat(ZT_STRING_SITE, s, count);
      }
    } else {
      RaiseInvalidFloat(ZT_STRING_SITE, s, count);
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
  while (b < e && IsBlank(s[b])) ++b;
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
  TrimBlanks(s, b, e);
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
  TrimBlanks(s, b, e);
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
  RaiseInvalidBool(ZT_STRING_SITE, wide.raw(), wide.Length());
}

template <class Base, typename T>
vexcstr TTSString<Base, T>::FormatFloat(int digits, double value, bool exponent) {
  unsigned precision =
      digits < 0 ? 0u - static_cast<unsigned>(digits) : static_cast<unsigned>(digits);
  bool blank = digits < 0 && value >= 0;  // lines positive numbers up with negative ones
  if (precision > kMaxFormatDigits) RaiseFunctionFailed(ZT_STRING_SITE, "format overrun");
  if (!exponent && std::fabs(value) > std::pow(10.0, 78.0 - precision))
    RaiseFunctionFailed(ZT_STRING_SITE, "format overrun");
  // to_chars writes what "%.<digits>f" and "%.<digits>e" write in the C locale, whatever
  // locale the host has set; the buffer holds 309 integer digits, sign, point and exponent.
  char text[kMaxFormatDigits + 320];
  char* at = text;
  if (blank) *at++ = ' ';
  auto format = exponent ? std::chars_format::scientific : std::chars_format::fixed;
  char* end = std::to_chars(at, text + sizeof text, value, format, int(precision)).ptr;
  return vexcstr(text, size_t(end - text));
}

// The members defined here, for both string types (the rest are in vex_istring.cpp).
#define ZT_NUMBER_TEXT_OF(Base, T)                                                   \
  template double TTSString<Base, T>::o_atof(const T*, size_t);                      \
  template uint32_t TTSString<Base, T>::o_atoi_s(const T*, size_t, bool&, unsigned); \
  template bool TTSString<Base, T>::IsIntegerText(const T*, size_t, bool&);          \
  template bool TTSString<Base, T>::IsNumberText(const T*, size_t);                  \
  template bool TTSString<Base, T>::ToBool(const TTSString<Base, T>&);               \
  template TTSString<TCString, char> TTSString<Base, T>::FormatFloat(int, double, bool);
ZT_NUMBER_TEXT_OF(TCString, char)
ZT_NUMBER_TEXT_OF(TWString, char16_t)
#undef ZT_NUMBER_TEXT_OF

}  // namespace zodu
