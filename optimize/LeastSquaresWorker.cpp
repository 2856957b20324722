#include "optimize/LeastSquaresWorker.h"

namespace zamo {

LeastSquaresWorker::LeastSquaresWorker(const FitSettings& settings, const OptimizationRunData& data, QObject* parent)
    : QThread(parent), settings_(settings), data_(data) {}

LeastSquaresWorker::~LeastSquaresWorker() {
  Stop();
  wait();
}

void LeastSquaresWorker::run() {
  // Nothing may leave the thread as an exception: the error goes to the dialog.
  try {
    result_ = FitRateConstants(
        settings_, data_,
        [this](int iteration, Real weightedSsr, const RateConstants&) {
          emit Progress(iteration, static_cast<double>(weightedSsr));
        },
        stop_);
  } catch (...) {
    error_ = std::current_exception();
  }
}

}  // namespace zamo
