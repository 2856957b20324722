#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "document/SeriesFile.h"
#include "document/SyntheticSeries.h"
#include "optimize/FitStatistics.h"
#include "optimize/SeriesFit.h"
#include "optimize/TrustRegion.h"

namespace zamo {
namespace {

// The example series' pathways at the given temperatures, noise and seed.
SyntheticSeriesRecipe Recipe(std::vector<Real> celsius, Real noise, std::uint64_t seed) {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = std::move(celsius);
  recipe.Noise = noise;
  recipe.Seed = seed;
  return recipe;
}

// Every free constant of every project moved by its own factor between 1/2 and 2, so that
// no fit starts at the answer.
TemperatureSeries Displaced(TemperatureSeries series) {
  int n = 0;
  for (SeriesProject& project : series) {
    for (int i = 1; i <= 14; ++i) project.Data.K[i] *= std::pow(2.0L, std::sin(3.0L * ++n));
  }
  return series;
}

SeriesResult Fit(const TemperatureSeries& series, SeriesSettings settings = {}) {
  const std::atomic<bool> stop{false};
  return FitSeries(settings, series, nullptr, stop);
}

template <typename Step>
std::string Described(Step&& step) {
  try {
    step();
  } catch (const ZamoError& error) {
    return error.Describe();
  }
  return "no error";
}

// The weighted line by the textbook formulas in the uncentred variable u = 1 / T, against
// the centred solution of the code.
TEST(ArrheniusLine, MatchesTheTextbookWeightedRegression) {
  const std::vector<RatePoint> points = {
      {450, 2.0e-6L, 1.0e-7L},
      {480, 3.1e-5L, 4.0e-6L},
      {510, 3.3e-4L, 1.2e-5L},
      {495, 0, 1e-6L},                                      // at the bound: no logarithm
      {470, 1e-5L, std::numeric_limits<Real>::quiet_NaN()}  // undetermined
  };
  Real s = 0, su = 0, suu = 0, sy = 0, suy = 0;
  for (std::size_t j = 0; j < 3; ++j) {
    const Real w = std::pow(points[j].K / points[j].Se, 2);
    const Real u = 1 / points[j].Kelvin;
    const Real y = std::log(points[j].K);
    s += w, su += w * u, suu += w * u * u, sy += w * y, suy += w * u * y;
  }
  const Real delta = s * suu - su * su;
  const Real slope = (s * suy - su * sy) / delta;
  const Real lnA = (suu * sy - su * suy) / delta;
  const Real r = kGasConstant;
  Real chi2 = 0;
  for (std::size_t j = 0; j < 3; ++j) {
    const Real d = std::log(points[j].K) - lnA - slope / points[j].Kelvin;
    chi2 += std::pow(points[j].K / points[j].Se, 2) * d * d;
  }
  const Real tRef = 478;
  const std::optional<ArrheniusLine> line = FitArrheniusLine(7, points, tRef);
  ASSERT_TRUE(line.has_value());
  const ActivationParameters& p = line->Parameters;
  EXPECT_EQ(p.Index, 7);
  EXPECT_EQ(line->Points, 3);
  EXPECT_EQ(line->Dof, 1);
  EXPECT_NEAR(line->ChiSquared, chi2, 1e-9L * chi2);
  EXPECT_NEAR(p.Ea, -r * slope, 1e-12L * p.Ea);
  EXPECT_NEAR(p.LnA, lnA, 1e-12L * std::fabs(lnA));
  EXPECT_NEAR(p.EaSe, r * std::sqrt(s / delta), 1e-9L * p.EaSe);
  EXPECT_NEAR(p.LnASe, std::sqrt(suu / delta), 1e-9L * p.LnASe);
  // cov(ln A, Ea) = -R cov(intercept, slope) = R su / delta.
  EXPECT_NEAR(p.CorrEaLnA, (r * su / delta) / (p.EaSe * p.LnASe), 1e-9L);
  EXPECT_NEAR(p.LnKRef, lnA + slope / tRef, 1e-12L);
  // var ln k(T_ref) = var a + var b / T^2 + 2 cov(a, b) / T.
  EXPECT_NEAR(p.LnKRefSe, std::sqrt((suu + s / (tRef * tRef) - 2 * su / tRef) / delta), 1e-9L * p.LnKRefSe);

  EXPECT_FALSE(FitArrheniusLine(7, {points[0], points[3], points[4]}, tRef).has_value());

  // The same points with ten times smaller errors scatter more than those allow (chi2 = 100
  // times as much, above dof): the covariance is scaled by chi2 / dof.
  std::vector<RatePoint> tight(points.begin(), points.begin() + 3);
  for (RatePoint& point : tight) point.Se /= 10;
  const std::optional<ArrheniusLine> scaled = FitArrheniusLine(7, tight, tRef);
  ASSERT_GT(scaled->ChiSquared, 1);
  EXPECT_EQ(line->SeScale, 1);
  EXPECT_NEAR(scaled->SeScale, std::sqrt(100 * chi2), 1e-9L);
  EXPECT_NEAR(scaled->Parameters.EaSe, p.EaSe / 10 * scaled->SeScale, 1e-9L * p.EaSe);
  EXPECT_NEAR(scaled->Parameters.Ea, p.Ea, 1e-9L * p.Ea);
}

// The doubts about a pathway, each from the part of the result that raises it.
TEST(ArrheniusLine, FlagsNameWhatMakesAPathwayDoubtful) {
  SeriesResult result;
  result.Single.resize(3);
  result.Single[0].AtBound = {3};
  result.Single[1].AtBound = {3};
  result.Single[2].Undetermined = {3};
  result.Global.emplace().Undetermined = {3};
  ActivationParameters p;
  p.Index = 3;
  p.Ea = 700e3L;
  p.EaSe = 800e3L;
  ArrheniusLine line;
  line.Dof = 0;
  line.SeScale = 1.5L;
  EXPECT_EQ(PathwayFlags(result, p, nullptr),
            (std::vector<std::string>{"not determined", "at its bound at 2 of 3 temperatures",
                                      "not determined at 1 of 3 temperatures", "SE larger than the value",
                                      "Ea outside 0..600 kJ/mol"}));
  EXPECT_EQ(PathwayFlags(result, p, &line).back(), "SE scaled by sqrt(chi2/dof) = 1.50");
  p.Index = 2;
  p.Ea = 150e3L;
  p.EaSe = 1e3L;
  EXPECT_TRUE(PathwayFlags(result, p, nullptr).empty());
  line.SeScale = 1;
  EXPECT_EQ(PathwayFlags(result, p, &line), std::vector<std::string>{"two-stage line with 0 dof"});
}

// The Eyring form against the Eyring equation itself: k(T_ref) = kB T / h exp(dS / R)
// exp(-dH / (R T)) and dG = -R T ln(k h / (kB T)).
TEST(ActivationParameters, EyringFormGivesBackTheRateAtTheReferenceTemperature) {
  const Real t = 483.25L;
  const ActivationParameters p =
      MakeActivationParameters(3, t, std::log(2.5e-5L), 171.3e3L, {{{0.04L, 90}, {90, 4e6L}}});
  const Real k =
      kBoltzmann * t / kPlanck * std::exp(p.DeltaS / kGasConstant) * std::exp(-p.DeltaH / (kGasConstant * t));
  EXPECT_NEAR(k, 2.5e-5L, 1e-15L * 2.5e-5L);
  EXPECT_NEAR(p.DeltaG, -kGasConstant * t * std::log(2.5e-5L * kPlanck / (kBoltzmann * t)), 1e-9L);
  EXPECT_NEAR(p.RateAt(t), 2.5e-5L, 1e-15L * 2.5e-5L);
  EXPECT_NEAR(p.RateAt(500), std::exp(p.LnA - p.Ea / (kGasConstant * 500)), 1e-14L * p.RateAt(500));
  // Delta G at T_ref depends on k(T_ref) alone; Delta H and Ea share their error.
  EXPECT_NEAR(p.DeltaGSe, kGasConstant * t * 0.2L, 1e-12L);
  EXPECT_EQ(p.DeltaHSe, p.EaSe);
  EXPECT_NEAR(p.EaSe, 2000, 1e-12L);
  EXPECT_NEAR(p.CorrEaLnKRef, 90 / (0.2L * 2000), 1e-15L);
}

// Data made from known activation parameters without noise give them back by both methods.
TEST(SeriesFitNoiseFree, BothMethodsRecoverTheGeneratingParameters) {
  const SyntheticSeriesRecipe recipe = Recipe({200, 205, 210, 215, 220}, 0, 1);
  const SeriesResult r = Fit(Displaced(MakeSyntheticSeries(recipe, "exact.zams")));
  ASSERT_TRUE(r.TwoStage && r.Global);
  EXPECT_EQ(r.Pathways, (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 14}));
  EXPECT_TRUE(r.TwoStage->Undetermined.empty());
  ASSERT_EQ(r.TwoStage->Lines.size(), r.Pathways.size());
  ASSERT_EQ(r.Global->Parameters.size(), r.Pathways.size());
  EXPECT_TRUE(r.Global->Converged);
  for (std::size_t n = 0; n < r.Pathways.size(); ++n) {
    const int i = r.Pathways[n];
    for (const ActivationParameters& p : {r.TwoStage->Lines[n].Parameters, r.Global->Parameters[n]}) {
      EXPECT_EQ(p.Index, i);
      EXPECT_NEAR(p.Ea, recipe.Ea[i], 1e-6L * recipe.Ea[i]) << "k" << i;
      EXPECT_NEAR(std::exp(p.LnA), recipe.A[i], 1e-6L * recipe.A[i]) << "k" << i;
    }
  }
  const Real inverse = (1 / 473.15L + 1 / 478.15L + 1 / 483.15L + 1 / 488.15L + 1 / 493.15L) / 5;
  EXPECT_NEAR(r.ReferenceTemperature, 1 / inverse, 1e-12L);
  EXPECT_EQ(r.Temperatures.front(), 473.15L);
  EXPECT_LT(r.Global->Ssr, 1e-12L);
}

// A noisy series: the two methods agree within each other's 95 % intervals, and the global
// fit is at least as good as the two-stage lines it starts from.
struct NoisySeries {
  Real Noise;
  std::uint64_t Seed;
};

class SeriesFitNoisy : public testing::TestWithParam<NoisySeries> {
 protected:
  TemperatureSeries Series() const {
    return Displaced(
        MakeSyntheticSeries(Recipe({200, 205, 210, 215, 220}, GetParam().Noise, GetParam().Seed), "s.zams"));
  }
};

void ExpectMethodsAgree(const SeriesResult& r) {
  ASSERT_TRUE(r.TwoStage && r.Global);
  const Real z = 1.959963984540054L;  // the two-stage weights are variances: normal quantile
  const Real t = StudentQuantile(0.975L, r.Global->Dof);
  for (std::size_t n = 0; n < r.Global->Parameters.size(); ++n) {
    const ActivationParameters& g = r.Global->Parameters[n];
    const ArrheniusLine* line = r.TwoStage->LineOf(g.Index);
    ASSERT_NE(line, nullptr) << "k" << g.Index;
    const ActivationParameters& s = line->Parameters;
    EXPECT_LE(std::fabs(g.Ea - s.Ea), z * s.EaSe) << "k" << g.Index;
    EXPECT_LE(std::fabs(g.Ea - s.Ea), t * g.EaSe) << "k" << g.Index;
    EXPECT_LE(std::fabs(g.LnA - s.LnA), z * s.LnASe) << "k" << g.Index;
    EXPECT_LE(std::fabs(g.LnA - s.LnA), t * g.LnASe) << "k" << g.Index;
    EXPECT_LE(std::fabs(g.LnKRef - s.LnKRef), t * g.LnKRefSe) << "k" << g.Index;
  }
}

// The sum over the projects of the single fits' SSR at the constants of the two-stage lines.
Real SsrOnTheLines(const TemperatureSeries& series, const SeriesResult& r) {
  Real sum = 0;
  for (std::size_t j = 0; j < series.size(); ++j) {
    FitProblem problem;
    problem.Constants = r.Single[j].K;
    for (const ArrheniusLine& line : r.TwoStage->Lines) {
      problem.Constants[line.Parameters.Index] = line.Parameters.RateAt(r.Temperatures[j]);
    }
    problem.Left = series[j].Data.Left;
    problem.Right = series[j].Data.Right;
    sum += WeightedSsr(problem, {});
  }
  return sum;
}

TEST_P(SeriesFitNoisy, MethodsAgreeAndTheGlobalFitIsNotWorseThanTheLines) {
  const TemperatureSeries series = Series();
  const SeriesResult r = Fit(series);
  ExpectMethodsAgree(r);
  EXPECT_TRUE(r.Global->Converged);
  const Real onLines = SsrOnTheLines(series, r);
  EXPECT_LE(r.Global->Ssr, onLines);
  Real singles = 0;
  for (const FitResult& fit : r.Single) singles += fit.After.Total;
  // Each project alone fits better than any line through all of them.
  EXPECT_LT(singles, r.Global->Ssr);
  // The statistics of one fit over every project.
  EXPECT_EQ(r.Global->N, 5 * 7 * 12);
  EXPECT_EQ(r.Global->Dof, 5 * 7 * 12 - 20);
  EXPECT_NEAR(r.Global->Sigma, std::sqrt(r.Global->Ssr / r.Global->Dof), 1e-12L);
  Real sum = 0;
  for (std::size_t j = 0; j < series.size(); ++j) {
    sum += r.Global->Sums[j].Total;
    for (const int fixed : {15, 16}) EXPECT_EQ(r.Global->K[j][fixed], series[j].Data.K[fixed]) << "k" << fixed;
    EXPECT_EQ(r.Global->K[j][6], 0);
    EXPECT_NEAR(r.Global->K[j][2], r.Global->Parameters[1].RateAt(r.Temperatures[j]), 1e-15L);
  }
  // The covariance of (ln k_ref, Ea) of k2, the second pathway, in its parameters.
  const ActivationParameters& k2 = r.Global->Parameters[1];
  EXPECT_NEAR(std::sqrt(r.Global->Covariance[2][2]), k2.LnKRefSe, 1e-12L * k2.LnKRefSe);
  EXPECT_NEAR(std::sqrt(r.Global->Covariance[3][3]), k2.EaSe, 1e-12L * k2.EaSe);
  EXPECT_NEAR(r.Global->Correlation[2][3], k2.CorrEaLnKRef, 1e-12L);
  EXPECT_NEAR(sum, r.Global->Ssr, 1e-12L * sum);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeriesFitNoisy,
                         testing::Values(NoisySeries{0.05L, 1}, NoisySeries{0.05L, 2}, NoisySeries{0.2L, 3},
                                         NoisySeries{0.2L, 4}, NoisySeries{0.5L, 5}));

// The stored series of tests/data, read from its files as a user would.
TEST(SeriesFitStoredSeries, MethodsAgreeOnTheFilesOfTheTestData) {
  const TemperatureSeries series = ReadSeries(std::string(ZAMO_TEST_DATA_DIR) + "/series/synthetic-series.zams");
  const SeriesResult r = Fit(series);
  ExpectMethodsAgree(r);
  EXPECT_LE(r.Global->Ssr, SsrOnTheLines(series, r));
  EXPECT_EQ(r.Global->Dof, 4 * 7 * 12 - 20);
}

// With species weighting every project's weights agree with the scatter of its own
// residuals at the global fit.
TEST(SeriesFitWeighting, SpeciesWeightsOfEachProjectAgreeWithItsGlobalResiduals) {
  const TemperatureSeries series = Displaced(MakeSyntheticSeries(Recipe({200, 210, 220}, 0.1L, 9), "w.zams"));
  SeriesSettings settings;
  settings.Weighting = FitWeighting::Species;
  const SeriesResult r = Fit(series, settings);
  ASSERT_TRUE(r.Global && r.Global->Sigmas);
  ExpectMethodsAgree(r);
  for (std::size_t j = 0; j < series.size(); ++j) {
    FitProblem problem;
    problem.Constants = r.Global->K[j];
    problem.Left = series[j].Data.Left;
    problem.Right = series[j].Data.Right;
    std::vector<Real> residuals(static_cast<std::size_t>(problem.ResidualCount()));
    ASSERT_FALSE(FitResiduals(problem, {}, residuals.data()));
    SpeciesValues squares{};
    for (std::size_t i = 0; i < residuals.size(); ++i)
      squares[static_cast<int>(i % 8) + 1] += residuals[i] * residuals[i];
    for (int s = 1; s <= 7; ++s) {  // H is the remainder of A..G and carries no weight
      const Real rms = std::max(std::sqrt(squares[s] / problem.RowCount()), 0.01L);
      EXPECT_NEAR((*r.Global->Sigmas)[j][s], rms, 1e-5L * rms) << "project " << j << " species " << s;
    }
  }
}

TEST(SeriesFitRefusals, NameTheConstantOrTheProject) {
  TemperatureSeries series = MakeSyntheticSeries(Recipe({200, 210, 220}, 0.1L, 2), "dir/r.zams");
  // k6 is 0 in the first project and free (by the default set) in the others.
  series[1].Data.K[6] = series[2].Data.K[6] = 1e-7L;
  EXPECT_EQ(Described([&] { Fit(series); }),
            "k6 is free in dir/r-210C.zam but 0 in dir/r-200C.zam; the global fit needs each constant free at every "
            "temperature or 0 at all");
  // The two-stage method fits k6 where it is free and puts no line through it.
  SeriesSettings twoStage;
  twoStage.Method = SeriesMethod::TwoStage;
  const SeriesResult r = Fit(series, twoStage);
  EXPECT_FALSE(r.Global.has_value());
  EXPECT_EQ(r.Pathways, (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 14}));
  EXPECT_NE(r.Single[1].K[6], 1e-7L);
  EXPECT_EQ(r.TwoStage->LineOf(6), nullptr);

