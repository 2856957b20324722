#pragma once

#include <QObject>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "optimize/FitJob.h"

namespace zamo {

// Runs a window's fit (a FitJob) one at a time: the work's progress and its end reach the
// runner's thread as queued calls. The end is told once, after the last progress, with the
// result or the error; progress that arrives after it is dropped. Destroying the runner
// stops the work and waits for its thread, which takes at most one iteration, and drops
// whatever is still queued, so that a window closed during a fit neither hangs nor hears of
// it again.
class FitJobRunner : public QObject {
  Q_OBJECT

 public:
  template <typename Outcome>
  using Ended = std::function<void(std::optional<Outcome> result, std::exception_ptr error)>;

  explicit FitJobRunner(QObject* parent) : QObject(parent) {}
  ~FitJobRunner() override;
  FitJobRunner(const FitJobRunner&) = delete;
  FitJobRunner& operator=(const FitJobRunner&) = delete;

  // From the start until the end was told.
  bool Running() const { return job_ != nullptr; }

  // Starts `work` in a thread of its own; nothing while a job runs.
  template <typename Outcome>
  void Start(typename FitJob<Outcome>::Work work, Ended<Outcome> ended) {
    if (Running()) return;
    job_ = std::make_unique<Typed<Outcome>>(*this, std::move(work), std::move(ended));
  }

  // Asks the work to end at its next check; the end is told as usual.
  void Stop();
  // Stops the work and waits for its thread; the end is still told from the event loop.
  void StopAndWait();

  // Called from the work's thread: runs `show` on the runner's thread, unless the job has
  // ended by then.
  void Post(std::function<void()> show);

 private:
  struct Job {
    virtual ~Job() = default;
    virtual void Stop() = 0;
    virtual void Wait() = 0;
    virtual void Tell() = 0;
  };

  template <typename Outcome>
  struct Typed final : Job {
    Typed(FitJobRunner& runner, typename FitJob<Outcome>::Work work, Ended<Outcome> ended)
        : ended_(std::move(ended)), job_(std::move(work), [&runner, this] { runner.PostEnd(this); }) {}
    void Stop() override { job_.Stop(); }
    void Wait() override { job_.Wait(); }
    void Tell() override { ended_(job_.Result(), job_.Error()); }

    Ended<Outcome> ended_;
    FitJob<Outcome> job_;  // last: its thread starts when it is made
  };

  void PostEnd(const Job* job);
  void End(const Job* job);

  std::unique_ptr<Job> job_;
};

}  // namespace zamo
