#pragma once

#include "model/KineticProject.h"

namespace zamo::test {

// An independent reference for the closed form: the network as the linear system x' = K x,
// solved by the matrix exponential exp(K t) (Taylor series of the scaled matrix, then
// repeated squaring) in quadruple precision (113-bit significand). It knows nothing of
// decay constants or their degeneracies, and integrates C like every other species.
SpeciesValues ExactConcentrations(const RateConstants& k, Side side, Real t);

// The derivatives of the same with respect to k_index (1..16), by central differences in
// quadruple precision; exact to far below the extended last place, also at k_index = 0.
SpeciesValues ExactDerivatives(const RateConstants& k, int index, Side side, Real t);

}  // namespace zamo::test
