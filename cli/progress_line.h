// The progress line of seal and verify: redrawn in place on standard error while the
// library works, erased when it is done.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "zt7kit.h"

namespace zt7cli {

// "verify: 1/3 datasets, 512/2100 MB, 640 MB/s, 3 s left" after `seconds` of work.
std::string ProgressText(const char* label, uint64_t bytesDone, uint64_t bytes, size_t datasetsDone,
                         size_t datasets, double seconds);

class ProgressLine {
 public:
  // Drawn only when `shown`, and only from the second second on: short work draws nothing.
  ProgressLine(const char* label, bool shown);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // The library's progress callback and its context; null when the line is not shown.
  zt7kit_progress Callback() const { return shown_ ? &Draw : nullptr; }
  void* Context() { return this; }

 private:
  static int Draw(uint64_t bytesDone, uint64_t bytes, size_t datasetsDone, size_t datasets,
                  void* context);

  const char* label_;
  bool shown_, drawn_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace zt7cli
