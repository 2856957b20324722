#include "optimize/SeriesTables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/NumberFormat.h"

namespace zamo {

namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
  return text;
}

std::string Spreadsheet(Real value) { return std::isfinite(value) ? GeneralText(value, 8) : std::string(); }

// A value and its error as two cells.
std::vector<std::string> Pair(Real value, Real error, SeriesDigits digits) {
  if (digits == SeriesDigits::Full) return {Spreadsheet(value), Spreadsheet(error)};
  const ValueAndError v = RoundToError(value, error);
  return {v.Value, v.Error};
}

PathwayCells CellsOf(const SeriesResult& result, const char* method, const ActivationParameters& p,
                     const ArrheniusLine* line) {
  const Real ln10 = std::numbers::ln10_v<Real>;
  return {method,
          p.Index,
          {{{p.Ea / 1000, p.EaSe / 1000},
            {p.LnA / ln10, p.LnASe / ln10},
            {p.DeltaH / 1000, p.DeltaHSe / 1000},
            {p.DeltaS, p.DeltaSSe},
            {p.DeltaG / 1000, p.DeltaGSe / 1000}}},
          p.CorrEaLnA,
          p.ReferenceTemperature,
          line,
          PathwayFlags(result, p, line)};
}

std::vector<std::string> ParameterCells(const PathwayCells& p, SeriesDigits digits) {
  std::vector<std::string> row{p.Method, RateConstantName(p.Index)};
  for (const SeriesQuantity& q : p.Quantities) {
    for (std::string& cell : Pair(q.Value, q.Error, digits)) row.push_back(std::move(cell));
  }
  const bool full = digits == SeriesDigits::Full;
  row.push_back(full ? Spreadsheet(p.CorrEaLnA) : FixedText(p.CorrEaLnA, 4));
  row.push_back(full ? Spreadsheet(p.ReferenceTemperature) : FixedText(p.ReferenceTemperature, 2));
  return row;
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

bool ShowsTwoStage(const SeriesResult& result) { return result.TwoStage && result.Method != SeriesMethod::Global; }

// The readable rows of one method: pathway, the forms as "value ± SE", r, [chi2 / dof], flags.
std::vector<std::vector<std::string>> TextRows(const SeriesResult& result, bool twoStage) {
  std::vector<std::string> head{"Pathway",     "Ea (kJ/mol)",  "log10 A (A in 1/s)",
                                "dH (kJ/mol)", "dS (J/mol/K)", "r(Ea, ln A)"};
  if (twoStage) head.emplace_back("chi2 / dof");
  head.emplace_back("Flags");
  std::vector<std::vector<std::string>> rows{head};
  for (const PathwayCells& p : PathwayResults(result)) {
    if ((p.Line != nullptr) != twoStage) continue;
    std::vector<std::string> row{RateConstantName(p.Index)};
    for (std::size_t f = 0; f < 4; ++f) row.push_back(ValueWithError(p.Quantities[f].Value, p.Quantities[f].Error));
    row.push_back(FixedText(p.CorrEaLnA, 4));
    if (p.Line != nullptr) row.push_back(FixedText(p.Line->ChiSquared, 3) + " / " + std::to_string(p.Line->Dof));
    row.push_back(Joined(p.Flags));
    rows.push_back(std::move(row));
  }
  return rows;
}

void AppendLines(std::vector<std::string>& lines, const std::vector<std::vector<std::string>>& rows) {
  for (std::string& line : AlignColumns(rows)) lines.push_back(std::move(line));
}

}  // namespace

std::vector<PathwayCells> PathwayResults(const SeriesResult& result) {
  std::vector<PathwayCells> pathways;
  if (ShowsTwoStage(result)) {
    for (const ArrheniusLine& line : result.TwoStage->Lines) {
      pathways.push_back(CellsOf(result, "two-stage", line.Parameters, &line));
    }
  }
  if (result.Global) {
    for (const ActivationParameters& p : result.Global->Parameters) {
      pathways.push_back(CellsOf(result, "global", p, nullptr));
    }
  }
  return pathways;
}

SeriesTable ActivationTable(const SeriesResult& result, SeriesDigits digits) {
  SeriesTable table;
  table.Header = {"Method",      "Pathway",     "Ea (kJ/mol)", "SE",           "log10 A (A in 1/s)",
                  "SE",          "dH (kJ/mol)", "SE",          "dS (J/mol/K)", "SE",
                  "dG (kJ/mol)", "SE",          "r(Ea, ln A)", "T_ref (K)",    "chi2",
                  "dof",         "Flags"};
  for (const PathwayCells& p : PathwayResults(result)) {
    std::vector<std::string> row = ParameterCells(p, digits);
    if (p.Line != nullptr) {
      row.push_back(digits == SeriesDigits::Full ? Spreadsheet(p.Line->ChiSquared) : FixedText(p.Line->ChiSquared, 3));
      row.push_back(std::to_string(p.Line->Dof));
    }
    row.resize(table.Header.size() - 1);
    row.push_back(Joined(p.Flags));
    table.Rows.push_back(std::move(row));
  }
  return table;
}

