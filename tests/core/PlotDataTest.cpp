// What the plot window and zamo-cli plot draw: rows, residuals, time axes, curves, the
// experiments chosen and the fit's band, checked against the solver evaluated on its own.

#include <gtest/gtest.h>

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

Concentrations Solved(const KineticProject& project, Side side, Real t) {
  CoefficientSet set;
  EXPECT_TRUE(TryPrepareCoefficients(project.K, set));
  return CalcConc(set, side, t);
}

TEST(PlotData, RowsHoldObservedCalculatedAndResidualInPercentFromRowOne) {
  const KineticProject project = test::Example(Side::Right);
  PlotOptions options;
  options.Experiments = PlotExperiments::Right;
  const PlotData data = BuildPlotData(project, options, nullptr, 11);
  ASSERT_EQ(data.Experiments.size(), 1u);
  const ExperimentPlot& plot = data.Experiments[0];
  const Experiment& right = project.Right;
  // The start row is no measurement.
  ASSERT_EQ(plot.Rows.size(), static_cast<std::size_t>(right.LastRow));
  for (const int j : {1, 5, right.LastRow}) {
    const PlotRow& row = plot.Rows[static_cast<std::size_t>(j - 1)];
    const auto t = static_cast<Real>(right.Times[static_cast<std::size_t>(j)]);
    EXPECT_EQ(row.Time, t);
    const Concentrations c = Solved(project, Side::Right, t);
    for (int s = 1; s <= kSpeciesCount; ++s) {
      const Real observed = right.Observed[static_cast<std::size_t>(j)][s];
      EXPECT_EQ(row.Observed[s], 100 * observed) << "row " << j << " species " << s;
      EXPECT_NEAR(static_cast<double>(row.Calculated[s]), static_cast<double>(100 * c[s]), 1e-12);
      EXPECT_NEAR(static_cast<double>(row.Residual[s]), static_cast<double>(100 * (observed - c[s])), 1e-12);
    }
  }
}

TEST(PlotData, CurvesAreTheSolutionInPercentOverTheTimeAxis) {
  const KineticProject project = test::Example();
  const Real last = static_cast<Real>(project.Left.Times[static_cast<std::size_t>(project.Left.LastRow)]);
  struct Case {
    bool Log;
    Real Low;
    Real High;
  };
  const Real firstPositive = static_cast<Real>(project.Left.Times[1]);
  ASSERT_GT(firstPositive, 0);
  for (const Case& c : {Case{false, 0, last * 1.04L}, Case{true, firstPositive / 10, last * 2}}) {
    SCOPED_TRACE(c.Log ? "logarithmic" : "linear");
    PlotOptions options;
    options.LogTime = c.Log;
    const PlotData data = BuildPlotData(project, options, nullptr, 5);
    const ExperimentPlot& plot = data.Experiments.at(0);
    EXPECT_NEAR(static_cast<double>(plot.TimeSpan[0]), static_cast<double>(c.Low), 1e-9);
    EXPECT_NEAR(static_cast<double>(plot.TimeSpan[1]), static_cast<double>(c.High), 1e-9);
    ASSERT_EQ(plot.Times.size(), 5u);
    ASSERT_EQ(plot.Curves.size(), 5u);
    EXPECT_EQ(plot.Times.front(), plot.TimeSpan[0]);
    EXPECT_EQ(plot.Times.back(), plot.TimeSpan[1]);
    // Even steps on a linear axis, even ratios on a logarithmic one.
    const Real step1 = c.Log ? plot.Times[1] / plot.Times[0] : plot.Times[1] - plot.Times[0];
    const Real step3 = c.Log ? plot.Times[4] / plot.Times[3] : plot.Times[4] - plot.Times[3];
    EXPECT_NEAR(static_cast<double>(step1), static_cast<double>(step3), 1e-9 * static_cast<double>(step1));
    for (std::size_t i = 0; i < plot.Times.size(); ++i) {
      const Concentrations expected = Solved(project, Side::Left, plot.Times[i]);
      Real sum = 0;
      for (int s = 1; s <= kSpeciesCount; ++s) {
        EXPECT_NEAR(static_cast<double>(plot.Curves[i][s]), static_cast<double>(100 * expected[s]), 1e-12);
        sum += plot.Curves[i][s];
      }
      EXPECT_NEAR(static_cast<double>(sum), 100.0, 1e-12);
    }
  }
}

