// Test helpers: run an action that must raise one exact exception class, and read texts.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

#include "sdl/ebase.h"

namespace zodu::testing_support {

// The ASCII text of a string (other wide characters become '?').
inline std::string Ascii(const vexstr& s) {
  std::string out;
  for (char16_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}
inline std::string Ascii(const vexcstr& s) {
  return std::string(s.raw(), s.Length());
}

// Success when `action` raises exactly E with `message` and, when `source` is given, a
// location naming that source file ("sdl/efile"), or starting with `source` when that is
// a location's beginning ("[xlib/cifdp(cif_dp::CifBlock::Add):", where the text is
// specified).
template <class E>
::testing::AssertionResult Raises(const std::function<void()>& action, const std::string& message,
                                  const std::string& source = "") {
  try {
    action();
  } catch (const TBasicException& e) {
    if (typeid(e) != typeid(E))
      return ::testing::AssertionFailure() << "raised " << Ascii(e.ToString()) << " instead";
    if (Ascii(e.GetMessage()) != message)
      return ::testing::AssertionFailure() << "message \"" << Ascii(e.GetMessage()) << "\"";
    const std::string prefix = source.rfind("[", 0) == 0 ? source : "[" + source + "(";
    if (!source.empty() && Ascii(e.GetLocation()).rfind(prefix, 0) != 0)
      return ::testing::AssertionFailure() << "location " << Ascii(e.GetLocation());
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "nothing raised";
}

}  // namespace zodu::testing_support
