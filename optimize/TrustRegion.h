#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"

namespace zamo {

// One minimisation of the weighted sum of squares of a FitProblem over its free constants,
// by Ceres' trust-region solver with bounds k >= 0 and the exact Jacobian.
struct Minimum {
  std::vector<Real> Free;  // the constants reached, in the order of FitProblem::Free
  Real WeightedSsr = 0;
  int Iterations = 0;
  bool Converged = false;
  bool Stopped = false;
};

// Called after every iteration with the weighted sum of squares and the free constants
// reached; answers false to stop the solver there.
using IterationSink = std::function<bool(Real weightedSsr, const std::vector<Real>& free)>;

// `scale` holds a typical size of each free constant: the solver works in multiples of it.
// `evaluations` counts the evaluations of the residuals. A trial the closed form cannot
// evaluate is a failed step.
Minimum Minimize(const FitProblem& problem, const std::vector<Real>& start, const std::vector<Real>& scale,
                 const IterationSink& iteration, int& evaluations);

// The weighted sum of squares, or +infinity where the closed form cannot be evaluated.
Real WeightedSsr(const FitProblem& problem, const std::vector<Real>& free);

}  // namespace zamo