TEST(PlotData, ExperimentsFollowTheChoiceAndTheShownOne) {
  struct Case {
    PlotExperiments Choice;
    Side Shown;
    std::vector<Side> Drawn;
  };
  const std::vector<Case> cases = {
      {PlotExperiments::Shown, Side::Left, {Side::Left}},
      {PlotExperiments::Shown, Side::Right, {Side::Right}},
      {PlotExperiments::Left, Side::Right, {Side::Left}},
      {PlotExperiments::Right, Side::Left, {Side::Right}},
      {PlotExperiments::Both, Side::Right, {Side::Left, Side::Right}},
  };
  for (const Case& c : cases) {
    const KineticProject project = test::Example(c.Shown);
    PlotOptions options;
    options.Experiments = c.Choice;
    const PlotData data = BuildPlotData(project, options, nullptr, 3);
    ASSERT_EQ(data.Experiments.size(), c.Drawn.size());
    for (std::size_t n = 0; n < c.Drawn.size(); ++n) {
      EXPECT_EQ(data.Experiments[n].Which, c.Drawn[n]);
      EXPECT_EQ(data.Experiments[n].ReactantName,
                c.Drawn[n] == Side::Left ? "1,3,3-Trimethylcyclopropene" : "1-Isopropylcyclopropene");
      EXPECT_EQ(data.Experiments[n].Rows.size(), static_cast<std::size_t>(project.ExperimentOf(c.Drawn[n]).LastRow));
    }
  }
}

TEST(PlotData, AnAbsentExperimentHasCurvesButNoRows) {
  KineticProject project = test::Example();
  project.Left.Present = false;
  const PlotData data = BuildPlotData(project, PlotOptions{}, nullptr, 3);
  EXPECT_TRUE(data.Experiments.at(0).Rows.empty());
  EXPECT_EQ(data.Experiments.at(0).Curves.size(), 3u);
}

TEST(PlotData, ExperimentWithoutPositiveTimeGetsADefaultSpan) {
  KineticProject project = test::Example();
  project.Left.LastRow = 0;
  for (const bool log : {false, true}) {
    PlotOptions options;
    options.LogTime = log;
    const ExperimentPlot plot = BuildPlotData(project, options, nullptr, 3).Experiments.at(0);
    EXPECT_EQ(plot.TimeSpan[0], log ? 1 : 0);
    EXPECT_EQ(plot.TimeSpan[1], log ? 600 : 60);
  }
}

class PlotBand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const KineticProject project = test::Example();
    FitSettings settings;
    settings.Free = DefaultFreeSet(project.K, false);
    const std::atomic<bool> stop{false};
    fit_ = FitOfProject(FitRateConstants(settings, {project.K, project.Left, project.Right}, nullptr, stop), project);
  }
  static void TearDownTestSuite() { fit_.reset(); }

  // The example with the fitted constants in place.
  static KineticProject Fitted() {
    KineticProject project = test::Example();
    project.K = fit_->Fit.K;
    return project;
  }

  static std::optional<PlotFit> fit_;
};

std::optional<PlotFit> PlotBand::fit_;

