#include "model/EvaluateDeviation.h"

#include <algorithm>
#include <cmath>

#include "model/MeasuredRows.h"
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

Real AddToDeviation(DeviationSummary& summary, const SpeciesValues& residual) {
  Real rowSquares = 0;
  for (int s = 1; s <= kSpeciesCount; ++s) {
    const Real d = residual[s];
    summary.SignedSum[s] += 100 * d;
    summary.AbsoluteSum[s] += std::fabs(100 * d);
    rowSquares += 10000 * (d * d);
  }
  summary.TotalSquares += rowSquares;
  return rowSquares;
}

DeviationSummary ComputeDeviation(const Experiment& experiment, Side side, const CoefficientSet& set) {
  DeviationSummary summary;
  const auto add = [&summary](const MeasuredRow<Real>& row) { AddToDeviation(summary, row.Residual); };
  if (const auto error = ForEachMeasuredRow(&set, side, experiment, add)) throw FloatError(*error);
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