  series[1].Data.Left.LastRow = series[1].Data.Right.LastRow = 0;
  EXPECT_EQ(Described([&] { Fit(series, twoStage); }),
            "dir/r-210C.zam: Nothing to fit: the experiments hold no measured row");
  series.pop_back();
  series.pop_back();
  EXPECT_EQ(Described([&] { Fit(series, twoStage); }),
            "A temperature series needs projects at two or more temperatures; it holds 1 project");
}

// A project with one experiment is fitted to that experiment alone.
TEST(SeriesFitExperiments, AProjectWithOneExperimentIsFittedToIt) {
  TemperatureSeries series = MakeSyntheticSeries(Recipe({200, 210, 220}, 0, 1), "one.zams");
  series[1].Data.Right.Present = false;
  for (SpeciesValues& row : series[1].Data.Right.Observed) row.Fill(0);
  const SeriesResult r = Fit(Displaced(series));
  EXPECT_FALSE(r.Single[1].After.Right.has_value());
  EXPECT_FALSE(r.Global->Sums[1].Right.has_value());
  EXPECT_EQ(r.Global->N, 7 * (12 + 6 + 12));
  EXPECT_LT(r.Global->Ssr, 1e-12L);
}

// The exact Jacobian of the global residuals against central differences, for pathways
// that include one that is 0 in the data.
TEST(SeriesFitResiduals, JacobianMatchesCentralDifferences) {
  const TemperatureSeries series = MakeSyntheticSeries(Recipe({195, 212, 230}, 0.1L, 3), "j.zams");
  std::vector<FitProblem> problems;
  std::vector<Real> kelvins;
  for (const SeriesProject& project : series) {
    FitProblem& problem = problems.emplace_back();
    problem.Constants = project.Data.K;
    problem.Left = project.Data.Left;
    problem.Right = project.Data.Right;
    problem.Free = {1, 6, 8, 14, 16};
    problem.Weight[3] = 2.5L;
    kelvins.push_back(project.Data.AbsoluteTemperature);
  }
  const Real tRef = 485;
  SeriesResidualFunction function(problems, kelvins, tRef);
  ASSERT_EQ(function.ParameterCount(), 10);
  ASSERT_EQ(function.ResidualCount(), 3 * 8 * 12);
  const std::vector<Real> x = {-13.5L, 175e3L, -16, 120e3L, -10.2L, 172e3L, -9.5L, 158e3L, -8.2L, 145e3L};
  const auto n = static_cast<std::size_t>(function.ResidualCount());
  std::vector<Real> value(n);
  std::vector<double> jacobian(n * x.size());
  ASSERT_TRUE(function.Evaluate(x, value.data(), jacobian.data()));
  std::vector<Real> plain(n);
  ASSERT_TRUE(function.Evaluate(x, plain.data()));
  EXPECT_EQ(plain, value);
  for (std::size_t p = 0; p < x.size(); ++p) {
    const Real h = p % 2 == 0 ? 1e-6L : 1e-3L;  // ln k_ref, Ea in J/mol
    std::vector<Real> up = x;
    std::vector<Real> down = x;
    up[p] += h;
    down[p] -= h;
    std::vector<Real> a(n);
    std::vector<Real> b(n);
    ASSERT_TRUE(function.Evaluate(up, a.data()));
    ASSERT_TRUE(function.Evaluate(down, b.data()));
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_NEAR(jacobian[i * x.size() + p] * h, (a[i] - b[i]) / 2, 1e-12L) << "residual " << i << " parameter " << p;
    }
  }
  // The pathway constants at each project follow the centred Arrhenius law.
  const std::vector<Real> k = function.ConstantsAt(x, 2);
  EXPECT_NEAR(k[3], std::exp(-9.5L + 158e3L / kGasConstant * (1 / tRef - 1 / kelvins[2])), 1e-18L);
}

