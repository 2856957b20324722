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
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// The example series' pathways at the given temperatures, noise and seed, every free constant
// moved by its own factor between 1/2 and 2 so that no fit starts at the answer.
TemperatureSeries Series(std::vector<Real> celsius, Real noise, std::uint64_t seed, bool displaced = true) {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = std::move(celsius);
  recipe.Noise = noise;
  recipe.Seed = seed;
  TemperatureSeries series = MakeSyntheticSeries(recipe, "dir/r.zams");
  int n = 0;
  for (SeriesProject& project : series) {
    for (int i = 1; displaced && i <= 14; ++i) project.Data.K[i] *= std::pow(2.0L, std::sin(3.0L * ++n));
  }
  return series;
}

SeriesResult Fit(const TemperatureSeries& series, SeriesSettings settings = {}) {
  const std::atomic<bool> stop{false};
  return FitSeries(settings, series, nullptr, stop);
}

// The weighted line by the textbook formulas in the uncentred variable u = 1 / T.
TEST(ArrheniusLine, MatchesTheTextbookWeightedRegression) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  const std::vector<RatePoint> points = {
      {450, 2.0e-6L, 1.0e-7L}, {480, 3.1e-5L, 4.0e-6L}, {510, 3.3e-4L, 1.2e-5L}, {495, 0, 1e-6L}, {470, 1e-5L, nan}};
  Real s = 0, su = 0, suu = 0, sy = 0, suy = 0;
  for (std::size_t j = 0; j < 3; ++j) {
    const Real w = std::pow(points[j].K / points[j].Se, 2), u = 1 / points[j].Kelvin, y = std::log(points[j].K);
    s += w, su += w * u, suu += w * u * u, sy += w * y, suy += w * u * y;
  }
  const Real delta = s * suu - su * su;
  const Real slope = (s * suy - su * sy) / delta;
  const Real lnA = (suu * sy - su * suy) / delta;
  Real chi2 = 0;
  for (std::size_t j = 0; j < 3; ++j)
    chi2 += std::pow(points[j].K / points[j].Se * (std::log(points[j].K) - lnA - slope / points[j].Kelvin), 2);
  const std::optional<ArrheniusLine> line = FitArrheniusLine(7, points, 478);
  ASSERT_TRUE(line.has_value());
  const ActivationParameters& p = line->Parameters;
  EXPECT_EQ(line->Dof, 1);
  EXPECT_NEAR(line->ChiSquared, chi2, 1e-9L * chi2);
  EXPECT_NEAR(p.Ea, -kGasConstant * slope, 1e-12L * p.Ea);
  EXPECT_NEAR(p.LnA, lnA, 1e-12L * std::fabs(lnA));
  EXPECT_NEAR(p.EaSe, kGasConstant * std::sqrt(s / delta), 1e-9L * p.EaSe);
  EXPECT_NEAR(p.LnASe, std::sqrt(suu / delta), 1e-9L * p.LnASe);
  EXPECT_FALSE(FitArrheniusLine(7, {points[0], points[3], points[4]}, 478).has_value());
  // Ten times smaller errors than the scatter allows: the covariance is scaled by chi2 / dof.
  std::vector<RatePoint> tight(points.begin(), points.begin() + 3);
  for (RatePoint& point : tight) point.Se /= 10;
  const std::optional<ArrheniusLine> scaled = FitArrheniusLine(7, tight, 478);
  EXPECT_EQ(line->SeScale, 1);
  EXPECT_NEAR(scaled->SeScale, std::sqrt(100 * chi2), 1e-9L);
  EXPECT_NEAR(scaled->Parameters.EaSe, p.EaSe / 10 * scaled->SeScale, 1e-9L * p.EaSe);
}

