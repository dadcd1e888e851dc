// Running a seal's or a check's pieces of work on threads, telling a watcher how far it is.
#include "dataset/parallel_work.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zt7::dataset {
namespace {

constexpr auto kWatchEvery = std::chrono::milliseconds(250);

}  // namespace

void RunInParallel(size_t count, unsigned threads, const std::function<void(size_t)>& work,
                   WorkCounters& counters, const Watcher& watcher) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  // Told of the work before it starts, the watcher can stop it before anything is read.
  if (watcher && watcher(counters)) {
    counters.cancelled = true;
    return;
  }
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
  std::thread watching;
  if (watcher)
    launch(watching, [&] {
      std::unique_lock<std::mutex> hold(lock);
      while (!ended.wait_for(hold, kWatchEvery, [&] { return running == 0; })) {
        hold.unlock();
        const bool stop = watcher(counters);
        hold.lock();
        if (stop && !counters.cancelled.exchange(true)) next = count;
      }
    });
  worker();
  for (std::thread& thread : pool)
    if (thread.joinable()) thread.join();
  if (watching.joinable()) watching.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace zt7::dataset
