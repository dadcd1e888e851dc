// Reporting the failures that the export guard catches.
#include "zt3util/boundary.h"

#include <cstdio>
#include <exception>

#include "sdl/bapp.h"
#include "sdl/ebase.h"
#include "zt3util/reason_log.h"

namespace zt7 {

void ReportBoundaryError(const zodu::vexstr& message) noexcept {
  // Into the module's log, as an exception entry, once the application context exists.
  if (zodu::TBasicApp::HasInstance()) {
    try {
      zodu::TBasicApp::NewLogEntry(zodu::kLogException) << kErrorPrefix << message;
      return;
    } catch (...) {
      // Out of memory for the entry: fall back to standard error.
    }
  }
  // Before that, one line on the host's standard error; characters outside ASCII print as
  // '?' so that nothing here can fail.
  std::fputs("zt7util: ", stderr);
  for (char16_t c : message) std::fputc(c < 0x80 ? static_cast<char>(c) : '?', stderr);
  std::fputc('\n', stderr);
}

void ReportCaughtException() noexcept {
  try {
    try {
      throw;
    } catch (const zodu::TBasicException& e) {
      ReportBoundaryError(e.GetReport());
    } catch (const std::exception& e) {
      ReportBoundaryError(zodu::vexstr(e.what()));
    } catch (...) {
      ReportBoundaryError(zodu::vexstr(u"unknown exception"));
    }
  } catch (...) {
    // Building the message failed (out of memory): there is nothing left to say it with.
  }
}

}  // namespace zt7
