#pragma once

#include <vector>

#include "model/KineticProject.h"
#include "optimize/FitResiduals.h"

namespace zamo {

// The species weighting of a least-squares fit: each species s gets the weight 1 / sigma_s,
// sigma_s the root mean square of its own unweighted residuals at the fit, floored at the
// resolution of the data; fit and weights are iterated until the weights change by less
// than kWeightTolerance (relative), at most kMaxWeightRounds fits.
inline constexpr Real kWeightTolerance = 1e-6L;
inline constexpr int kMaxWeightRounds = 20;
inline constexpr Real kSigmaFloor = 0.01L;  // percentage points

// sigma_s of the problem's unweighted residuals at the free constants `free`.
SpeciesValues SpeciesSigmas(const FitProblem& problem, const std::vector<Real>& free);

// 1 / sigma_s.
SpeciesValues WeightsOf(const SpeciesValues& sigmas);

// Every weight of a within kWeightTolerance of b's.
bool WeightsAgree(const SpeciesValues& a, const SpeciesValues& b);

}  // namespace zamo
