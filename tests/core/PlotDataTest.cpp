#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "model/IsoprCalcConc.h"
#include "optimize/PlotData.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

PlotData Build(const KineticProject& project, PlotExperiments experiments, int intervals, bool log = false,
               const PlotFit* fit = nullptr, bool band = true) {
  PlotOptions options;
  options.Experiments = experiments, options.LogTime = log, options.Band = band;
  return BuildPlotData(project, options, fit, intervals);
}

// The rows from row 1 (the start row is no measurement), in percent.
TEST(PlotData, RowsHoldObservedCalculatedAndResidualInPercentFromRowOne) {
  const KineticProject project = Example(Side::Right);
  const Experiment& right = project.Right;
  const ExperimentPlot plot = Build(project, PlotExperiments::Right, 11).Experiments.at(0);
  ASSERT_EQ(plot.Rows.size(), static_cast<std::size_t>(right.LastRow));
  for (const std::size_t j : {std::size_t{1}, std::size_t{5}, static_cast<std::size_t>(right.LastRow)}) {
    const PlotRow& row = plot.Rows[j - 1];
    EXPECT_EQ(row.Time, right.Times[j]);
    const Concentrations c = CalcConc(project.Coefficients, Side::Right, right.Times[j]);
    for (int s = 1; s <= kSpeciesCount; ++s) {
      EXPECT_EQ(row.Observed[s], 100 * right.Observed[j][s]) << "row " << j << " species " << s;
      EXPECT_NEAR(row.Calculated[s], 100 * c[s], 1e-12L);
      EXPECT_NEAR(row.Residual[s], 100 * (right.Observed[j][s] - c[s]), 1e-12L);
    }
  }
}

// Even steps on a linear axis from 0 to 4 % past the last time, even ratios on a logarithmic
// one from a tenth of the first positive time to twice the last.
TEST(PlotData, CurvesAreTheSolutionInPercentOverTheTimeAxis) {
  const KineticProject project = Example();
  const Real first = project.Left.Times[1], last = project.Left.Times[static_cast<std::size_t>(project.Left.LastRow)];
  for (const auto& [log, low, high] : {std::tuple{false, 0.0L, last * 1.04L}, std::tuple{true, first / 10, last * 2}}) {
    const ExperimentPlot plot = Build(project, PlotExperiments::Shown, 5, log).Experiments.at(0);
    ASSERT_TRUE(plot.Times.size() == 5u && plot.Curves.size() == 5u);
    EXPECT_TRUE(std::fabs(plot.Times.front() - low) < 1e-9L && std::fabs(plot.Times.back() - high) < 1e-9L) << log;
    const Real step1 = log ? plot.Times[1] / plot.Times[0] : plot.Times[1] - plot.Times[0];
    const Real step3 = log ? plot.Times[4] / plot.Times[3] : plot.Times[4] - plot.Times[3];
    EXPECT_NEAR(step1, step3, 1e-9L * step1) << log;
    for (std::size_t i = 0; i < plot.Times.size(); ++i) {
      const Concentrations expected = CalcConc(project.Coefficients, Side::Left, plot.Times[i]);
      for (int s = 1; s <= kSpeciesCount; ++s) EXPECT_NEAR(plot.Curves[i][s], 100 * expected[s], 1e-12L) << log;
    }
  }
}

// With the right experiment shown.
TEST(PlotData, ExperimentsFollowTheChoiceAndTheShownOne) {
  const KineticProject project = Example(Side::Right);
  for (const auto& [choice, drawn] : std::initializer_list<std::pair<PlotExperiments, std::vector<Side>>>{
           {PlotExperiments::Shown, {Side::Right}},
           {PlotExperiments::Left, {Side::Left}},
           {PlotExperiments::Both, {Side::Left, Side::Right}}}) {
    std::vector<Side> which;
    for (const ExperimentPlot& plot : Build(project, choice, 3).Experiments) which.push_back(plot.Which);
    EXPECT_EQ(which, drawn);
    EXPECT_EQ(Build(project, choice, 3).Experiments.back().ReactantName,
              drawn.back() == Side::Left ? "1,3,3-Trimethylcyclopropene" : "1-Isopropylcyclopropene");
  }
}

// An absent experiment has no rows; one without a positive time a default span.
TEST(PlotData, AbsentOrEmptyExperiments) {
  KineticProject project = Example();
  project.Left.Present = false;
  EXPECT_TRUE(Build(project, PlotExperiments::Shown, 3).Experiments.at(0).Rows.empty());
  project.Left.LastRow = 0;
  for (const bool log : {false, true}) {
    const ExperimentPlot plot = Build(project, PlotExperiments::Shown, 3, log).Experiments.at(0);
    EXPECT_EQ(plot.TimeSpan, (log ? std::array<Real, 2>{1, 600} : std::array<Real, 2>{0, 60}));
  }
}

// The band, in percent and 0 at the start, belongs only to the fitted constants and
// measurements; so do the outliers the fit named.
TEST(PlotBand, BelongsOnlyToTheFittedConstantsAndMeasurements) {
  KineticProject project = Example();
  FitSettings settings;
  settings.Free = DefaultFreeSet(project.K, false);
  const std::atomic<bool> stop{false};
  PlotFit fit =
      FitOfProject(FitRateConstants(settings, {project.K, project.Left, project.Right}, nullptr, stop), project);
  fit.Fit.Outliers = {{Side::Left, 2, 1, 3, 5, 4.5L}};
  project.K = fit.Fit.K;
  const ExperimentPlot plot = Build(project, PlotExperiments::Shown, 6, false, &fit).Experiments.at(0);
  ASSERT_EQ(plot.Band.size(), plot.Times.size());
  EXPECT_EQ(plot.Band[0][1], 0);
  EXPECT_TRUE(plot.Band[3][1] > 1e-3L && plot.Band[3][1] < 20);
  EXPECT_TRUE(plot.Rows.at(1).Outlier[3] && !plot.Rows.at(1).Outlier[2] && !plot.Rows.at(2).Outlier[3]);
  EXPECT_TRUE(Build(project, PlotExperiments::Shown, 4, false, &fit, false).Experiments.at(0).Band.empty());
  project.Right.Observed[3][2] += 0.001L;
  const ExperimentPlot other = Build(project, PlotExperiments::Shown, 4, false, &fit).Experiments.at(0);
  EXPECT_TRUE(other.Band.empty() && !other.Rows.at(1).Outlier[3]);
}

// A picture's format follows its extension in any case; a time unit reads back its symbol.
TEST(PictureNames, FormatsAndTimeUnitsFromTheirNames) {
  const std::vector<std::pair<std::string, std::optional<PictureFormat>>> cases = {
      {"plot.png", PictureFormat::Png},  {"a/b.PNG", PictureFormat::Png}, {"x.Svg", PictureFormat::Svg},
      {"x.svg.pdf", PictureFormat::Pdf}, {"plot.bmp", std::nullopt},      {"png", std::nullopt},
      {"dir.png/file", std::nullopt},    {"plot.png.", std::nullopt},     {"", std::nullopt},
  };
  for (const auto& [path, format] : cases) EXPECT_EQ(PictureFormatOfPath(path), format) << path;
  for (const auto& [symbol, seconds] : {std::pair{"s", 1}, std::pair{"min", 60}, std::pair{"h", 3600}}) {
    EXPECT_EQ(SecondsPer(TimeUnitOfSymbol(symbol).value()), seconds);
  }
  EXPECT_FALSE(TimeUnitOfSymbol("d") || TimeUnitOfSymbol("MIN"));
}

}  // namespace
}  // namespace zamo
