// The guard around every export: no exception may reach the host.
#pragma once

#include "sdl/smart/vex_istring.h"

namespace zt7 {

// The refusal of every text export.
inline constexpr const char* kRefusedText = "";

// Reports a failure that an export caught, as a log entry "Error: MESSAGE". Never throws.
void ReportBoundaryError(const zodu::vexstr& message) noexcept;

// Reports the exception being handled: a module error by its report, a standard one by
// its what(), anything else as unknown. Call only inside a catch block. Never throws.
void ReportCaughtException() noexcept;

// Runs `body` and returns its result, or reports what it threw and returns `refusal`.
template <class Result, class Body>
Result GuardExport(Result refusal, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    ReportCaughtException();
  }
  return refusal;
}

// The same for an export that returns nothing.
template <class Body>
void GuardExport(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    ReportCaughtException();
  }
}

}  // namespace zt7
