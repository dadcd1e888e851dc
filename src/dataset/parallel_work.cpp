// Running a seal's or a check's pieces of work on threads, with a progress line.
#include "parallel_work.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zt7cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kQuietSeconds = 1.0;  // short work draws no line
constexpr auto kRedraw = std::chrono::milliseconds(250);

}  // namespace

std::string ProgressText(const WorkCounters& counters, double seconds) {
  const double done = static_cast<double>(counters.bytesDone.load()) / 1e6;
  const double total = static_cast<double>(counters.bytes) / 1e6;
  const double rate = seconds > 0 ? done / seconds : 0;
  char text[160];
  int n = std::snprintf(text, sizeof text, "%s: %zu/%zu datasets, %.0f/%.0f MB, %.0f MB/s",
                        counters.label, counters.datasetsDone.load(), counters.datasets, done,
                        total, rate);
  if (rate > 0 && n > 0 && static_cast<size_t>(n) < sizeof text)
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ", %.0f s left",
                  std::max(0.0, total - done) / rate);
  return text;
}

void RunInParallel(size_t count, unsigned threads, const std::function<void(size_t)>& work,
                   WorkCounters& counters, bool showProgress) {
  std::atomic<size_t> next{0};
  std::mutex lock;
  std::condition_variable ended;
  size_t running = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(count)));
  std::exception_ptr failure;
  auto worker = [&] {
    for (size_t i; (i = next++) < count;) {
      try {
        work(i);
      } catch (...) {
        std::lock_guard<std::mutex> hold(lock);
        if (!failure) failure = std::current_exception();
        next = count;
      }
    }
    std::lock_guard<std::mutex> hold(lock);
    --running;
    ended.notify_all();
  };
  // The calling thread works too, so that one job needs no thread of its own: a thread
  // that cannot reserve a heap of its own (under an address-space limit) would make each
  // allocation a system call. A thread that cannot be made leaves its share to the others.
  const auto launch = [](std::thread& thread, auto&& body) {
    try {
      thread = std::thread(body);
    } catch (const std::exception&) {
      return false;
    }
    return true;
  };
  std::vector<std::thread> pool(running - 1);
  for (std::thread& thread : pool)
    if (!launch(thread, worker)) {
      std::lock_guard<std::mutex> hold(lock);
      --running;
    }
  bool drawn = false;
  std::thread drawing;
  if (showProgress)
    launch(drawing, [&] {
      const Clock::time_point start = Clock::now();
      std::unique_lock<std::mutex> hold(lock);
      while (!ended.wait_for(hold, kRedraw, [&] { return running == 0; })) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds < kQuietSeconds) continue;
        std::fprintf(stderr, "\r%s\033[K", ProgressText(counters, seconds).c_str());
        drawn = true;
      }
    });
  worker();
  for (std::thread& thread : pool)
    if (thread.joinable()) thread.join();
  if (drawing.joinable()) drawing.join();
  if (drawn) std::fputs("\r\033[K", stderr);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace zt7cli
