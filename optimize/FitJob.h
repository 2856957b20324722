#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

namespace zamo {

// Runs one fit in a thread of its own. The work gets the stop flag, which Stop sets and
// which the fits read once per iteration. When the work has ended (with a result or an
// error), `ended` is called on the job's thread as its last step: a window hands it on to
// its own thread. Result and Error may be read once `ended` was called. Destroying the job
// stops the work and waits for the thread, which takes at most one iteration.
template <typename Outcome>
class FitJob {
 public:
  using Work = std::function<Outcome(const std::atomic<bool>& stop)>;

  FitJob(Work work, std::function<void()> ended)
      : work_(std::move(work)), ended_(std::move(ended)), thread_([this] { Run(); }) {}
  ~FitJob() {
    Stop();
    Wait();
  }
  FitJob(const FitJob&) = delete;
  FitJob& operator=(const FitJob&) = delete;

  void Stop() { stop_.store(true); }
  // Waits until the thread has ended.
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }

  // The result, or the error that ended the work.
  const std::optional<Outcome>& Result() const { return result_; }
  std::exception_ptr Error() const { return error_; }

 private:
  void Run() {
    // Nothing may leave the thread as an exception: the error is kept for the window.
    try {
      result_ = work_(stop_);
    } catch (...) {
      error_ = std::current_exception();
    }
    if (ended_) ended_();
  }

  Work work_;
  std::function<void()> ended_;
  std::atomic<bool> stop_{false};
  std::optional<Outcome> result_;
  std::exception_ptr error_;
  // Last, so that everything the thread uses exists before it starts.
  std::thread thread_;
};

}  // namespace zamo
