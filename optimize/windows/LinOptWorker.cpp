#include "optimize/windows/LinOptWorker.h"

#include "optimize/windows/LinOpt.h"

namespace zamo {

TThLinOpt::TThLinOpt(OptimizationWorkers& owner, TOptRate* dialog, const OptimizationSettings& settings,
                     const OptimizationRunData& data, const StartObjectives& starts, OptimizationResult onResult)
    : owner_(owner),
      dialog_(dialog),
      onResult_(std::move(onResult)),
      settings_(settings),
      data_(data),
      starts_(starts) {
  owner_.live_.insert(this);
  // The worker object lives on the user-interface thread, so the completion runs there; a
  // worker deleted before it (the program ending) drops it.
  connect(this, &QThread::finished, this, [this] { Complete(); });
}

TThLinOpt::~TThLinOpt() { owner_.live_.erase(this); }

void TThLinOpt::run() {
  result_ = OptimizeRateConstants(
      settings_, data_, starts_,
      [this](int position, Real improvement, const RateConstants& reached) { Report(position, improvement, reached); },
      optimizerStop_);
  // The completion follows the last report; a stop noticed with it changes nothing, the
  // run ended there anyway.
  if (pending_) AwaitShown();
  if (endedAtShownReport_) {
    result_ = reportedK_;
    starts_ = reportedStarts_;
  }
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
  reportedK_ = reached;
  reportedStarts_ = starts_;
  {
    const std::lock_guard lock(mutex_);
    Improvement = improvement;
    ProgressPosition = position;
    shown_ = false;
    stopSeen_ = false;
  }
  handedOver_.store(false, std::memory_order_relaxed);
  pending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (dialog_) dialog_->ShowProgress(ProgressPosition, Improvement);
        const std::lock_guard lock(mutex_);
        stopSeen_ = stopRequested_.load();
        shown_ = true;
        handedOver_.store(true, std::memory_order_release);
        shownOrAbandoned_.notify_all();
      },
      Qt::QueuedConnection);
}

bool TThLinOpt::AwaitShown() {
  // Usually the report has long been shown; a short spin saves a sleep when it is close.
  for (int spin = 0; spin < 200000 && !handedOver_.load(std::memory_order_acquire); ++spin) {
  }
  std::unique_lock lock(mutex_);
  shownOrAbandoned_.wait(lock, [this] { return shown_ || abandoned_; });
  pending_ = false;
  return abandoned_ || stopSeen_;
}

// Runs on the user-interface thread after the run has returned.
void TThLinOpt::Complete() {
  if (!aborted_ && onResult_) onResult_(result_);
  if (dialog_) dialog_->RunEnded(this, starts_);
  deleteLater();
}

void TThLinOpt::Abandon() {
  Abort();
  optimizerStop_.store(true);
  {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
    handedOver_.store(true, std::memory_order_release);
  }
  shownOrAbandoned_.notify_all();
}

void OptimizationWorkers::StopAllAndWait() {
  for (TThLinOpt* worker : live_) worker->Abandon();
  const std::set<TThLinOpt*> workers = live_;
  for (TThLinOpt* worker : workers) {
    worker->wait();
    delete worker;
  }
}

}  // namespace zamo
