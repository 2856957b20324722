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

constexpr Real kLn10 = 2.302585092994045684L;

// One noisy series of three temperatures, fitted once by both methods for every test here.
const SeriesResult& Fitted() {
  static const SeriesResult result = [] {
    SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
    recipe.Temperatures = {200, 210, 220};
    recipe.Seed = 7;
    const std::atomic<bool> stop{false};
    return FitSeries({}, MakeSyntheticSeries(recipe, "/tmp/view.zams"), nullptr, stop);
  }();
  return result;
}

std::vector<std::vector<std::string>> Cells(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      cells.push_back(line.substr(start, tab - start));
    }
    cells.push_back(line.substr(start));
    lines.push_back(cells);
  }
  return lines;
}

// Eight significant digits of a value of the order one.
void ExpectCell(const std::string& cell, Real value) {
  ASSERT_FALSE(cell.empty());
  EXPECT_NEAR(std::stold(cell), value, std::fabs(value) * 1e-7L + 1e-12L) << cell;
}

// The copied text read back as a spreadsheet would: every number at its column.
TEST(SeriesTables, TabSeparatedTextReadsBackAsTheResults) {
  const SeriesResult& result = Fitted();
  ASSERT_TRUE(result.TwoStage && result.Global);
  const auto lines = Cells(SeriesResultTsv(result));
  const std::size_t lineCount = result.TwoStage->Lines.size();
  const std::size_t pathways = result.Global->Parameters.size();
  ASSERT_EQ(lines.size(), 1 + lineCount + pathways + 1 + 1 + result.Single.size());
  EXPECT_EQ(lines[0][0], "Method");
  EXPECT_EQ(lines[0][2], "Ea (kJ/mol)");
  for (std::size_t n = 1; n <= lineCount + pathways; ++n) EXPECT_EQ(lines[n].size(), lines[0].size()) << n;

  const ArrheniusLine& first = result.TwoStage->Lines.front();
  const auto& row = lines[1];
  EXPECT_EQ(row[0], "two-stage");
  EXPECT_EQ(row[1], "k" + std::to_string(first.Parameters.Index));
  ExpectCell(row[2], first.Parameters.Ea / 1000);
  ExpectCell(row[3], first.Parameters.EaSe / 1000);
  ExpectCell(row[4], first.Parameters.LnA / kLn10);
  ExpectCell(row[5], first.Parameters.LnASe / kLn10);
  ExpectCell(row[6], first.Parameters.DeltaH / 1000);
  ExpectCell(row[8], first.Parameters.DeltaS);
  ExpectCell(row[9], first.Parameters.DeltaSSe);
  ExpectCell(row[10], first.Parameters.DeltaG / 1000);
  ExpectCell(row[12], first.Parameters.CorrEaLnA);
  ExpectCell(row[13], result.ReferenceTemperature);
  ExpectCell(row[14], first.ChiSquared);
  EXPECT_EQ(row[15], std::to_string(first.Dof));

  const ActivationParameters& last = result.Global->Parameters.back();
  const auto& globalRow = lines[lineCount + pathways];
  EXPECT_EQ(globalRow[0], "global");
  EXPECT_EQ(globalRow[1], "k" + std::to_string(last.Index));
  ExpectCell(globalRow[2], last.Ea / 1000);
  ExpectCell(globalRow[7], last.DeltaHSe / 1000);
  EXPECT_EQ(globalRow[14], "");  // no chi-squared for the global fit

  EXPECT_TRUE(lines[1 + lineCount + pathways].size() == 1 && lines[1 + lineCount + pathways][0].empty());
  const auto& header = lines[2 + lineCount + pathways];
  EXPECT_EQ(header[0], "T (K)");
  const FitResult& hottest = result.Single.back();
  const auto& temperatureRow = lines.back();
  ExpectCell(temperatureRow[0], result.Temperatures.back());
  ExpectCell(temperatureRow[1], hottest.After.Total);
  for (std::size_t m = 0; m < hottest.Free.size(); ++m) {
    const std::string name = "k" + std::to_string(hottest.Free[m]);
    const auto column = std::find(header.begin(), header.end(), name) - header.begin();
    ASSERT_LT(static_cast<std::size_t>(column) + 1, header.size()) << name;
    EXPECT_EQ(header[static_cast<std::size_t>(column) + 1], "SE " + name);
    ExpectCell(temperatureRow[static_cast<std::size_t>(column)], hottest.K[hottest.Free[m]]);
    ExpectCell(temperatureRow[static_cast<std::size_t>(column) + 1], hottest.StandardError[m]);
  }
}

