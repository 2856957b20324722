#include "optimize/SeriesTables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zamo {

namespace {

constexpr Real kLn10 = 2.302585092994045684L;

std::string Cell(Real value) {
  if (!std::isfinite(value)) return {};
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.8Lg", value);
  return buffer;
}

std::vector<std::string> ParameterCells(const std::string& method, const ActivationParameters& p) {
  return {method,
          RateConstantName(p.Index),
          Cell(p.Ea / 1000),
          Cell(p.EaSe / 1000),
          Cell(p.LnA / kLn10),
          Cell(p.LnASe / kLn10),
          Cell(p.DeltaH / 1000),
          Cell(p.DeltaHSe / 1000),
          Cell(p.DeltaS),
          Cell(p.DeltaSSe),
          Cell(p.DeltaG / 1000),
          Cell(p.DeltaGSe / 1000),
          Cell(p.CorrEaLnA),
          Cell(p.ReferenceTemperature)};
}

// The constants any single fit varied, in their order 1..16.
std::vector<int> FittedConstants(const SeriesResult& result) {
  std::vector<int> fitted;
  for (int i = 1; i <= kRateConstantCount; ++i) {
    const bool any = std::any_of(result.Single.begin(), result.Single.end(), [i](const FitResult& fit) {
      return std::find(fit.Free.begin(), fit.Free.end(), i) != fit.Free.end();
    });
    if (any) fitted.push_back(i);
  }
  return fitted;
}

void AppendTsv(std::string& text, const SeriesTable& table) {
  const auto line = [&text](const std::vector<std::string>& cells) {
    for (std::size_t n = 0; n < cells.size(); ++n) {
      if (n > 0) text += '\t';
      text += cells[n];
    }
    text += '\n';
  };
  line(table.Header);
  for (const auto& row : table.Rows) line(row);
}

}  // namespace

SeriesTable ActivationTable(const SeriesResult& result) {
  SeriesTable table;
  table.Header = {"Method",      "Pathway",   "Ea (kJ/mol)",  "SE", "log10 A (A in 1/s)", "SE",
                  "dH (kJ/mol)", "SE",        "dS (J/mol/K)", "SE", "dG (kJ/mol)",        "SE",
                  "r(Ea, ln A)", "T_ref (K)", "chi2",         "dof"};
  if (result.TwoStage && result.Method != SeriesMethod::Global) {
    for (const ArrheniusLine& line : result.TwoStage->Lines) {
      std::vector<std::string> row = ParameterCells("two-stage", line.Parameters);
      row.push_back(Cell(line.ChiSquared));
      row.push_back(std::to_string(line.Dof));
      table.Rows.push_back(std::move(row));
    }
  }
  if (result.Global) {
    for (const ActivationParameters& p : result.Global->Parameters) {
      std::vector<std::string> row = ParameterCells("global", p);
      row.resize(table.Header.size());
      table.Rows.push_back(std::move(row));
    }
  }
  return table;
}

SeriesTable TemperatureTable(const SeriesResult& result) {
  const std::vector<int> fitted = FittedConstants(result);
  SeriesTable table;
  table.Header = {"T (K)", "SSR"};
  for (const int i : fitted) {
    table.Header.push_back(RateConstantName(i));
    table.Header.push_back("SE " + RateConstantName(i));
  }
  for (std::size_t n = 0; n < result.Single.size(); ++n) {
    const FitResult& fit = result.Single[n];
    std::vector<std::string> row = {Cell(result.Temperatures[n]), Cell(fit.After.Total)};
    for (const int i : fitted) {
      row.push_back(Cell(fit.K[i]));
      const auto at = std::find(fit.Free.begin(), fit.Free.end(), i);
      const bool known =
          at != fit.Free.end() && static_cast<std::size_t>(at - fit.Free.begin()) < fit.StandardError.size();
      row.push_back(known ? Cell(fit.StandardError[static_cast<std::size_t>(at - fit.Free.begin())]) : std::string());
    }
    table.Rows.push_back(std::move(row));
  }
  return table;
}

std::string SeriesResultTsv(const SeriesResult& result) {
  std::string text;
  AppendTsv(text, ActivationTable(result));
  text += '\n';
  AppendTsv(text, TemperatureTable(result));
  return text;
}

}  // namespace zamo
