#include "optimize/WeightedFit.h"

#include <utility>

#include "optimize/SpeciesWeights.h"

namespace zamo {

FitIterations::FitIterations(Report report, const std::atomic<bool>& stop)
    : report_(std::move(report)), stop_(stop), sink_([this](Real weightedSsr, const std::vector<Real>& reached) {
        if (report_) report_(count_, weightedSsr, reached);
        ++count_;
        return !stop_.load();
      }) {}

Minimum RefitWithSpeciesWeights(std::span<FitProblem> problems, Minimum minimum, bool firstWeightsEstimated,
                                const ProblemConstants& constantsAt,
                                const std::function<Minimum(const std::vector<Real>& start)>& solve) {
  for (int round = 1; round < kMaxWeightRounds && !minimum.Stopped; ++round) {
    bool agree = round > 1 || firstWeightsEstimated;
    std::vector<SpeciesValues> weights;
    for (std::size_t j = 0; j < problems.size(); ++j) {
      weights.push_back(WeightsOf(SpeciesSigmas(problems[j], constantsAt(minimum.Free, j))));
      agree = agree && WeightsAgree(weights.back(), problems[j].Weight);
    }
    if (agree) break;
    for (std::size_t j = 0; j < problems.size(); ++j) problems[j].Weight = weights[j];
    minimum = solve(minimum.Free);
  }
  return minimum;
}

}  // namespace zamo
