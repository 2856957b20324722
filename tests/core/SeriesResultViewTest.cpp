#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "document/SyntheticSeries.h"
#include "optimize/SeriesFit.h"
#include "optimize/SeriesPlotData.h"
#include "optimize/SeriesTables.h"

namespace zamo {
namespace {

// A series of three temperatures (noise, or none and started off the answer so that each fit
// ends with the rounding scatter of its data), fitted by both methods.
SeriesResult Fitted(Real noise) {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = {200, 210, 220}, recipe.Seed = 7, recipe.Noise = noise;
  TemperatureSeries series = MakeSyntheticSeries(recipe, "/tmp/view.zams");
  for (SeriesProject& project : series) {
    for (int i = 1; noise == 0 && i <= 14; ++i) project.Data.K[i] *= 1.2L;
  }
  const std::atomic<bool> stop{false};
  return FitSeries({}, series, nullptr, stop);
}

const SeriesResult& Noisy() {
  static const SeriesResult result = Fitted(0.1L);
  return result;
}

// The copied text read back as a spreadsheet would: every number at its column, to eight
// significant digits.
TEST(SeriesTables, TabSeparatedTextReadsBackAsTheResults) {
  const SeriesResult& result = Noisy();
  ASSERT_TRUE(result.TwoStage && result.Global);
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(SeriesResultTsv(result));
  for (std::string line; std::getline(in, line);) {
    std::istringstream cells(line);
    lines.emplace_back();
    for (std::string cell; std::getline(cells, cell, '\t');) lines.back().push_back(cell);
  }
  const auto expectCell = [](const std::string& cell, Real value) {
    EXPECT_NEAR(std::stold(cell), value, std::fabs(value) * 1e-7L + 1e-12L) << cell;
  };
  const std::size_t rows = result.TwoStage->Lines.size() + result.Global->Parameters.size();
  ASSERT_EQ(lines.size(), rows + 3 + result.Single.size());
  EXPECT_TRUE(lines[0][0] == "Method" && lines[0][2] == "Ea (kJ/mol)");
  const ArrheniusLine& first = result.TwoStage->Lines.front();
  EXPECT_EQ(lines[1][1], "k" + std::to_string(first.Parameters.Index));
  expectCell(lines[1][2], first.Parameters.Ea / 1000);
  expectCell(lines[1][8], first.Parameters.DeltaS);
  expectCell(lines[1][13], result.ReferenceTemperature);
  EXPECT_EQ(lines[1][15], std::to_string(first.Dof));
  const ActivationParameters& last = result.Global->Parameters.back();
  EXPECT_TRUE(lines[rows][0] == "global" && lines[rows][1] == "k" + std::to_string(last.Index));
  expectCell(lines[rows][7], last.DeltaHSe / 1000);
  EXPECT_EQ(lines[rows][14], "");  // no chi-squared for the global fit
  // The single fits: per temperature each constant and its SE.
  const auto& header = lines[rows + 2];
  const FitResult& hottest = result.Single.back();
  expectCell(lines.back()[1], hottest.After.Total);
  const auto column = static_cast<std::size_t>(std::find(header.begin(), header.end(), "k2") - header.begin());
  ASSERT_LT(column + 1, header.size());
  EXPECT_EQ(header[column + 1], "SE k2");
  expectCell(lines.back()[column], hottest.K[2]);
  expectCell(lines.back()[column + 1], hottest.StandardError[1]);
}

TEST(SeriesTables, OneMethodHasOnlyItsRowsAndUndeterminedValuesAreEmpty) {
  SeriesResult result = Noisy();
  result.Method = SeriesMethod::Global;
  for (const auto& row : ActivationTable(result).Rows) EXPECT_EQ(row[0], "global");
  EXPECT_EQ(ActivationTable(result).Rows.size(), result.Global->Parameters.size());
  result.Method = SeriesMethod::TwoStage;
  result.Global.reset();
  result.TwoStage->Lines.front().Parameters.EaSe = std::numeric_limits<Real>::quiet_NaN();
  const SeriesTable table = ActivationTable(result);
  ASSERT_EQ(table.Rows.size(), result.TwoStage->Lines.size());
  EXPECT_TRUE(table.Rows.front()[3].empty() && !table.Rows.front()[2].empty());
}

// A noise-free series puts every point on both methods' lines, in either plot; the error bar
// is SE / k. The Eyring line is the tangent of the Arrhenius law at T_ref: off it by the
// curvature of ln T over the series' 20 K, below 1e-3.
TEST(SeriesPlotData, PointsOfANoiseFreeSeriesLieOnTheLines) {
  const SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  const SeriesResult result = Fitted(0);
  for (const SeriesPlotKind kind : {SeriesPlotKind::Arrhenius, SeriesPlotKind::Eyring}) {
    const SeriesPlotData data = MakeSeriesPlotData(result, kind);
    EXPECT_TRUE(std::fabs(data.XMin - 1000 / 493.15L) < 1e-15L && std::fabs(data.XMax - 1000 / 473.15L) < 1e-15L);
    ASSERT_EQ(data.Pathways.size(), result.Pathways.size());
    for (const SeriesPlotPathway& pathway : data.Pathways) {
      const int i = pathway.Index;
      ASSERT_TRUE(pathway.Points.size() == 3u && pathway.Lines.size() == 2u) << "k" << i;
      for (std::size_t n = 0; n < 3; ++n) {
        const SeriesPlotPoint& point = pathway.Points[n];
        const Real kelvin = result.Temperatures[n];
        EXPECT_NEAR(point.X, 1000 / kelvin, 1e-15L);
        const Real k = recipe.A[i] * std::exp(-recipe.Ea[i] / (kGasConstant * kelvin));
        EXPECT_NEAR(point.Y, SeriesPlotY(kind, k, kelvin), 1e-6L) << "k" << i;
        const FitResult& fit = result.Single[n];
        const auto m = static_cast<std::size_t>(std::find(fit.Free.begin(), fit.Free.end(), i) - fit.Free.begin());
        EXPECT_NEAR(point.YError, fit.StandardError[m] / fit.K[i], 1e-12L);
        for (const SeriesPlotLine& line : pathway.Lines) {
          const Real onLine = line.Y0 + (line.Y1 - line.Y0) * (point.X - line.X0) / (line.X1 - line.X0);
          EXPECT_NEAR(onLine, point.Y, kind == SeriesPlotKind::Arrhenius ? 1e-6L : 1e-3L) << "k" << i;
        }
      }
    }
  }
}

TEST(SeriesPlotData, AConstantAtZeroHasNoPointAndAStoppedFitNoLine) {
  SeriesResult result = Noisy();
  const int index = result.Single[1].Free.front();
  result.Single[1].K[index] = 0;
  result.Global.reset();
  result.TwoStage.reset();
  const SeriesPlotData data = MakeSeriesPlotData(result, SeriesPlotKind::Arrhenius);
  const auto pathway = std::find_if(data.Pathways.begin(), data.Pathways.end(),
                                    [index](const SeriesPlotPathway& p) { return p.Index == index; });
  ASSERT_NE(pathway, data.Pathways.end());
  EXPECT_TRUE(pathway->Points.size() == 2u && pathway->Lines.empty());
  for (const SeriesPlotPoint& point : pathway->Points) EXPECT_NE(point.X, 1000 / result.Temperatures[1]);
}

}  // namespace
}  // namespace zamo
