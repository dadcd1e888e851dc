// Running a seal's or a check's pieces of work on threads, telling a watcher how far it is.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace zt7::dataset {

struct WorkCounters {
  size_t datasets = 0;
  uint64_t bytes = 0;  // bytes to hash in all
  std::atomic<size_t> datasetsDone{0};
  std::atomic<uint64_t> bytesDone{0};
  std::atomic<bool> cancelled{false};  // the watcher asked to stop
};

// Sees the counters while the work runs; true asks the work to stop.
using Watcher = std::function<bool(const WorkCounters&)>;

// Runs work(0) ... work(count - 1) on `threads` threads (0: one per core); an exception of
// one piece is thrown again once all have ended. A `watcher` (may be empty) is called once
// before the work starts, then from a thread of its own every quarter second while it runs,
// never from two at once; when it asks to stop, no further piece begins and
// `counters.cancelled` is set.
void RunInParallel(size_t count, unsigned threads, const std::function<void(size_t)>& work,
                   WorkCounters& counters, const Watcher& watcher);

}  // namespace zt7::dataset
