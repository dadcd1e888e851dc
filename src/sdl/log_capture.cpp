// The log entries of one call, kept for its caller instead of going to the log.
#include "sdl/log_capture.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "sdl/bapp.h"
#include "sdl/utf8_path.h"

namespace zodu {
namespace {

thread_local LogCapture* current = nullptr;

// Code that logs only while a context exists (the CIF reader) or needs one (the frames
// digest) must find one: made once, based in the temporary folder, never ended. Its log
// has no streams: every entry of a capturing thread goes to the capture.
void EnsureContext() {
  static const bool made = [] {
    if (!TBasicApp::HasInstance()) {
      std::error_code error;
      const std::string base = std::filesystem::temp_directory_path(error).string() + "/zt7kit";
      new TBasicApp(PathFromUtf8(base.data(), base.size()), false);
    }
    return true;
  }();
  (void)made;
}

}  // namespace

LogCapture::LogCapture() : outer_(current) {
  EnsureContext();
  current = this;
}

LogCapture::~LogCapture() {
  current = outer_;
}

LogCapture* LogCapture::Current() {
  return current;
}

}  // namespace zodu
