#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "optimize/OptimizeRateConstants.h"
#include "ui/FitJobRunner.h"

namespace zamo {

class TOptRate;
class TThLinOpt;

// The owner of the running workers (the main window holds one): they are its children, and
// it ends them with the program.
class OptimizationWorkers {
 public:
  OptimizationWorkers() : holder_(std::make_unique<QObject>()) {}
  OptimizationWorkers(const OptimizationWorkers&) = delete;
  OptimizationWorkers& operator=(const OptimizationWorkers&) = delete;
  ~OptimizationWorkers() { StopAllAndWait(); }

  // Destroys every worker: each discards its result and waits until its thread has ended,
  // without waiting for pending progress reports to be shown (the program is ending).
  void StopAllAndWait() { holder_ = std::make_unique<QObject>(); }

 private:
  friend class TThLinOpt;
  // The parent of the workers whose completion has not run yet.
  std::unique_ptr<QObject> holder_;
};

// What a run that was not aborted hands over when it ends: the constants reached.
using OptimizationResult = std::function<void(const RateConstants& k)>;

// The worker of one optimization run (TThLinOpt): a FitJobRunner whose job runs the
// optimizer on the copies it was given and hands every progress report to the
// user-interface thread; when it ends, the completion step runs on the user-interface
// thread: it applies the result unless the run was aborted, returns the dialog (if it still
// exists) to idle and refreshes the main window. The worker deletes itself afterwards.
//
// A report is shown, and the stop request read, as if the run waited for each report
// before its next cycle: the user-interface thread notes with every report it shows
// whether Stop had been asked for, and a run told so ends with the constants of that
// report. The worker does not idle meanwhile, though: it computes the next cycle while the
// report is shown (and drops it when the run ends there), and waits only when that cycle
// is done before the report was shown.
class TThLinOpt : public FitJobRunner {
  Q_OBJECT

 public:
  TThLinOpt(OptimizationWorkers& owner, TOptRate* dialog, const OptimizationSettings& settings,
            const OptimizationRunData& data, const StartObjectives& starts, OptimizationResult onResult);
  // A worker destroyed before its completion (the program ending) discards its result and
  // releases a report in flight; its thread is waited for.
  ~TThLinOpt() override;

  // Starts the run.
  void StartRun();
  // Asks the run to end at the next report shown (the dialog's Stop).
  void RequestStop() { stopRequested_.store(true); }
  // The dialog was closed while the run was going: its result is discarded.
  void Abort() {
    aborted_ = true;
    RequestStop();
  }
  bool Aborted() const { return aborted_; }

  // The values of the latest report while the user-interface thread shows them.
  Real Improvement = 0;
  int ProgressPosition = 0;

 private:
  // Where the run ended: the constants it hands over and the start objectives it recorded.
  struct Reached {
    RateConstants K{};
    StartObjectives Starts;
  };

  // The body of the job's thread.
  Reached Execute();
  void Report(int position, Real improvement, const RateConstants& reached);
  // Waits until the report handed over last has been shown; true when Stop had been asked
  // for by then (or the program is ending).
  bool AwaitShown();
  void Complete(const std::optional<Reached>& reached);

  QPointer<TOptRate> dialog_;
  OptimizationResult onResult_;
  const OptimizationSettings settings_;
  const OptimizationRunData data_;
  StartObjectives starts_;
  bool aborted_ = false;

  // Set by the user-interface thread; read by it when it shows a report.
  std::atomic<bool> stopRequested_{false};
  // The stop flag the optimizer reads: set by the run when a shown report says stop, and
  // when the program ends.
  std::atomic<bool> optimizerStop_{false};

  // The report in flight and the state of the run when it was made. Worker thread only.
  bool pending_ = false;
  bool endedAtShownReport_ = false;
  Reached reported_;

  // The hand-over of a report to the user-interface thread.
  std::mutex mutex_;
  std::condition_variable shownOrAbandoned_;
  bool shown_ = false;
  bool stopSeen_ = false;
  bool abandoned_ = false;
};

}  // namespace zamo
