#pragma once

#include <QPointer>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "optimize/OptimizeRateConstants.h"

namespace zamo {

class TFZamo;
class TOptRate;

// The worker thread of one optimization run (TThLinOpt). It runs the optimizer on the
// copies it was given, hands every progress report to the user-interface thread and waits
// until it has been shown, and when it ends the completion step runs on the user-interface
// thread: it applies the result unless the run was aborted, returns the dialog (if it still
// exists) to idle and refreshes the main window. The worker deletes itself afterwards.
class TThLinOpt : public QThread {
  Q_OBJECT

 public:
  TThLinOpt(TFZamo& main, TOptRate* dialog, const OptimizationSettings& settings, const OptimizationRunData& data,
            const StartObjectives& starts);
  ~TThLinOpt() override;

  // Asks the run to end at its next check (the dialog's Stop).
  void RequestStop() { stop_.store(true); }
  // The dialog was closed while the run was going: its result is discarded.
  void Abort() {
    aborted_ = true;
    RequestStop();
  }
  bool Aborted() const { return aborted_; }

  // Stops every worker, discards its result, waits until its thread has ended and deletes
  // it, without waiting for pending progress reports to be shown (the program is ending).
  static void StopAllAndWait();

  // The values of the latest report while the user-interface thread shows them.
  Real Improvement = 0;
  int ProgressPosition = 0;

 protected:
  void run() override;

 private:
  void Report(int position, Real improvement);
  void Complete();

  TFZamo& main_;
  QPointer<TOptRate> dialog_;
  const OptimizationSettings settings_;
  const OptimizationRunData data_;
  StartObjectives starts_;
  RateConstants result_{};
  std::atomic<bool> stop_{false};
  bool aborted_ = false;

  // The synchronous hand-over of a progress report.
  std::mutex mutex_;
  std::condition_variable shownOrAbandoned_;
  bool shown_ = false;
  bool abandoned_ = false;
  std::atomic<bool> handedOver_{false};
};

}  // namespace zamo
