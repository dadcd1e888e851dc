// Conversions between the narrow and the wide string.
#include "sdl/ebase.h"

#include <string>  // for char_traits

namespace zodu {

void TCString::init(const char16_t* text, size_t length) {
  if (!text) length = 0;
  if (length == npos) length = std::char_traits<char16_t>::length(text);
  // Check first, so that a failed conversion leaves the string as it was.
  for (size_t i = 0; i < length; ++i)
    if (text[i] > 255) throw TInvalidArgumentException(ZT_LOCATION, u"Char out of range for MBStr");
  if (length == 0) return Init(nullptr, 0);
  char* chars = static_cast<char*>(vex_malloc_(length + kIncrement));
  for (size_t i = 0; i < length; ++i) chars[i] = static_cast<char>(text[i]);
  chars[length] = 0;
  Adopt(chars, length, length + kIncrement);
}

void TCString::AssignWCharStr(const char16_t* text, size_t length) {
  if (!text) length = 0;
  if (length == npos) length = std::char_traits<char16_t>::length(text);
  for (size_t i = 0; i < length; ++i)
    if (text[i] > 255) throw TInvalidArgumentException(ZT_LOCATION, u"Char out of range for MBStr");
  init(text, length);
}

void TWString::InitFrom(const char* text, size_t length) {
  if (length == npos) length = text ? std::strlen(text) : 0;
  if (length == 0) return Init(nullptr, 0);
  auto* chars = static_cast<char16_t*>(vex_malloc_((length + kIncrement) * sizeof(char16_t)));
  for (size_t i = 0; i < length; ++i)
    chars[i] = static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(text[i])));
  chars[length] = 0;
  Adopt(chars, length, length + kIncrement);
}

}  // namespace zodu
