// The log entries of one call, kept for its caller instead of going to the log.
#pragma once

#include <vector>

#include "sdl/smart/vex_istring.h"

namespace zodu {

// While a capture lives, every entry that its thread logs (reasons, warnings, errors) is
// kept in it and written nowhere else, so that calls on several threads each learn their
// own reasons. Captures nest: an inner one hides the outer one until it ends. The first
// capture of a process without an application context makes one, so that code that logs
// only through a context logs into the capture.
class LogCapture {
 public:
  struct Entry {
    int kind;  // a LogKind
    vexstr text;
  };

  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // The capture of the calling thread, or null.
  static LogCapture* Current();

  void Take(int kind, const vexstr& text) { entries_.push_back({kind, text}); }
  const std::vector<Entry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  LogCapture* outer_;
  std::vector<Entry> entries_;
};

}  // namespace zodu
