// The progress line of seal and verify.
#include "progress_line.h"

#include <algorithm>
#include <cstdio>

namespace zt7cli {
namespace {

constexpr double kQuietSeconds = 1.0;  // short work draws no line

}  // namespace

std::string ProgressText(const char* label, uint64_t bytesDone, uint64_t bytes, size_t datasetsDone,
                         size_t datasets, double seconds) {
  const double done = static_cast<double>(bytesDone) / 1e6;
  const double total = static_cast<double>(bytes) / 1e6;
  const double rate = seconds > 0 ? done / seconds : 0;
  char text[160];
  int n = std::snprintf(text, sizeof text, "%s: %zu/%zu datasets, %.0f/%.0f MB, %.0f MB/s", label,
                        datasetsDone, datasets, done, total, rate);
  if (rate > 0 && n > 0 && static_cast<size_t>(n) < sizeof text)
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ", %.0f s left",
                  std::max(0.0, total - done) / rate);
  return text;
}

ProgressLine::ProgressLine(const char* label, bool shown) : label_(label), shown_(shown) {}

ProgressLine::~ProgressLine() {
  if (drawn_) std::fputs("\r\033[K", stderr);
}

int ProgressLine::Draw(uint64_t bytesDone, uint64_t bytes, size_t datasetsDone, size_t datasets,
                       void* context) {
  auto& line = *static_cast<ProgressLine*>(context);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - line.start_).count();
  if (seconds < kQuietSeconds) return 0;
  std::fprintf(
      stderr, "\r%s\033[K",
      ProgressText(line.label_, bytesDone, bytes, datasetsDone, datasets, seconds).c_str());
  line.drawn_ = true;
  return 0;
}

}  // namespace zt7cli
