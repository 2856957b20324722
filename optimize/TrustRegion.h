#pragma once

#include <functional>
#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"
#include "optimize/ResidualFunction.h"

namespace zamo {

// What one minimisation of a sum of squares reached.
struct Minimum {
  std::vector<Real> Free;  // the parameters reached (for a FitProblem: in the order of Free)
  Real WeightedSsr = 0;
  int Iterations = 0;
  int SuccessfulSteps = 0;  // steps that lowered the sum of squares
  bool Converged = false;   // the solver's convergence test was met
  bool Stopped = false;
  bool PinnedAtBound = false;  // ended early with a parameter pinned at its bound
};

// A free constant within this many of its scale units of 0 is at its bound: the solver holds
// it there, and the statistics count it out.
inline constexpr Real kAtBound = 1e-9L;
inline bool IsAtLowerBound(Real value, Real scale) { return value <= kAtBound * scale; }

// Called after every iteration with the sum of squares and the parameters reached; answers
// false to stop the solver there.
using IterationSink = std::function<bool(Real weightedSsr, const std::vector<Real>& free)>;

enum class ParameterBounds { None, NonNegative };

// Minimises the sum of squared residuals of `function` by Ceres' trust-region solver with
// the function's exact Jacobian, from `start`, optionally within x >= 0. `scale` holds a
// typical size of each parameter: the solver works in multiples of it, so that its steps
// and tolerances are relative. `evaluations` counts the evaluations of the residuals. A trial
// the function cannot evaluate is a failed step. A stopped solve keeps the parameters reached.
// The solver stops where an iteration changes the sum of squares by less than this fraction
// of it: the fit's own precision, and a coarser one where only the sum is compared (the
// models of a selection).
inline constexpr Real kSsrTolerance = 1e-14L;
inline constexpr Real kRankingSsrTolerance = 1e-10L;

Minimum SolveLeastSquares(ResidualFunction& function, const std::vector<Real>& start, const std::vector<Real>& scale,
                          ParameterBounds bounds, const IterationSink& iteration, int& evaluations,
                          Real ssrTolerance = kSsrTolerance);

// The sum of the squared residuals, or +infinity where x cannot be evaluated.
Real SumOfSquares(ResidualFunction& function, const std::vector<Real>& x);

// One minimisation of the weighted sum of squares of a FitProblem over its free constants,
// within k >= 0; constants that reach 0 are held there while the others are solved (see
// TrustRegion.cpp).
Minimum Minimize(const FitProblem& problem, const std::vector<Real>& start, const std::vector<Real>& scale,
                 const IterationSink& iteration, int& evaluations, Real ssrTolerance = kSsrTolerance);

// The weighted sum of squares, or +infinity where the closed form cannot be evaluated.
Real WeightedSsr(const FitProblem& problem, const std::vector<Real>& free);

}  // namespace zamo
