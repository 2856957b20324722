#pragma once

#include <array>
#include <atomic>
#include <optional>
#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/TrustRegion.h"

namespace zamo {

// The profile-likelihood 95 % interval of each free constant of a finished fit: where
// (SSR with the constant fixed and the others refitted - SSR at the fit) / sigma^2 stays at
// or below F(0.95; 1, dof) = t(0.975, dof)^2, found by root finding on the refitted SSR. A side
// that does not close before 0 or 100 times the constant is open; every side is open when
// dof <= 0. The refits report their iterations to `iteration`; a stop leaves the sides not
// yet finished not computed.
std::vector<std::array<ProfileEnd, 2>> ProfileIntervals(const FitProblem& problem, const std::vector<Real>& best,
                                                        const std::vector<Real>& scale, const FitResult& fit,
                                                        const IterationSink& iteration, const std::atomic<bool>& stop);

}  // namespace zamo
