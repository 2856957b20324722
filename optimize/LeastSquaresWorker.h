#pragma once

#include <QThread>
#include <atomic>
#include <exception>
#include <optional>

#include "optimize/LeastSquaresFit.h"

namespace zamo {

// Runs one least-squares fit in a thread of its own. Progress (once per iteration) and the
// end reach the user-interface thread as queued signals; Stop asks the fit to end after its
// current iteration. The fit works on copies of the constants and experiments taken at the
// start. Destroying the worker stops the fit and waits for the thread, which takes at most
// one iteration (a few milliseconds).
class LeastSquaresWorker : public QThread {
  Q_OBJECT

 public:
  LeastSquaresWorker(const FitSettings& settings, const OptimizationRunData& data, QObject* parent);
  ~LeastSquaresWorker() override;

  void Stop() { stop_.store(true); }
  // After finished: the result, or the error that ended the fit.
  const std::optional<FitResult>& Result() const { return result_; }
  std::exception_ptr Error() const { return error_; }

 signals:
  void Progress(int iteration, double weightedSsr);

 protected:
  void run() override;

 private:
  const FitSettings settings_;
  const OptimizationRunData data_;
  std::atomic<bool> stop_{false};
  std::optional<FitResult> result_;
  std::exception_ptr error_;
};

}  // namespace zamo
