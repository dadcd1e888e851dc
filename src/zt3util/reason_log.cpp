// Why a call refused, or how it decided, as one entry of the module's log.
#include "zt3util/reason_log.h"

#include "sdl/bapp.h"
#include "zt3util/runnable.h"

namespace zt7 {

void LogReason(const zodu::vexstr& reason) {
  RODediRunnable::GetInstance();
  if (zodu::TBasicApp::HasInstance()) zodu::TBasicApp::NewLogEntry(zodu::kLogPlain) << reason;
}

void LogError(const zodu::vexstr& report) {
  LogReason(zodu::vexstr(kErrorPrefix) << report);
}

zodu::vexstr Quoted(const zodu::vexstr& path) {
  return zodu::vexstr(u"'") << path << u"'";
}

}  // namespace zt7