SeriesTable TemperatureTable(const SeriesResult& result, SeriesDigits digits) {
  const std::vector<int> fitted = FittedConstants(result);
  SeriesTable table;
  table.Header = {"T (K)", "SSR"};
  for (const int i : fitted) {
    table.Header.push_back(RateConstantName(i));
    table.Header.push_back("SE " + RateConstantName(i));
  }
  const bool full = digits == SeriesDigits::Full;
  for (std::size_t n = 0; n < result.Single.size(); ++n) {
    const FitResult& fit = result.Single[n];
    std::vector<std::string> row = {full ? Spreadsheet(result.Temperatures[n]) : FixedText(result.Temperatures[n], 2),
                                    full ? Spreadsheet(fit.After.Total) : FixedText(fit.After.Total, 4)};
    for (const int i : fitted) {
      const auto at = std::find(fit.Free.begin(), fit.Free.end(), i);
      const Real se = at != fit.Free.end() ? fit.StandardError[static_cast<std::size_t>(at - fit.Free.begin())]
                                           : std::numeric_limits<Real>::quiet_NaN();
      if (full) {
        row.push_back(Spreadsheet(fit.K[i]));
        row.push_back(Spreadsheet(se));
      } else {
        const ValueAndError v = RoundToError(fit.K[i], se);
        row.push_back(v.Value);
        row.push_back(v.Error);
      }
    }
    table.Rows.push_back(std::move(row));
  }
  return table;
}

std::vector<std::string> SeriesText(const SeriesResult& result) {
  std::vector<std::string> lines;
  std::string header = "Temperature series of " + std::to_string(result.Temperatures.size()) + " projects at";
  for (const Real t : result.Temperatures) header += " " + FixedText(t, 2) + " K";
  lines.push_back(header + "; T_ref = " + FixedText(result.ReferenceTemperature, 2) + " K");
  if (result.Stopped) lines.emplace_back("Stopped: what was reached is shown; the rest was not computed");
  // The global method starts from the two-stage lines; they are shown only when asked for.
  if (ShowsTwoStage(result)) {
    lines.emplace_back();
    lines.emplace_back("Two-stage: each project fitted, then ln k against 1/T weighted by (k/SE)^2");
    AppendLines(lines, TextRows(result, true));
    if (!result.TwoStage->Undetermined.empty()) {
      std::string none = "No line (k > 0 with an SE at fewer than two temperatures):";
      for (const int i : result.TwoStage->Undetermined) none += " " + RateConstantName(i);
      lines.push_back(none);
    }
  }
  if (result.Global) {
    const GlobalSeriesResult& g = *result.Global;
    lines.emplace_back();
    const std::string outcome = g.Stopped ? "stopped"
                                : g.Converged
                                    ? "converged"
                                    : "not converged (relative gradient " + GeneralText(g.RelativeGradient, 2) + ")";
    lines.push_back("Global fit of every project's data: SSR " + FixedText(g.Ssr, 4) + ", dof " +
                    std::to_string(g.Dof) + ", sigma " + GeneralText(g.Sigma, 5) + ", " + outcome + " after " +
                    std::to_string(g.Iterations) + " iterations");
    AppendLines(lines, TextRows(result, false));
  }
  lines.emplace_back();
  lines.emplace_back("Per temperature, the single fits:");
  std::vector<std::vector<std::string>> rows{{"Constant"}};
  for (const Real t : result.Temperatures) rows[0].push_back(FixedText(t, 2) + " K");
  for (const int i : FittedConstants(result)) {
    std::vector<std::string> row{RateConstantName(i)};
    for (const FitResult& fit : result.Single) row.push_back(ScientificText(fit.K[i], 5));
    rows.push_back(std::move(row));
  }
  std::vector<std::string> ssr{"SSR"};
  std::vector<std::string> outcome{"outcome"};
  for (const FitResult& fit : result.Single) {
    ssr.push_back(FixedText(fit.After.Total, 4));
    outcome.emplace_back(fit.Stopped ? "stopped" : fit.Converged ? "converged" : "not converged");
  }
  rows.push_back(std::move(ssr));
  rows.push_back(std::move(outcome));
  AppendLines(lines, rows);
  return lines;
}

std::string SeriesResultTsv(const SeriesResult& result) {
  std::string text;
  AppendTsv(text, ActivationTable(result));
  text += '\n';
  AppendTsv(text, TemperatureTable(result));
  return text;
}

}  // namespace zamo
