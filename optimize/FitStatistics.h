#pragma once

#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo {

// Student's t quantile t(p, dof), for dof >= 1.
Real StudentQuantile(Real p, int dof);

// Fills the statistics of `result` (AtBound, N, Dof, Sigma, StandardError, Interval95,
// Correlation) for the free constants `free` of `problem`, from the exact Jacobian of the
// weighted residuals: covariance sigma^2 (J^T J)^-1 over the constants not at a bound, by the
// singular value decomposition of J with its columns scaled by `scale`.
void SetStatistics(const FitProblem& problem, const std::vector<Real>& free, const std::vector<Real>& scale,
                   FitResult& result);

}  // namespace zamo
