#pragma once

#include <string>

#include "document/TextLines.h"
#include "model/KineticProject.h"

namespace zamo {

// "Full Output of the Result - Left Reactions" or "... - Right Reactions".
std::string FullOutputCaption(bool showLeft);

// The full report of the current experiment: temperature, rate constants, and for every
// measured row after the start the observed and calculated concentrations, their
// differences and the product distributions, then the sums of squares and the error sums.
// It uses the coefficients of the latest recalculation. Empty while no project is valid or
// the current experiment is absent.
TextLines FullOutputText(const KineticProject& project);

}  // namespace zamo
