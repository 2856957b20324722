#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <atomic>
#include <cmath>
#include <vector>

#include "document/SyntheticSeries.h"
#include "optimize/GlobalSeriesFit.h"
#include "optimize/SeriesFit.h"

namespace zamo {
namespace {

// sigma^2 (J^T J)^-1 at the global optimum, J by central differences of the residuals of every
// project, sigma^2 = SSR / (N - parameters), for (ln k_ref, Ea) of each pathway.
TEST(SeriesGlobalErrors, StandardErrorsOfTheFiniteDifferenceJacobian) {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = {200, 210, 220}, recipe.Noise = 0.2L, recipe.Seed = 4;
  const TemperatureSeries series = MakeSyntheticSeries(recipe, "e.zams");
  const std::atomic<bool> stop{false};
  const SeriesResult r = FitSeries({.Method = SeriesMethod::Global, .Free = {}}, series, nullptr, stop);
  ASSERT_TRUE(r.Global && r.Global->Converged && r.Global->Undetermined.empty());
  std::vector<FitProblem> problems;
  for (const SeriesProject& j : series)
    problems.push_back({.Constants = j.Data.K, .Free = r.Pathways, .Left = j.Data.Left, .Right = j.Data.Right});
  SeriesResidualFunction function(problems, r.Temperatures, r.ReferenceTemperature);
  std::vector<Real> x, up(static_cast<std::size_t>(function.ResidualCount())), down(up.size());
  for (const ActivationParameters& a : r.Global->Parameters) x.insert(x.end(), {a.LnKRef, a.Ea});
  Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic> jacobian(up.size(), x.size());
  for (std::size_t c = 0; c < x.size(); ++c) {
    const Real h = c % 2 == 0 ? 1e-5L : 1e-2L;
    std::vector<Real> moved = x;
    moved[c] += h;
    ASSERT_TRUE(function.Evaluate(moved, up.data()));
    moved[c] -= 2 * h;
    ASSERT_TRUE(function.Evaluate(moved, down.data()));
    for (std::size_t i = 0; i < up.size(); ++i) jacobian(i, c) = (up[i] - down[i]) / (2 * h);
  }
  const Real sigma2 = r.Global->Ssr / static_cast<Real>(r.Global->N - static_cast<int>(x.size()));
  const auto covariance = ((jacobian.transpose() * jacobian).inverse() * sigma2).eval();
  for (std::size_t k = 0; k < r.Global->Parameters.size(); ++k) {
    const ActivationParameters& a = r.Global->Parameters[k];
    const Real lnK = covariance(2 * k, 2 * k), ea = covariance(2 * k + 1, 2 * k + 1);
    EXPECT_NEAR(a.LnKRefSe, std::sqrt(lnK), 1e-4L * a.LnKRefSe) << "k" << a.Index;
    EXPECT_NEAR(a.EaSe, std::sqrt(ea), 1e-4L * a.EaSe) << "k" << a.Index;
    EXPECT_NEAR(a.CorrEaLnKRef, covariance(2 * k, 2 * k + 1) / std::sqrt(lnK * ea), 1e-4L) << "k" << a.Index;
  }
}

// The Eyring form against the Eyring equation, k(T_ref) = kB T / h exp(dS / R - dH / (R T)),
// and its errors by propagation: var dS = R^2 (var ln k_ref + 2 cov / (R T) + var Ea / (R T)^2).
TEST(ActivationParameters, EyringFormAndItsErrorsByPropagation) {
  const Real t = 470, rt = kGasConstant * t, k = 2.5e-5L;
  for (const Real cov : {-150.0L, 0.0L, 90.0L}) {
    const ActivationParameters a = MakeActivationParameters(2, t, std::log(k), 160e3L, {{{0.09L, cov}, {cov, 9e6L}}});
    EXPECT_NEAR(kBoltzmann * t / kPlanck * std::exp(a.DeltaS / kGasConstant - a.DeltaH / rt), k, 1e-15L * k);
    EXPECT_NEAR(a.DeltaG, -rt * std::log(k * kPlanck / (kBoltzmann * t)), 1e-9L);
    EXPECT_NEAR(a.RateAt(500), std::exp(a.LnA - a.Ea / (kGasConstant * 500)), 1e-14L * a.RateAt(500));
    EXPECT_NEAR(a.DeltaSSe, kGasConstant * std::sqrt(0.09L + 2 * cov / rt + 9e6L / (rt * rt)), 1e-12L * a.DeltaSSe);
    EXPECT_NEAR(a.DeltaGSe, rt * 0.3L, 1e-12L);
    EXPECT_NEAR(a.DeltaHSe, 3000, 1e-12L);
    EXPECT_NEAR(a.CorrEaLnKRef, cov / (0.3L * 3000), 1e-15L);
  }
}

}  // namespace
}  // namespace zamo
