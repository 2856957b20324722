#include "optimize/FitBand.h"

#include <cmath>

#include "model/ClosedForm.h"
#include "optimize/FitResiduals.h"
#include "optimize/FitStatistics.h"

namespace zamo {

std::vector<SpeciesValues> ConfidenceBand(const FitResult& fit, Side side, const std::vector<Real>& times) {
  std::vector<std::size_t> active;
  for (std::size_t n = 0; n < fit.Free.size(); ++n) {
    if (std::isfinite(fit.StandardError[n])) active.push_back(n);
  }
  if (active.empty() || fit.Dof <= 0) return {};
  OneBased<FitJet, kRateConstantCount> k;
  for (int i = 1; i <= kRateConstantCount; ++i) k[i] = FitJet(fit.K[i]);
  for (const std::size_t n : active) k[fit.Free[n]] = FitJet::Parameter(fit.K[fit.Free[n]], static_cast<int>(n));
  BasicCoefficientSet<FitJet> set;
  if (PrepareClosedForm(k, side, set)) return {};
  const Real t = StudentQuantile(0.975L, fit.Dof);
  std::vector<SpeciesValues> band;
  OneBased<FitJet, kSpeciesCount> c;
  for (const Real time : times) {
    if (EvaluateClosedForm(set, side, time, c)) return {};
    SpeciesValues half{};
    for (int s = 1; s <= kSpeciesCount; ++s) {
      Real variance = 0;
      for (const std::size_t a : active) {
        for (const std::size_t b : active) variance += c[s].Slope[a] * fit.Covariance[a][b] * c[s].Slope[b];
      }
      half[s] = t * std::sqrt(std::max(variance, Real(0)));
    }
    band.push_back(half);
  }
  return band;
}

}  // namespace zamo
