#pragma once

#include <optional>

#include "model/KineticProject.h"

namespace zamo {

// The recalculation after every change: prepares the coefficients from K, samples the
// curves of the current experiment at intervals + 1 evenly spaced times from 0 to its last
// reaction time, and evaluates the deviation. intervals is capped to the curve store's
// capacity; a negative count samples nothing, 0 samples the start alone. Returns the
// experiment whose deviation was evaluated.
//
// All or nothing: when the solver fails (FloatError), coefficients, curves and summaries
// keep their previous values.
std::optional<Side> RecalcCurves(KineticProject& project, int intervals);

}  // namespace zamo
