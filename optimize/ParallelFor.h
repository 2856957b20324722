#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zamo {

// Calls work(i) for every i in [0, count) on up to `threads` threads (0: one per core), each
// index once, in no particular order, and returns when all have returned. The first
// exception a call throws is rethrown here after the others have ended; the indexes not yet
// begun are then skipped.
template <typename Work>
void ParallelFor(std::size_t count, int threads, const Work& work) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t wanted = threads > 0 ? static_cast<std::size_t>(threads) : cores;
  const std::size_t used = std::max<std::size_t>(1, std::min(wanted, count));
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr error;
  std::mutex errorMutex;
  const auto run = [&] {
    for (std::size_t i = next++; i < count && !failed.load(); i = next++) {
      try {
        work(i);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(errorMutex);
        if (!error) error = std::current_exception();
        failed = true;
      }
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < used; ++t) pool.emplace_back(run);
  run();
  for (std::thread& thread : pool) thread.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace zamo
