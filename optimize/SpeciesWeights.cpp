#include "optimize/SpeciesWeights.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zamo {

SpeciesValues SpeciesSigmas(const FitProblem& problem, const std::vector<Real>& free) {
  FitProblem unweighted = problem;
  unweighted.Weight.Fill(1);
  std::vector<Real> r(static_cast<std::size_t>(unweighted.ResidualCount()));
  FitResiduals(unweighted, free, r.data());
  SpeciesValues sum{};
  for (std::size_t i = 0; i < r.size(); ++i) sum[static_cast<int>(i % kSpeciesCount) + 1] += r[i] * r[i];
  const int rows = unweighted.RowCount();
  SpeciesValues sigma;
  for (int s = 1; s <= kWeightedSpecies; ++s) sigma[s] = std::max(std::sqrt(sum[s] / rows), kSigmaFloor);
  sigma[kSpeciesCount] = std::numeric_limits<Real>::quiet_NaN();
  return sigma;
}

SpeciesValues WeightsOf(const SpeciesValues& sigmas) {
  SpeciesValues weight;
  for (int s = 1; s <= kWeightedSpecies; ++s) weight[s] = 1 / sigmas[s];
  weight[kSpeciesCount] = 0;
  return weight;
}

SpeciesValues SigmasOf(const SpeciesValues& weights) {
  SpeciesValues sigma;
  for (int s = 1; s <= kWeightedSpecies; ++s) sigma[s] = 1 / weights[s];
  sigma[kSpeciesCount] = std::numeric_limits<Real>::quiet_NaN();
  return sigma;
}

bool WeightsAgree(const SpeciesValues& a, const SpeciesValues& b) {
  for (int s = 1; s <= kSpeciesCount; ++s) {
    if (std::fabs(a[s] - b[s]) > kWeightTolerance * b[s]) return false;
  }
  return true;
}

}  // namespace zamo
