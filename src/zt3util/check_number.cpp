// The check number of a text (pcGetInfo).
#include "zt3util/check_number.h"

namespace zt7 {

int32_t CheckNumber(const char* text, size_t length) {
  // Kept unsigned, where wrapping is defined.
  uint32_t evenSum = 0, oddSum = 0;
  for (size_t i = 0; i < length; ++i) {
    auto value = static_cast<uint32_t>(static_cast<signed char>(text[i]));
    (i % 2 == 0 ? evenSum : oddSum) += value;
  }
  return static_cast<int32_t>(oddSum - evenSum) / 2;
}

}  // namespace zt7
