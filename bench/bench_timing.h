// Timing for the benchmarks: thread CPU time, best of several runs, ratios taken in turns.
#pragma once

#include <time.h>  // for clock_gettime

#include <algorithm>
#include <functional>

namespace zt7bench {

// The CPU time of this thread: time spent waiting for a core while others build does not
// count, which wall-clock time on a shared machine would.
inline double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The least time of `runs` calls of `work`, in seconds.
template <class Work>
double BestOf(int runs, Work&& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double start = ThreadSeconds();
    work();
    best = std::min(best, ThreadSeconds() - start);
  }
  return best;
}

// Best of `rounds` timings of each, taken in turns so that both see the same noise.
// Returns ours / anchor.
inline double Ratio(int rounds, const std::function<void()>& ours,
                    const std::function<void()>& anchor) {
  double best[2] = {1e300, 1e300};
  for (int i = 0; i < rounds; ++i)
    for (int which = 0; which < 2; ++which) {
      const double start = ThreadSeconds();
      (which == 0 ? ours : anchor)();
      best[which] = std::min(best[which], ThreadSeconds() - start);
    }
  return best[0] / best[1];
}

}  // namespace zt7bench
