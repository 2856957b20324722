#pragma once

#include "model/KineticProject.h"

namespace zamo::test {

// An independent reference for the closed form: x' = K x solved by the matrix exponential in
// quadruple precision, knowing nothing of decay constants or their degeneracies.
SpeciesValues ExactConcentrations(const RateConstants& k, Side side, Real t);
// Its derivatives by k_index (1..16), by central differences far below the extended last place.
SpeciesValues ExactDerivatives(const RateConstants& k, int index, Side side, Real t);

}  // namespace zamo::test
