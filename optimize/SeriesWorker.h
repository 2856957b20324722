#pragma once

#include <QThread>
#include <atomic>
#include <exception>
#include <optional>

#include "optimize/SeriesFit.h"

namespace zamo {

// Runs one series fit in a thread of its own, on a copy of the series taken at the start.
// Progress (once per iteration of every fit) reaches the user-interface thread as a queued
// signal; Stop asks the fit to end after its current iteration. Destroying the worker stops
// the fit and waits for the thread, which takes at most one iteration.
class SeriesWorker : public QThread {
  Q_OBJECT

 public:
  SeriesWorker(const SeriesSettings& settings, TemperatureSeries series, QObject* parent);
  ~SeriesWorker() override;

  void Stop() { stop_.store(true); }
  // After finished: the result, or the error that ended the fit.
  const std::optional<SeriesResult>& Result() const { return result_; }
  std::exception_ptr Error() const { return error_; }

 signals:
  // stage 0: the single fit of project `project`; stage 1: the global fit.
  void Progress(int stage, int project, int iteration, double weightedSsr);

 protected:
  void run() override;

 private:
  const SeriesSettings settings_;
  const TemperatureSeries series_;
  std::atomic<bool> stop_{false};
  std::optional<SeriesResult> result_;
  std::exception_ptr error_;
};

}  // namespace zamo