TEST(ArrheniusLine, FlagsNameWhatMakesAPathwayDoubtful) {
  SeriesResult result;
  result.Single.resize(3);
  result.Single[0].AtBound = result.Single[1].AtBound = result.Single[2].Undetermined = {3};
  result.Global.emplace().Undetermined = {3};
  ActivationParameters p;
  p.Index = 3, p.Ea = 700e3L, p.EaSe = 800e3L;
  ArrheniusLine line;
  line.Dof = 0, line.SeScale = 1.5L;
  EXPECT_EQ(PathwayFlags(result, p, nullptr),
            (std::vector<std::string>{"not determined", "at its bound at 2 of 3 temperatures",
                                      "not determined at 1 of 3 temperatures", "SE larger than the value",
                                      "Ea outside 0..600 kJ/mol"}));
  EXPECT_EQ(PathwayFlags(result, p, &line).back(), "SE scaled by sqrt(chi2/dof) = 1.50");
  p.Index = 2, p.Ea = 150e3L, p.EaSe = 1e3L;
  EXPECT_TRUE(PathwayFlags(result, p, nullptr).empty());
  line.SeScale = 1;
  EXPECT_EQ(PathwayFlags(result, p, &line), std::vector<std::string>{"two-stage line with 0 dof"});
}

// Data made from known activation parameters without noise give them back by both methods.
TEST(SeriesFitNoiseFree, BothMethodsRecoverTheGeneratingParameters) {
  const SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  const SeriesResult r = Fit(Series({200, 205, 210, 215, 220}, 0, 1));
  ASSERT_TRUE(r.TwoStage && r.Global);
  ASSERT_EQ(r.Global->Parameters.size(), r.Pathways.size());
  for (std::size_t n = 0; n < r.Pathways.size(); ++n) {
    const int i = r.Pathways[n];
    for (const ActivationParameters& p : {r.TwoStage->Lines[n].Parameters, r.Global->Parameters[n]}) {
      EXPECT_NEAR(p.Ea, recipe.Ea[i], 1e-6L * recipe.Ea[i]) << "k" << i;
      EXPECT_NEAR(std::exp(p.LnA), recipe.A[i], 1e-6L * recipe.A[i]) << "k" << i;
    }
  }
  EXPECT_NEAR(1 / r.ReferenceTemperature, (1 / 473.15L + 1 / 478.15L + 1 / 483.15L + 1 / 488.15L + 1 / 493.15L) / 5,
              1e-18L);
}

// The sum over the projects of the single fits' SSR at the constants of the two-stage lines.
Real SsrOnTheLines(const TemperatureSeries& series, const SeriesResult& r) {
  Real sum = 0;
  for (std::size_t j = 0; j < series.size(); ++j) {
    FitProblem problem{
        .Constants = r.Single[j].K, .Free = {}, .Left = series[j].Data.Left, .Right = series[j].Data.Right};
    for (const ArrheniusLine& line : r.TwoStage->Lines) {
      problem.Constants[line.Parameters.Index] = line.Parameters.RateAt(r.Temperatures[j]);
    }
    sum += WeightedSsr(problem, {});
  }
  return sum;
}

// On noisy data the two methods agree within each other's 95 % intervals, and the global fit
// lies between the single fits and the two-stage lines it starts from.
class SeriesFitNoisy : public testing::TestWithParam<std::pair<Real, int>> {};

