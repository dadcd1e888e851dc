// Why a call refused, or how it decided, as one entry of the module's log.
#include "zt3util/reason_log.h"

#include "sdl/bapp.h"
#include "sdl/log_capture.h"
#include "zt3util/runnable.h"

namespace zt7 {

void LogReason(const zodu::vexstr& reason) {
  // A caller that captures its reasons needs no runtime object and no log.
  if (zodu::LogCapture* capture = zodu::LogCapture::Current())
    return capture->Take(zodu::kLogPlain, reason);
  RODediRunnable::GetInstance();
  if (zodu::TBasicApp::HasInstance()) zodu::TBasicApp::NewLogEntry(zodu::kLogPlain) << reason;
}

void LogError(const zodu::vexstr& report) {
  if (zodu::LogCapture* capture = zodu::LogCapture::Current())
    return capture->Take(zodu::kLogError, report);
  LogReason(zodu::vexstr(kErrorPrefix) << report);
}

void LogWarning(const zodu::vexstr& warning) {
  if (zodu::LogCapture* capture = zodu::LogCapture::Current())
    return capture->Take(zodu::kLogWarning, warning);
  LogReason(zodu::vexstr(u"Warning: ") << warning);
}

zodu::vexstr Quoted(const zodu::vexstr& path) {
  return zodu::vexstr(u"'") << path << u"'";
}

}  // namespace zt7
