#pragma once

#include "model/CoefficientSet.h"
#include "model/KineticProject.h"

namespace zamo {

// The eight fractions A..H of one evaluation.
using Concentrations = SpeciesValues;

// The exact solution of the network's first-order rate equations for the sixteen rate
// constants, for every non-negative rate set (see ClosedForm.h). Throws FloatError:
// "Ungültige Gleitkommaoperation" when (ka - kb)^2 + 4 k1 k8 is negative (only negative
// constants do that) and "Gleitkommaüberlauf" when a coefficient leaves the extended range.
CoefficientSet PrepareCoefficients(const RateConstants& k);

// Fractions at time t (seconds) starting from pure A (left) or pure B (right). C is the
// mass balance 1 - A - B - D - E - F - G - H. Throws FloatError when a fraction is not
// finite (only negative constants make the solution grow).
Concentrations CalcConcLeft(const CoefficientSet& set, Real t);
Concentrations CalcConcRight(const CoefficientSet& set, Real t);
Concentrations CalcConc(const CoefficientSet& set, Side side, Real t);

// The same without exceptions, for the optimizer's many trials: false where the throwing
// form would raise (the set or the fractions are then unusable).
bool TryPrepareCoefficients(const RateConstants& k, CoefficientSet& set);
// For one experiment only: the set then evaluates that side alone.
bool TryPrepareCoefficients(const RateConstants& k, Side side, CoefficientSet& set);
bool TryCalcConc(const CoefficientSet& set, Side side, Real t, Concentrations& c);

}  // namespace zamo