TEST_F(PlotBand, BelongsOnlyToTheFittedConstantsAndMeasurements) {
  EXPECT_FALSE(FitIsCurrent(*fit_, test::Example()));
  KineticProject project = Fitted();
  EXPECT_TRUE(FitIsCurrent(*fit_, project));
  EXPECT_FALSE(BuildPlotData(project, PlotOptions{}, &*fit_, 4).Experiments.at(0).Band.empty());

  KineticProject otherData = project;
  otherData.Right.Observed[3][2] += 0.001L;
  EXPECT_FALSE(FitIsCurrent(*fit_, otherData));
  EXPECT_TRUE(BuildPlotData(otherData, PlotOptions{}, &*fit_, 4).Experiments.at(0).Band.empty());

  PlotOptions noBand;
  noBand.Band = false;
  EXPECT_TRUE(BuildPlotData(project, noBand, &*fit_, 4).Experiments.at(0).Band.empty());
}

TEST_F(PlotBand, HalfWidthsArePercentAndVanishAtTheStart) {
  const KineticProject project = Fitted();
  PlotOptions options;
  options.Experiments = PlotExperiments::Both;
  const PlotData data = BuildPlotData(project, options, &*fit_, 6);
  for (const ExperimentPlot& plot : data.Experiments) {
    ASSERT_EQ(plot.Band.size(), plot.Times.size());
    // At time 0 the start is pure A or B whatever the constants.
    for (int s = 1; s <= kSpeciesCount; ++s) EXPECT_NEAR(static_cast<double>(plot.Band[0][s]), 0.0, 1e-12);
    // Later the band has a width, of a plausible size in percent (not in fractions).
    const Real half = plot.Band[3][plot.Which == Side::Left ? 1 : 2];
    EXPECT_GT(half, 1e-3L);
    EXPECT_LT(half, 20);
  }
}

// The rows the fit named outliers are marked, only while the fit is the project's.
TEST_F(PlotBand, OutliersOfTheCurrentFitAreMarked) {
  KineticProject project = Fitted();
  PlotFit fit = *fit_;
  fit.Fit.Outliers = {{Side::Left, 2, 1, 3, 5, 4.5L}};
  PlotOptions options;
  options.Experiments = PlotExperiments::Left;
  const auto marked = [&](const KineticProject& p) {
    int count = 0;
    const PlotData plot = BuildPlotData(p, options, &fit, 4);
    for (const PlotRow& row : plot.Experiments.at(0).Rows) {
      for (int s = 1; s <= kSpeciesCount; ++s) count += row.Outlier[s] ? 1 : 0;
    }
    return count;
  };
  EXPECT_EQ(marked(project), 1);
  EXPECT_TRUE(BuildPlotData(project, options, &fit, 4).Experiments.at(0).Rows.at(1).Outlier[3]);
  project.K[2] *= 2;
  EXPECT_EQ(marked(project), 0);
}

TEST(PictureNames, FormatFollowsTheExtensionInAnyCase) {
  const std::vector<std::pair<std::string, std::optional<PictureFormat>>> cases = {
      {"plot.png", PictureFormat::Png},  {"a/b.PNG", PictureFormat::Png}, {"x.Svg", PictureFormat::Svg},
      {"x.svg.pdf", PictureFormat::Pdf}, {"plot.bmp", std::nullopt},      {"png", std::nullopt},
      {"dir.png/file", std::nullopt},    {"plot.png.", std::nullopt},     {"", std::nullopt},
  };
  for (const auto& [path, format] : cases) EXPECT_EQ(PictureFormatOfPath(path), format) << path;
}

TEST(PictureNames, TimeUnitsReadBackTheirSymbols) {
  for (const auto& [symbol, seconds] : {std::pair{"s", 1}, std::pair{"min", 60}, std::pair{"h", 3600}}) {
    const std::optional<TimeUnit> unit = TimeUnitOfSymbol(symbol);
    ASSERT_TRUE(unit) << symbol;
    EXPECT_EQ(SecondsPer(*unit), seconds);
  }
  EXPECT_FALSE(TimeUnitOfSymbol("d"));
  EXPECT_FALSE(TimeUnitOfSymbol("MIN"));
}

}  // namespace
}  // namespace zamo
