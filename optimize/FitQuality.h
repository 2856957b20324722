#pragma once

#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo {

// The relative gradient (see FitStatistics.h) of the problem's weighted residuals at the
// free constants `free`, those within kAtBound of their scale counted as at their bound.
Real RelativeGradient(const FitProblem& problem, const std::vector<Real>& free, const std::vector<Real>& scale);

// The size of the weighted observations the problem's residuals compare with (percent, times
// the weights): below kExactFit of it, residuals are rounding noise.
Real DataNorm(const FitProblem& problem);

// The Gaussian information criteria of a fit with `parameters` determined constants not at
// a bound and K = parameters + 1 (sigma is estimated too), over n residual degrees of freedom.
// AICc is NaN where n - K - 1 <= 0.
Real Aicc(Real weightedSsr, int n, int parameters);
Real Bic(Real weightedSsr, int n, int parameters);

// Fills R2Left, R2Right, ReducedChi2, Aicc, Bic and Outliers of a fit whose statistics are
// set (`problem` is the fitted one, with its weights).
void SetQuality(const FitProblem& problem, const std::vector<Real>& free, FitResult& result);

}  // namespace zamo
