// Timing for the benchmarks: thread CPU time, ours and the anchor timed in interleaved pairs.
#pragma once

#include <time.h>  // for clock_gettime

#include <algorithm>
#include <cstdio>
#include <vector>

namespace zt7bench {

// The CPU time of this thread: time spent waiting for a core while others build does not
// count, which wall-clock time on a shared machine would.
inline double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

template <class Work>
double Seconds(Work&& work) {
  const double start = ThreadSeconds();
  work();
  return ThreadSeconds() - start;
}

// ours / anchor over a number of pairs: the median and the least and greatest ratio.
struct PairedRatio {
  double median, low, high;
  size_t pairs;
};

// Runs ours and the anchor in turns, `pairs` times, after one untimed call of each, and
// takes the ratio of the seconds each call reports within each pair: load on the machine
// slows both sides of a pair alike, and the median ignores the pairs it hit unevenly.
template <class Ours, class Anchor>
PairedRatio RatioPairs(int pairs, Ours&& ours, Anchor&& anchor) {
  ours();
  anchor();
  std::vector<double> ratios;
  for (int i = 0; i < pairs; ++i) {
    const double mine = ours();
    ratios.push_back(mine / anchor());
  }
  std::sort(ratios.begin(), ratios.end());
  const size_t n = ratios.size();
  const double median = n % 2 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
  return {median, ratios.front(), ratios.back(), n};
}

// RatioPairs of this thread's CPU time in `ours` and `anchor`.
template <class Ours, class Anchor>
PairedRatio TimePairs(int pairs, Ours&& ours, Anchor&& anchor) {
  return RatioPairs(
      pairs, [&] { return Seconds(ours); }, [&] { return Seconds(anchor); });
}

// "ratio NAME VALUE (spread LOW..HIGH over N pairs)"
inline void PrintRatio(const char* name, const PairedRatio& r) {
  std::printf("ratio %s %.3f (spread %.3f..%.3f over %zu pairs)\n", name, r.median, r.low, r.high,
              r.pairs);
  std::fflush(stdout);
}

}  // namespace zt7bench
