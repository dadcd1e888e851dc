// The check number of a text (pcGetInfo), and the module's version.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt7 {

// The module's version, as iwGetVersion reports it to the host.
inline constexpr int32_t kModuleVersion = 11;

// Half the difference between the sums of the bytes at odd and at even positions, each
// byte taken as a signed 8-bit value, in 32-bit sums that wrap.
int32_t CheckNumber(const char* text, size_t length);

}  // namespace zt7
