#include "optimize/windows/LinOptWorker.h"

#include "optimize/windows/LinOpt.h"

namespace zamo {

TThLinOpt::TThLinOpt(OptimizationWorkers& owner, TOptRate* dialog, const OptimizationSettings& settings,
                     const OptimizationRunData& data, const StartObjectives& starts, OptimizationResult onResult)
    : FitJobRunner(owner.holder_.get()),
      dialog_(dialog),
      onResult_(std::move(onResult)),
      settings_(settings),
      data_(data),
      starts_(starts) {}

TThLinOpt::~TThLinOpt() {
  Abort();
  optimizerStop_.store(true);
  {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  shownOrAbandoned_.notify_all();
}

void TThLinOpt::StartRun() {
  // The completion runs on the user-interface thread, once; a worker destroyed before it
  // (the program ending) drops it.
  Start<Reached>([this](const std::atomic<bool>&) { return Execute(); },
                 [this](const std::optional<Reached>& reached, const std::exception_ptr&) { Complete(reached); });
}

TThLinOpt::Reached TThLinOpt::Execute() {
  Reached reached;
  reached.K = OptimizeRateConstants(
      settings_, data_, starts_,
      [this](int position, Real improvement, const RateConstants& k) { Report(position, improvement, k); },
      optimizerStop_);
  reached.Starts = starts_;
  // The completion follows the last report; a stop noticed with it changes nothing, the
  // run ended there anyway.
  if (pending_) AwaitShown();
  return endedAtShownReport_ ? reported_ : reached;
}

// Runs on the worker thread after every cycle.
void TThLinOpt::Report(int position, Real improvement, const RateConstants& reached) {
  if (pending_ && AwaitShown()) {
    // Stop was asked for when the previous report was shown: the run ends with its
    // constants, and this cycle, computed meanwhile, is dropped unreported.
    endedAtShownReport_ = true;
    optimizerStop_.store(true);
    return;
  }
  reported_ = {reached, starts_};
  {
    const std::lock_guard lock(mutex_);
    Improvement = improvement;
    ProgressPosition = position;
    shown_ = false;
    stopSeen_ = false;
  }
  pending_ = true;
  Post([this] {
    if (dialog_) dialog_->ShowProgress(ProgressPosition, Improvement);
    const std::lock_guard lock(mutex_);
    stopSeen_ = stopRequested_.load();
    shown_ = true;
    shownOrAbandoned_.notify_all();
  });
}

bool TThLinOpt::AwaitShown() {
  std::unique_lock lock(mutex_);
  shownOrAbandoned_.wait(lock, [this] { return shown_ || abandoned_; });
  pending_ = false;
  return abandoned_ || stopSeen_;
}

// Runs on the user-interface thread after the run has returned.
void TThLinOpt::Complete(const std::optional<Reached>& reached) {
  if (reached) starts_ = reached->Starts;
  if (reached && !aborted_ && onResult_) onResult_(reached->K);
  if (dialog_) dialog_->RunEnded(this, starts_);
  deleteLater();
}

}  // namespace zamo