// A stop in the global fit returns the parameters of the iteration it was asked in, not
// converged; a stop in a single fit ends the run before the lines.
TEST(SeriesFitControl, StopReturnsWhatWasReached) {
  const TemperatureSeries series = Displaced(MakeSyntheticSeries(Recipe({200, 210, 220}, 0.5L, 6), "stop.zams"));
  std::atomic<bool> stop{false};
  Real reportedSsr = 0;
  int globalReports = 0;
  std::vector<std::size_t> projects;
  const SeriesProgressSink progress = [&](const SeriesProgress& p) {
    if (p.Stage == SeriesStage::SingleFit) {
      if (projects.empty() || projects.back() != p.Project) projects.push_back(p.Project);
      return;
    }
    EXPECT_EQ(p.Iteration, globalReports++);
    reportedSsr = p.WeightedSsr;
    if (p.Iteration == 1) stop = true;
  };
  const SeriesResult r = FitSeries({}, series, progress, stop);
  EXPECT_EQ(projects, (std::vector<std::size_t>{0, 1, 2}));
  ASSERT_TRUE(r.Global.has_value());
  EXPECT_TRUE(r.Stopped);
  EXPECT_FALSE(r.Global->Converged);
  EXPECT_EQ(globalReports, 2);
  EXPECT_EQ(r.Global->Iterations, 2);
  EXPECT_NEAR(r.Global->WeightedSsr, reportedSsr, 1e-9L);
  EXPECT_LE(r.Global->Ssr, SsrOnTheLines(series, r));

  stop = false;
  const SeriesProgressSink stopInSecond = [&](const SeriesProgress& p) {
    if (p.Stage == SeriesStage::SingleFit && p.Project == 1) stop = true;
  };
  const SeriesResult early = FitSeries({}, series, stopInSecond, stop);
  EXPECT_TRUE(early.Stopped);
  EXPECT_EQ(early.Single.size(), 2u);
  EXPECT_FALSE(early.Single[1].Converged);
  EXPECT_FALSE(early.TwoStage.has_value());
  EXPECT_FALSE(early.Global.has_value());
}

}  // namespace
}  // namespace zamo
