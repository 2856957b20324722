#pragma once

#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"

namespace zamo {

// A constant converting less than this fraction of a species over the last measured time is
// indistinguishable from 0: it has no size of its own to scale by or to spread around.
inline constexpr Real kNegligibleTurnover = 1e-9L;

// A typical size of each free constant, the unit the solver works in: its start value where
// that is not negligible, else the geometric mean of the other free ones that are not, else
// the inverse of the last measured time. A start far below the typical size is raised to a
// millionth of it, so that the solver's steps and tolerances stay relative to a size the
// data can see.
std::vector<Real> FitScales(const FitProblem& problem, const std::vector<Real>& start);

// The starts of a multi-start fit: `own` (the project's constants) first, then count - 1
// points spread log-uniformly over 0.1 to 10 times each free constant (a negligible one
// around its scale), by a fixed low-discrepancy sequence, so that every run starts from the
// same points.
std::vector<std::vector<Real>> StartPoints(const FitProblem& problem, const std::vector<Real>& own,
                                           const std::vector<Real>& scale, int count);

}  // namespace zamo
