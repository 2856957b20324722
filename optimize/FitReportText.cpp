#include "optimize/FitReportText.h"

#include <cmath>
#include <limits>

#include "model/NumberFormat.h"

namespace zamo {

namespace {

// The digits of the constants, their errors and intervals.
constexpr int kFitDigits = 5;

FitNumberCell Cell(Real value, int digits, std::string (*text)(Real, int)) {
  return {value, text(value, digits), digits, !std::isfinite(value)};
}

FitNumberCell PercentCell(Real value) {
  FitNumberCell cell = Cell(value, 1, FixedText);
  if (!cell.Missing) cell.Text += " %";
  return cell;
}

Real RelativeError(const FitResult& fit, std::size_t n) {
  const Real k = fit.K[fit.Free[n]];
  return k != 0 ? 100 * fit.StandardError[n] / std::fabs(k) : std::numeric_limits<Real>::quiet_NaN();
}

std::string Sum(const std::optional<Real>& sum) { return sum ? FixedText(*sum, 4) : std::string(kMissing); }

std::string Joined(const std::vector<std::string>& items, const std::string& separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

std::string SpeciesLetter(int s) { return std::string(1, static_cast<char>('A' + s - 1)); }

std::string StartsNote(const FitResult& fit) {
  if (fit.Starts <= 1) return "1 start (the project's constants)";
  std::string note = std::to_string(fit.Starts) + " starts (the project's constants and " +
                     std::to_string(fit.Starts - 1) + " spread over 0.1 to 10 times them): ";
  note += fit.StartsReachingBest == fit.Starts ? "all reached the best SSR"
                                               : std::to_string(fit.StartsReachingBest) + " reached the best SSR";
  return note;
}

std::vector<std::string> Notes(const FitResult& fit) {
  std::vector<std::string> notes{StartsNote(fit)};
  if (!fit.OwnStartReachedBest) {
    notes.emplace_back(
        "The fit from the project's own constants did not reach the best SSR: other starts found a "
        "lower one");
  }
  if (fit.Optima.size() > 1) {
    std::vector<std::string> worse;
    for (std::size_t n = 1; n < fit.Optima.size(); ++n) worse.push_back(FixedText(fit.Optima[n], 4));
    notes.push_back("Worse optima found (SSR): " + Joined(worse, ", "));
  }
  if (fit.Experiments != FitExperiments::Both) {
    std::vector<std::string> weak;
    for (std::size_t n = 0; n < fit.Free.size(); ++n) {
      if (fit.IsUndetermined(fit.Free[n]) || fit.IntervalContainsZero(n)) weak.push_back(RateConstantName(fit.Free[n]));
    }
    if (!weak.empty()) {
      notes.push_back("Fitted to " + FittedExperimentsText(fit.Experiments) + " alone, which hardly determines " +
                      Joined(weak, ", ") + " (see their flags)");
    }
  }
  if (!fit.Undetermined.empty()) {
    std::vector<std::string> names;
    for (const int i : fit.Undetermined) names.push_back(RateConstantName(i));
    notes.push_back("Not determined by the data: " + Joined(names, ", ") +
                    " (held at the fitted value for the statistics of the others; not counted in dof)");
  }
  return notes;
}

std::vector<std::vector<std::string>> ConstantTable(const std::vector<FitConstantCells>& constants, bool profile) {
  std::vector<std::string> head = {"Constant", "Start (1/s)",         "Fitted (1/s)",
                                   "SE (1/s)", "95 % interval (1/s)", "Rel. SE"};
  if (profile) head.emplace_back("Profile 95 % interval (1/s)");
  head.emplace_back("Flags");
  std::vector<std::vector<std::string>> rows{head};
  for (const FitConstantCells& c : constants) {
    std::vector<std::string> row = {
        RateConstantName(c.Index),  c.Start.Text,        c.Fitted.Text, c.StandardError.Text,
        IntervalText(c.Interval95), c.RelativeError.Text};
    if (profile) row.push_back(ProfileIntervalText(*c.Profile));
    row.push_back(Joined(c.Flags, "; "));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string R2(const std::optional<Real>& r2) { return r2 ? FixedText(*r2, 6) : std::string(kMissing); }

std::vector<std::vector<std::string>> SumCells(const FitResult& fit) {
  return {{"SSR (%²)", "before", "after", "R²"},
          {"left", Sum(fit.Before.Left), Sum(fit.After.Left), R2(fit.R2Left)},
          {"right", Sum(fit.Before.Right), Sum(fit.After.Right), R2(fit.R2Right)},
          {"total", Sum(fit.Before.Total), Sum(fit.After.Total), ""}};
}

std::vector<std::vector<std::string>> StatisticCells(const FitResult& fit) {
  std::vector<std::vector<std::string>> rows;
  const bool weighted = fit.SpeciesSigma.has_value();
  if (weighted) {
    rows.push_back({"weighted SSR", FixedText(fit.WeightedSsr, 4)});
    std::vector<std::string> sigmas;
    for (int s = 1; s < kSpeciesCount; ++s)
      sigmas.push_back(SpeciesLetter(s) + " " + GeneralText((*fit.SpeciesSigma)[s], 4));
    rows.push_back({"species sigma (pp)", Joined(sigmas, ", ")});
  }
  rows.push_back({weighted ? "sigma (weighted residuals)" : "sigma (pp)", GeneralText(fit.Sigma, 5)});
  rows.push_back({"reduced chi2", GeneralText(fit.ReducedChi2, 5)});
  rows.push_back({"dof", std::to_string(fit.Dof) + " (n " + std::to_string(fit.N) + ", p " +
                             std::to_string(fit.Parameters) + ")"});
  rows.push_back({"AICc", FixedText(fit.Aicc, 3)});
  rows.push_back({"BIC", FixedText(fit.Bic, 3)});
  rows.push_back({"relative gradient", GeneralText(fit.RelativeGradient, 2)});
  return rows;
}

std::vector<std::vector<std::string>> OutlierCells(const FitResult& fit) {
  std::vector<std::vector<std::string>> rows{{"Experiment", "Row", "Time (min)", "Species", "Residual (pp)", "z"}};
  for (const Outlier& o : fit.Outliers) {
    rows.push_back({o.Experiment == Side::Left ? "left" : "right", std::to_string(o.Row), GeneralText(o.TimeMinutes, 6),
                    SpeciesLetter(o.Species), FixedText(o.Residual, 3), FixedText(o.Z, 2)});
  }
  return rows;
}

}  // namespace

FitNumberCell ScientificCell(Real value, int digits) { return Cell(value, digits, ScientificText); }

std::string IntervalText(const std::array<FitNumberCell, 2>& interval) {
  if (interval[0].Missing) return std::string(kMissing);
  return "[" + interval[0].Text + ", " + interval[1].Text + "]";
}

std::string ProfileIntervalText(const std::array<ProfileEnd, 2>& interval) {
  return "[" + ProfileEndText(interval[0]) + ", " + ProfileEndText(interval[1]) + "]";
}

std::vector<FitConstantCells> MakeFitConstantCells(const FitResult& fit) {
  std::vector<FitConstantCells> constants;
  for (std::size_t n = 0; n < fit.Free.size(); ++n) {
    const int i = fit.Free[n];
    FitConstantCells c;
    c.Index = i;
    c.Start = ScientificCell(fit.Start[i], kFitDigits);
    c.Fitted = ScientificCell(fit.K[i], kFitDigits);
    c.StandardError = ScientificCell(fit.StandardError[n], kFitDigits);
    c.Interval95 = {ScientificCell(fit.Interval95[n][0], kFitDigits), ScientificCell(fit.Interval95[n][1], kFitDigits)};
    c.RelativeError = PercentCell(RelativeError(fit, n));
    if (!fit.ProfileInterval95.empty()) c.Profile = fit.ProfileInterval95[n];
    c.Flags = FitFlags(fit, n);
    constants.push_back(std::move(c));
  }
  return constants;
}

std::vector<std::string> FitFlags(const FitResult& fit, std::size_t n) {
  std::vector<std::string> flags;
  if (fit.IsAtBound(fit.Free[n])) flags.emplace_back("at bound");
  if (fit.IsUndetermined(fit.Free[n])) flags.emplace_back("not determined by the data");
  if (fit.IntervalContainsZero(n)) flags.emplace_back("interval contains 0");
  for (const auto& pair : fit.CorrelatedPairs()) {
    if (pair[0] != n && pair[1] != n) continue;
    const std::size_t other = pair[0] == n ? pair[1] : pair[0];
    flags.push_back("r = " + FixedText(fit.Correlation[n][other], 2) + " with " + RateConstantName(fit.Free[other]));
  }
  return flags;
}

std::string FitFlagExplanation(const std::string& flag) {
  if (flag == "at bound") {
    return "The constant ended at 0, its lower bound: the data push it below 0. It does not count among the "
           "fitted parameters and has no standard error.";
  }
  if (flag == "not determined by the data") {
    return "Changing the constant (alone or together with others) does not change the calculated concentrations at "
           "the measured times: the data cannot fix it. It keeps the fitted value, has no standard error and does "
           "not count among the fitted parameters.";
  }
  if (flag == "interval contains 0") {
    return "The 95 % interval reaches below 0: the data do not separate this constant from 0.";
  }
  if (flag.rfind("r = ", 0) == 0) {
    return "The two constants are correlated beyond 0.95: the data fix a combination of them (often their ratio) "
           "much better than either alone.";
  }
  return {};
}

std::string FittedExperimentsText(FitExperiments experiments) {
  switch (experiments) {
    case FitExperiments::Left:
      return "the left experiment";
    case FitExperiments::Right:
      return "the right experiment";
    case FitExperiments::Both:
      break;
  }
  return "both experiments";
}

std::string FitOutcomeText(const FitResult& fit) {
  const std::string after =
      " after " + std::to_string(fit.Iterations) + " iterations (" + std::to_string(fit.Evaluations) + " evaluations)";
  if (fit.Stopped) return "stopped" + after + ": the constants reached are shown, not a minimum";
  if (fit.Converged) return "converged" + after;
  return "not converged" + after + ": the relative gradient " + GeneralText(fit.RelativeGradient, 2) +
         " is not small, the constants may not be at a minimum";
}

std::string ProfileEndText(const ProfileEnd& end) {
  switch (end.Kind) {
    case ProfileEndKind::Closed:
      return ScientificText(end.Value, kFitDigits);
    case ProfileEndKind::Open:
      return "open";
    case ProfileEndKind::NotComputed:
      break;
  }
  return "not computed";
}

FitReport MakeFitReport(const FitSettings& settings, const FitResult& fit) {
  FitReport report;
  report.Headline = "Least-squares fit to " + FittedExperimentsText(fit.Experiments) +
                    (settings.Weighting == FitWeighting::Species ? ", species weighted" : "") + ": " +
                    FitOutcomeText(fit);
  report.Notes = Notes(fit);
  report.ConstantCells = MakeFitConstantCells(fit);
  report.Constants = ConstantTable(report.ConstantCells, !fit.ProfileInterval95.empty());
  report.Sums = SumCells(fit);
  report.Statistics = StatisticCells(fit);
  report.Outliers = OutlierCells(fit);
  for (const auto& pair : fit.CorrelatedPairs()) {
    report.Correlated.push_back(RateConstantName(fit.Free[pair[0]]) + "-" + RateConstantName(fit.Free[pair[1]]) + " " +
                                FixedText(fit.Correlation[pair[0]][pair[1]], 4));
  }
  return report;
}

std::vector<std::string> FitTable(const FitSettings& settings, const FitResult& fit) {
  const FitReport report = MakeFitReport(settings, fit);
  std::vector<std::string> lines{report.Headline};
  lines.insert(lines.end(), report.Notes.begin(), report.Notes.end());
  const auto table = [&lines](const std::vector<std::vector<std::string>>& rows) {
    lines.emplace_back();
    for (std::string& line : AlignColumns(rows)) lines.push_back(std::move(line));
  };
  table(report.Constants);
  table(report.Sums);
  table(report.Statistics);
  lines.emplace_back();
  lines.push_back(report.Correlated.empty() ? "No correlation beyond 0.95"
                                            : "Correlated beyond 0.95: " + Joined(report.Correlated, ", "));
  if (report.Outliers.size() == 1) {
    lines.emplace_back("No outliers (|z| > 4)");
  } else {
    lines.emplace_back("Outliers (|z| > 4):");
    for (std::string& line : AlignColumns(report.Outliers)) lines.push_back(std::move(line));
  }
  return lines;
}

std::string FitTabSeparated(const FitSettings& settings, const FitResult& fit) {
  const FitReport report = MakeFitReport(settings, fit);
  std::string text;
  const auto line = [&text](const std::vector<std::string>& cells) { text += Joined(cells, "\t") + '\n'; };
  const auto table = [&](const std::vector<std::vector<std::string>>& rows) {
    for (const auto& row : rows) {
      std::string cells;
      for (std::size_t c = 0; c < row.size(); ++c) cells += (c > 0 ? "\t" : "") + row[c];
      text += cells + '\n';
    }
    text += '\n';
  };
  line({report.Headline});
  for (const std::string& note : report.Notes) line({note});
  text += '\n';
  table(report.Constants);
  table(report.Sums);
  table(report.Statistics);
  std::vector<std::string> head{"Correlation"};
  for (const int i : fit.Free) head.push_back(RateConstantName(i));
  std::vector<std::vector<std::string>> correlation{head};
  for (std::size_t a = 0; a < fit.Free.size(); ++a) {
    std::vector<std::string> row{RateConstantName(fit.Free[a])};
    for (std::size_t b = 0; b < fit.Free.size(); ++b) row.push_back(FixedText(fit.Correlation[a][b], 4));
    correlation.push_back(std::move(row));
  }
  table(correlation);
  table(report.Outliers);
  text.pop_back();
  return text;
}

}  // namespace zamo