TEST(SeriesTables, OneMethodHasOnlyItsRowsAndUndeterminedValuesAreEmpty) {
  SeriesResult result = Fitted();
  result.Method = SeriesMethod::Global;
  for (const auto& row : ActivationTable(result).Rows) EXPECT_EQ(row[0], "global");
  EXPECT_EQ(ActivationTable(result).Rows.size(), result.Global->Parameters.size());

  result.Method = SeriesMethod::TwoStage;
  result.Global.reset();
  result.TwoStage->Lines.front().Parameters.EaSe = std::numeric_limits<Real>::quiet_NaN();
  const SeriesTable table = ActivationTable(result);
  ASSERT_EQ(table.Rows.size(), result.TwoStage->Lines.size());
  EXPECT_EQ(table.Rows.front()[3], "");
  EXPECT_FALSE(table.Rows.front()[2].empty());
}

// A noise-free series puts every point on both methods' lines, in either plot; the error bar
// is SE / k, and the Eyring line is the Arrhenius line less ln T only at T_ref.
TEST(SeriesPlotData, PointsOfANoiseFreeSeriesLieOnTheLines) {
  SyntheticSeriesRecipe recipe = ExampleSeriesRecipe();
  recipe.Temperatures = {200, 210, 220};
  recipe.Noise = 0;
  const std::atomic<bool> stop{false};
  TemperatureSeries series = MakeSyntheticSeries(recipe, "/tmp/clean.zams");
  // Started off the answer, so that each fit ends with the rounding scatter of its data.
  for (SeriesProject& project : series) {
    for (int i = 1; i <= 14; ++i) project.Data.K[i] *= 1.2L;
  }
  const SeriesResult result = FitSeries({}, series, nullptr, stop);

  for (const SeriesPlotKind kind : {SeriesPlotKind::Arrhenius, SeriesPlotKind::Eyring}) {
    const SeriesPlotData data = MakeSeriesPlotData(result, kind);
    EXPECT_NEAR(data.XMin, 1000 / 493.15L, 1e-15L);
    EXPECT_NEAR(data.XMax, 1000 / 473.15L, 1e-15L);
    ASSERT_EQ(data.Pathways.size(), result.Pathways.size());
    for (const SeriesPlotPathway& pathway : data.Pathways) {
      const int i = pathway.Index;
      ASSERT_EQ(pathway.Points.size(), 3u) << "k" << i;
      ASSERT_EQ(pathway.Lines.size(), 2u) << "k" << i;
      EXPECT_EQ(pathway.Lines[0].Method, SeriesMethod::TwoStage);
      EXPECT_EQ(pathway.Lines[1].Method, SeriesMethod::Global);
      for (std::size_t n = 0; n < 3; ++n) {
        const SeriesPlotPoint& point = pathway.Points[n];
        const Real kelvin = result.Temperatures[n];
        const Real k = recipe.A[i] * std::exp(-recipe.Ea[i] / (kGasConstant * kelvin));
        EXPECT_NEAR(point.X, 1000 / kelvin, 1e-15L);
        EXPECT_NEAR(point.Y, SeriesPlotY(kind, k, kelvin), 1e-6L) << "k" << i;
        const FitResult& fit = result.Single[n];
        const std::size_t m =
            static_cast<std::size_t>(std::find(fit.Free.begin(), fit.Free.end(), i) - fit.Free.begin());
        EXPECT_NEAR(point.YError, fit.StandardError[m] / fit.K[i], 1e-12L);
        for (const SeriesPlotLine& line : pathway.Lines) {
          EXPECT_EQ(line.X0, data.XMin);
          EXPECT_EQ(line.X1, data.XMax);
          const Real onLine = line.Y0 + (line.Y1 - line.Y0) * (point.X - line.X0) / (line.X1 - line.X0);
          // The Eyring line is the tangent of the Arrhenius law at T_ref: off it by the
          // curvature of ln T over the series' 20 K, below 1e-3.
          EXPECT_NEAR(onLine, point.Y, kind == SeriesPlotKind::Arrhenius ? 1e-6L : 1e-3L) << "k" << i;
        }
      }
    }
  }
}

TEST(SeriesPlotData, AConstantAtZeroHasNoPointAndAStoppedFitNoLine) {
  SeriesResult result = Fitted();
  const int index = result.Single[1].Free.front();
  result.Single[1].K[index] = 0;
  result.Global.reset();
  result.TwoStage.reset();
  const SeriesPlotData data = MakeSeriesPlotData(result, SeriesPlotKind::Arrhenius);
  const auto pathway = std::find_if(data.Pathways.begin(), data.Pathways.end(),
                                    [index](const SeriesPlotPathway& p) { return p.Index == index; });
  ASSERT_NE(pathway, data.Pathways.end());
  EXPECT_EQ(pathway->Points.size(), 2u);
  EXPECT_TRUE(pathway->Lines.empty());
  for (const SeriesPlotPoint& point : pathway->Points) EXPECT_NE(point.X, 1000 / result.Temperatures[1]);
}

}  // namespace
}  // namespace zamo
