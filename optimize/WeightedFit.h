#pragma once

#include <atomic>
#include <functional>
#include <span>
#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"
#include "optimize/TrustRegion.h"

namespace zamo {

// The iterations of every solve of one fit, counted over its starts and its weighting rounds:
// each is told to `report` (when set) with its number, the weighted sum of squares and the
// parameters reached, and the stop flag is read after it.
class FitIterations {
 public:
  using Report = std::function<void(int iteration, Real weightedSsr, const std::vector<Real>& reached)>;

  FitIterations(Report report, const std::atomic<bool>& stop);
  FitIterations(const FitIterations&) = delete;
  FitIterations& operator=(const FitIterations&) = delete;

  // The sink for the solver; it answers false once a stop was asked for.
  const IterationSink& Sink() const { return sink_; }
  int Count() const { return count_; }
  bool StopAsked() const { return stop_.load(); }

 private:
  Report report_;
  const std::atomic<bool>& stop_;
  int count_ = 0;
  IterationSink sink_;
};

// The species-weight rounds of a fit that has reached `minimum` with the weights of
// `problems`: the weights of every problem are estimated again at the constants reached
// (constantsAt(x, j) gives problem j's free constants for the solver's parameters x) and the
// fit is repeated from there by `solve` until they agree with those it was made with, at most
// kMaxWeightRounds fits in all; a stopped solve ends the rounds. Where the first weights are
// not estimates (the unweighted fit a single fit starts with), the first round refits without
// comparing. Answers the last minimum; the problems keep the weights it was fitted with.
using ProblemConstants = std::function<std::vector<Real>(const std::vector<Real>& x, std::size_t problem)>;
Minimum RefitWithSpeciesWeights(std::span<FitProblem> problems, Minimum minimum, bool firstWeightsEstimated,
                                const ProblemConstants& constantsAt,
                                const std::function<Minimum(const std::vector<Real>& start)>& solve);

}  // namespace zamo
