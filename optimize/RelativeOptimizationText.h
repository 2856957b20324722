#pragma once

#include <string>

#include "model/Real.h"

namespace zamo {

// The relative-optimization figure as the optimization dialog shows it: "0.00" form with
// halves away from zero when the figure is above 0, "0.00" otherwise.
std::string RelativeOptimizationText(Real percent);

}  // namespace zamo
