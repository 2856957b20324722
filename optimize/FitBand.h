#pragma once

#include <vector>

#include "model/KineticProject.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo {

// The 95 % confidence band of the calculated curves of a finished fit: at each time the
// half-width t(0.975, dof) sqrt(g C g^T) of each species, with C the covariance of the free
// constants not at a bound and g the exact derivatives of the species' fraction with respect
// to them. Fractions (not percent); empty where the fit has no covariance.
std::vector<SpeciesValues> ConfidenceBand(const FitResult& fit, Side side, const std::vector<Real>& times);

}  // namespace zamo
