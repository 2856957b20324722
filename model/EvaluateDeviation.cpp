#include "model/EvaluateDeviation.h"

#include <algorithm>
#include <cmath>

#include "model/IsoprCalcConc.h"
#include "model/NumberFormat.h"

namespace zamo {

namespace {

constexpr const char* kTotalPattern = "###0.00";
constexpr const char* kSpeciesPattern = " 0.000;-0.000; 0.000";

}  // namespace

std::optional<Side> DeviationExperiment(const KineticProject& project) {
  if (project.Left.Present != project.Right.Present) return project.Left.Present ? Side::Left : Side::Right;
  if (!project.DataValid) return std::nullopt;
  return project.CurrentSide();
}

DeviationSummary ComputeDeviation(const Experiment& experiment, Side side, const CoefficientSet& set) {
  DeviationSummary summary;
  const int lastRow = std::min(experiment.LastRow, kMaxRow);
  for (int j = 1; j <= lastRow; ++j) {
    const Concentrations calculated = CalcConc(set, side, static_cast<Real>(experiment.Times[j]));
    Real rowSquares = 0;
    for (int s = 1; s <= kSpeciesCount; ++s) {
      const Real d = experiment.Observed[j][s] - calculated[s];
      summary.SignedSum[s] += 100 * d;
      summary.AbsoluteSum[s] += std::fabs(100 * d);
      rowSquares += 10000 * (d * d);
    }
    summary.TotalSquares += rowSquares;
  }
  return summary;
}

std::optional<Side> EvaluateDeviation(KineticProject& project) {
  const std::optional<Side> side = DeviationExperiment(project);
  if (side) {
    project.DeviationOf(*side) = ComputeDeviation(project.ExperimentOf(*side), *side, project.Coefficients);
  }
  return side;
}

DeviationLabelTexts DeviationLabels(const DeviationSummary& summary) {
  DeviationLabelTexts labels;
  labels.Total = FormatFloat(kTotalPattern, summary.TotalSquares);
  for (int s = 1; s <= kSpeciesCount; ++s) {
    labels.Signed[s] = FormatFloat(kSpeciesPattern, summary.SignedSum[s]);
    labels.Absolute[s] = FormatFloat(kSpeciesPattern, summary.AbsoluteSum[s]);
  }
  return labels;
}

DeviationLabelTexts InitialDeviationLabels() {
  DeviationLabelTexts labels;
  labels.Total = "0.00";
  labels.Signed.Fill("0.000");
  labels.Absolute.Fill("0.000");
  return labels;
}

}  // namespace zamo
