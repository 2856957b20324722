#pragma once

#include <optional>
#include <string>

#include "model/KineticProject.h"

namespace zamo {

// The experiment the deviation evaluation works on: the only present one; otherwise, once a
// project is loaded, the current one; otherwise none.
std::optional<Side> DeviationExperiment(const KineticProject& project);

// Observed minus calculated over rows 1..LastRow of one experiment, in percentage points.
// Throws FloatError where a row cannot be evaluated.
DeviationSummary ComputeDeviation(const Experiment& experiment, Side side, const CoefficientSet& set);

// Adds one row's observed - calculated fractions to the sums and answers the row's sum of
// squares, (100 d)^2 over the eight species.
Real AddToDeviation(DeviationSummary& summary, const SpeciesValues& residual);

// Refreshes the DeviationSummary of the experiment chosen above with the project's current
// coefficients and tells which one it was. The other summary is not touched. A failure of
// the solver leaves both summaries as they were.
std::optional<Side> EvaluateDeviation(KineticProject& project);

// The seventeen texts of the "Quality of Calculation" box.
struct DeviationLabelTexts {
  std::string Total;                  // Label16
  OneBased<std::string, 8> Signed;    // Label18..Label25, "Dev."
  OneBased<std::string, 8> Absolute;  // Label26..Label33, "abs(Dev.)"
};

DeviationLabelTexts DeviationLabels(const DeviationSummary& summary);

// What the box shows before anything was evaluated.
DeviationLabelTexts InitialDeviationLabels();

}  // namespace zamo
