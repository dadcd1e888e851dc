// Running a seal's or a check's pieces of work on threads, with a progress line.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace zt7cli {

struct WorkCounters {
  const char* label;  // the subcommand, first on the progress line
  size_t datasets = 0;
  uint64_t bytes = 0;  // bytes to hash in all
  std::atomic<size_t> datasetsDone{0};
  std::atomic<uint64_t> bytesDone{0};
};

// "verify: 1/3 datasets, 512/2100 MB, 640 MB/s, 3 s left" after `seconds` of work.
std::string ProgressText(const WorkCounters& counters, double seconds);

// Runs work(0) ... work(count - 1) on `threads` threads; an exception of one piece is
// thrown again once all have ended. With `showProgress`, a progress line on standard error
// is redrawn in place while they run (from the second second on) and erased at the end.
void RunInParallel(size_t count, unsigned threads, const std::function<void(size_t)>& work,
                   WorkCounters& counters, bool showProgress);

}  // namespace zt7cli
