#include "optimize/SeriesWorker.h"

#include <utility>

namespace zamo {

SeriesWorker::SeriesWorker(const SeriesSettings& settings, TemperatureSeries series, QObject* parent)
    : QThread(parent), settings_(settings), series_(std::move(series)) {}

SeriesWorker::~SeriesWorker() {
  Stop();
  wait();
}

void SeriesWorker::run() {
  // Nothing may leave the thread as an exception: the error goes to the window.
  try {
    result_ = FitSeries(
        settings_, series_,
        [this](const SeriesProgress& progress) {
          emit Progress(progress.Stage == SeriesStage::GlobalFit ? 1 : 0, static_cast<int>(progress.Project),
                        progress.Iteration, static_cast<double>(progress.WeightedSsr));
        },
        stop_);
  } catch (...) {
    error_ = std::current_exception();
  }
}

}  // namespace zamo
