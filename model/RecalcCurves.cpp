#include "model/RecalcCurves.h"

#include <algorithm>

#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"

namespace zamo {

std::optional<Side> RecalcCurves(KineticProject& project, int intervals) {
  const CoefficientSet set = PrepareCoefficients(project.K);

  const Side side = project.CurrentSide();
  const Experiment& shown = project.Current();
  const Real end = static_cast<Real>(shown.Times[static_cast<std::size_t>(std::clamp(shown.LastRow, 0, kMaxRow))]);
  const int n = std::min(intervals, CurveStore::kMaxIntervals);
  if (n >= 0) {
    // t grows by repeated addition, so the last sample meets the end only up to rounding.
    const Real dt = n > 0 ? end / n : 0;
    Real t = 0;
    for (int i = 0; i <= n; ++i) {
      project.Curves.SetPending(i, CalcConc(set, side, t));
      t += dt;
    }
  }

  const std::optional<Side> evaluated = DeviationExperiment(project);
  DeviationSummary summary;
  if (evaluated) summary = ComputeDeviation(project.ExperimentOf(*evaluated), *evaluated, set);

  project.Coefficients = set;
  if (n >= 0) project.Curves.Publish(n + 1);
  if (evaluated) project.DeviationOf(*evaluated) = summary;
  return evaluated;
}

}  // namespace zamo