TEST_P(SeriesFitNoisy, MethodsAgreeAndTheGlobalFitIsNotWorseThanTheLines) {
  const TemperatureSeries series = Series({200, 205, 210, 215, 220}, GetParam().first, GetParam().second);
  const SeriesResult r = Fit(series);
  ASSERT_TRUE(r.TwoStage && r.Global);
  const Real z = 1.959963984540054L;  // the two-stage weights are variances: normal quantile
  const Real t = StudentQuantile(0.975L, r.Global->Dof);
  for (const ActivationParameters& g : r.Global->Parameters) {
    const ActivationParameters& s = r.TwoStage->LineOf(g.Index)->Parameters;
    EXPECT_LE(std::fabs(g.Ea - s.Ea), std::min(z * s.EaSe, t * g.EaSe)) << "k" << g.Index;
    EXPECT_LE(std::fabs(g.LnA - s.LnA), std::min(z * s.LnASe, t * g.LnASe)) << "k" << g.Index;
  }
  EXPECT_LE(r.Global->Ssr, SsrOnTheLines(series, r));
  Real singles = 0;
  for (const FitResult& fit : r.Single) singles += fit.After.Total;
  EXPECT_LT(singles, r.Global->Ssr);
  EXPECT_EQ(r.Global->Dof, 5 * 7 * 12 - 20);
  for (std::size_t j = 0; j < series.size(); ++j) {
    EXPECT_EQ(r.Global->K[j][6], 0);
    EXPECT_NEAR(r.Global->K[j][2], r.Global->Parameters[1].RateAt(r.Temperatures[j]), 1e-15L);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeriesFitNoisy,
                         testing::Values(std::pair<Real, int>{0.05L, 1}, std::pair<Real, int>{0.2L, 3},
                                         std::pair<Real, int>{0.5L, 5}));

TEST(SeriesFitRefusals, NameTheConstantOrTheProject) {
  TemperatureSeries series = Series({200, 210, 220}, 0.1L, 2, false);
  series[1].Data.K[6] = series[2].Data.K[6] = 1e-7L;  // 0 in the first project only
  EXPECT_THROW_MSG(Fit(series), ZamoError,
                   "k6 is free in dir/r-210C.zam but 0 in dir/r-200C.zam; the global fit needs each constant free "
                   "at every temperature or 0 at all");
  // The two-stage method fits k6 where it is free and puts no line through it.
  const SeriesSettings twoStage{.Method = SeriesMethod::TwoStage, .Free = {}};
  const SeriesResult r = Fit(series, twoStage);
  EXPECT_FALSE(r.Global.has_value());
  EXPECT_EQ(r.Pathways, (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 14}));
  EXPECT_NE(r.Single[1].K[6], 1e-7L);
  series[1].Data.Left.LastRow = series[1].Data.Right.LastRow = 0;
  EXPECT_THROW_DESCRIBED(Fit(series, twoStage), ZamoError,
                         "dir/r-210C.zam: Nothing to fit: the experiments hold no measured row");
  series.resize(1);
  EXPECT_THROW_MSG(Fit(series, twoStage), ZamoError,
                   "A temperature series needs projects at two or more temperatures; it holds 1 project");
}

TEST(SeriesFitExperiments, AProjectWithOneExperimentIsFittedToIt) {
  TemperatureSeries series = Series({200, 210, 220}, 0, 1);
  series[1].Data.Right.Present = false;
  for (SpeciesValues& row : series[1].Data.Right.Observed) row.Fill(0);
  EXPECT_EQ(Fit(series).Global->N, 7 * (12 + 6 + 12));
}

// A stop in the global fit returns the parameters of the iteration it was asked in, not
// converged; a stop in a single fit ends the run before the lines.
TEST(SeriesFitControl, StopReturnsWhatWasReached) {
  const TemperatureSeries series = Series({200, 210, 220}, 0.5L, 6);
  std::atomic<bool> stop{false};
  Real reportedSsr = 0;
  int globalReports = 0;
  const SeriesProgressSink progress = [&](const SeriesProgress& p) {
    if (p.Stage == SeriesStage::SingleFit) return;
    EXPECT_EQ(p.Iteration, globalReports++);
    reportedSsr = p.WeightedSsr;
    if (p.Iteration == 1) stop = true;
  };
  const SeriesResult r = FitSeries({}, series, progress, stop);
  ASSERT_TRUE(r.Stopped && r.Global.has_value());
  EXPECT_EQ(r.Global->Iterations, 2);
  EXPECT_NEAR(r.Global->WeightedSsr, reportedSsr, 1e-9L);

  stop = false;
  const SeriesProgressSink stopInSecond = [&](const SeriesProgress& p) {
    if (p.Stage == SeriesStage::SingleFit && p.Project == 1) stop = true;
  };
  const SeriesResult early = FitSeries({}, series, stopInSecond, stop);
  EXPECT_TRUE(early.Stopped);
  EXPECT_EQ(early.Single.size(), 2u);
  EXPECT_FALSE(early.TwoStage.has_value());
}

}  // namespace
}  // namespace zamo
