// Test helpers: run an action that must raise one exact exception class, and read texts.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

#include "sdl/ebase.h"

namespace zodu::testing_support {

// The ASCII text of a wide string (other characters become '?').
inline std::string Ascii(const vexstr& s) {
  std::string out;
  for (char16_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}
inline std::string Ascii(const vexcstr& s) {
  return std::string(s.raw(), s.Length());
}

// The location's file and function, without the line number.
inline std::string Site(const TBasicException& e) {
  std::string location = Ascii(e.GetLocation());
  return location.substr(0, location.rfind(':'));
}

// Success when `action` raises exactly E with `message`, and, when `locationStart` is
// given, with a location that starts with it and ends in ":<line>]".
template <class E>
::testing::AssertionResult Raises(const std::function<void()>& action, const std::string& message,
                                  const std::string& locationStart = "") {
  try {
    action();
  } catch (const TBasicException& e) {
    if (typeid(e) != typeid(E))
      return ::testing::AssertionFailure() << "raised " << Ascii(e.ToString()) << " instead";
    if (Ascii(e.GetMessage()) != message)
      return ::testing::AssertionFailure() << "message \"" << Ascii(e.GetMessage()) << "\"";
    std::string location = Ascii(e.GetLocation());
    if (!locationStart.empty()) {
      size_t colon = location.rfind(':');
      bool lineOk = colon != std::string::npos && colon + 2 < location.size() &&
                    location.back() == ']' &&
                    location.find_first_not_of("0123456789", colon + 1) == location.size() - 1;
      if (location.rfind(locationStart, 0) != 0 || !lineOk)
        return ::testing::AssertionFailure() << "location " << location;
    }
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "nothing raised";
}

}  // namespace zodu::testing_support
