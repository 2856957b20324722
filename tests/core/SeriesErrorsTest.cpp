// The standard errors of a series' activation parameters against computations of their own:
// the global fit's from a finite-difference Jacobian, the Eyring form's by propagation.

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

using Matrix = Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic>;

// sigma^2 (J^T J)^-1 at the global optimum, J by central differences of the residuals of
// every project, sigma^2 = SSR / (7 per row - parameters): the standard errors of (ln k_ref,
// Ea) of each pathway in turn.
TEST(SeriesGlobalErrors, StandardErrorsOfTheFiniteDifferenceJacobian) {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = {200, 210, 220};
  recipe.Noise = 0.2L;
  recipe.Seed = 4;
  const TemperatureSeries series = MakeSyntheticSeries(recipe, "e.zams");
  SeriesSettings settings;
  settings.Method = SeriesMethod::Global;
  const std::atomic<bool> stop{false};
  const SeriesResult r = FitSeries(settings, series, nullptr, stop);
  ASSERT_TRUE(r.Global && r.Global->Converged && r.Global->Undetermined.empty());

  std::vector<FitProblem> problems;
  int rows = 0;
  for (const SeriesProject& project : series) {
    FitProblem& problem = problems.emplace_back();
    problem.Constants = project.Data.K;
    problem.Free = r.Pathways;
    problem.Left = project.Data.Left;
    problem.Right = project.Data.Right;
    rows += problem.RowCount();
  }
  SeriesResidualFunction function(problems, r.Temperatures, r.ReferenceTemperature);
  std::vector<Real> x;
  for (const ActivationParameters& p : r.Global->Parameters) {
    x.push_back(p.LnKRef);
    x.push_back(p.Ea);
  }
  const auto n = static_cast<Eigen::Index>(function.ResidualCount());
  const auto p = static_cast<Eigen::Index>(x.size());
  Matrix jacobian(n, p);
  std::vector<Real> up(static_cast<std::size_t>(n));
  std::vector<Real> down(static_cast<std::size_t>(n));
  Real ssr = 0;
  ASSERT_TRUE(function.Evaluate(x, up.data()));
  for (const Real v : up) ssr += v * v;
  for (Eigen::Index c = 0; c < p; ++c) {
    const Real h = c % 2 == 0 ? 1e-5L : 1e-2L;
    std::vector<Real> moved = x;
    moved[static_cast<std::size_t>(c)] = x[static_cast<std::size_t>(c)] + h;
    ASSERT_TRUE(function.Evaluate(moved, up.data()));
    moved[static_cast<std::size_t>(c)] = x[static_cast<std::size_t>(c)] - h;
    ASSERT_TRUE(function.Evaluate(moved, down.data()));
    for (Eigen::Index i = 0; i < n; ++i) jacobian(i, c) = (up[i] - down[i]) / (2 * h);
  }
  const Matrix covariance = (jacobian.transpose() * jacobian).inverse() * ssr / (7 * rows - p);
  for (std::size_t k = 0; k < r.Global->Parameters.size(); ++k) {
    const ActivationParameters& a = r.Global->Parameters[k];
    const auto c = static_cast<Eigen::Index>(2 * k);
    EXPECT_NEAR(a.LnKRefSe, std::sqrt(covariance(c, c)), 1e-4L * a.LnKRefSe) << "k" << a.Index;
    EXPECT_NEAR(a.EaSe, std::sqrt(covariance(c + 1, c + 1)), 1e-4L * a.EaSe) << "k" << a.Index;
    EXPECT_NEAR(a.CorrEaLnKRef, covariance(c, c + 1) / std::sqrt(covariance(c, c) * covariance(c + 1, c + 1)), 1e-4L)
        << "k" << a.Index;
  }
}

// Delta S = R (ln k_ref + Ea / (R T_ref) - ln(kB T_ref / h) - 1): var Delta S = R^2 (var
// ln k_ref + 2 cov / (R T_ref) + var Ea / (R T_ref)^2).
TEST(ActivationParametersErrors, EyringEntropyErrorByPropagation) {
  const Real t = 470;
  const Real rt = kGasConstant * t;
  for (const Real cov : {-150.0L, 0.0L, 90.0L}) {
    const ActivationParameters a = MakeActivationParameters(2, t, -11.3L, 160e3L, {{{0.09L, cov}, {cov, 9e6L}}});
    const Real variance = 0.09L + 2 * cov / rt + 9e6L / (rt * rt);
    EXPECT_NEAR(a.DeltaSSe, kGasConstant * std::sqrt(variance), 1e-12L * a.DeltaSSe) << cov;
    EXPECT_NEAR(a.DeltaHSe, 3000, 1e-12L) << cov;
  }
}

}  // namespace
}  // namespace zamo
