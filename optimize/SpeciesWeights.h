#pragma once

#include <vector>

#include "model/KineticProject.h"
#include "optimize/FitResiduals.h"

namespace zamo {

// The species weighting of a least-squares fit: each species s of A..G gets the weight
// 1 / sigma_s, sigma_s the root mean square of its own unweighted residuals at the fit,
// floored at the resolution of the data; H, the remainder of the others, gets the weight 0.
// Fit and weights are iterated until the weights change by less than kWeightTolerance
// (relative), at most kMaxWeightRounds fits. At agreement the weighted SSR is 7 per row.
inline constexpr Real kWeightTolerance = 1e-6L;
inline constexpr int kMaxWeightRounds = 20;
inline constexpr Real kSigmaFloor = 0.01L;  // percentage points
inline constexpr int kWeightedSpecies = kSpeciesCount - 1;

// sigma_s of A..G of the problem's unweighted residuals at the free constants `free`; NaN
// for H.
SpeciesValues SpeciesSigmas(const FitProblem& problem, const std::vector<Real>& free);

// 1 / sigma_s, and 0 for H.
SpeciesValues WeightsOf(const SpeciesValues& sigmas);

// sigma_s of the weights: 1 / w_s, and NaN for H.
SpeciesValues SigmasOf(const SpeciesValues& weights);

// Every weight of a within kWeightTolerance of b's.
bool WeightsAgree(const SpeciesValues& a, const SpeciesValues& b);

}  // namespace zamo
