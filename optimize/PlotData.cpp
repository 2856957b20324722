#include "optimize/PlotData.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <utility>

#include "model/IsoprCalcConc.h"
#include "model/MeasuredRows.h"
#include "model/NumberFormat.h"
#include "optimize/FitBand.h"

namespace zamo {

namespace {

constexpr Real kLinearHeadroom = 0.04L;
constexpr Real kLogBelowFirst = 10;
constexpr Real kLogAboveLast = 2;
constexpr Real kPercent = 100;

std::array<Real, 2> TimeSpanOf(const Experiment& experiment, bool log) {
  Real lowest = 0;
  Real highest = 0;
  std::optional<Real> firstPositive;
  for (int j = 1; j <= std::min(experiment.LastRow, kMaxRow); ++j) {
    const auto t = static_cast<Real>(experiment.Times[static_cast<std::size_t>(j)]);
    lowest = std::min(lowest, t);
    highest = std::max(highest, t);
    if (t > 0 && (!firstPositive || t < *firstPositive)) firstPositive = t;
  }
  if (log) {
    if (!firstPositive) return {1, 600};
    return {*firstPositive / kLogBelowFirst, highest * kLogAboveLast};
  }
  if (highest <= lowest) return {lowest, lowest + 60};
  return {lowest, highest + kLinearHeadroom * (highest - lowest)};
}

std::vector<Real> SampleTimes(const std::array<Real, 2>& span, int samples, bool log) {
  std::vector<Real> times(static_cast<std::size_t>(samples));
  const Real last = static_cast<Real>(samples - 1);
  for (int i = 0; i < samples; ++i) {
    const Real fraction = static_cast<Real>(i) / last;
    times[static_cast<std::size_t>(i)] =
        log ? span[0] * std::pow(span[1] / span[0], fraction) : span[0] + (span[1] - span[0]) * fraction;
  }
  times.back() = span[1];
  return times;
}

// The fractions at t; not-a-number throughout where the solution cannot be evaluated.
Concentrations Calculated(const CoefficientSet* set, Side side, Real t) {
  Concentrations c;
  if (set == nullptr || !TryCalcConc(*set, side, t, c)) c.Fill(std::numeric_limits<Real>::quiet_NaN());
  return c;
}

SpeciesValues Percent(const SpeciesValues& fractions) {
  SpeciesValues percent;
  for (int s = 1; s <= kSpeciesCount; ++s) percent[s] = kPercent * fractions[s];
  return percent;
}

ExperimentPlot BuildExperiment(const KineticProject& project, Side side, const PlotOptions& options, const PlotFit* fit,
                               int samples, const CoefficientSet* set) {
  const Experiment& experiment = project.ExperimentOf(side);
  ExperimentPlot plot;
  plot.Which = side;
  plot.ReactantName = side == Side::Left ? project.LeftReactantName : project.RightReactantName;
  plot.TimeSpan = TimeSpanOf(experiment, options.LogTime);
  plot.Times = SampleTimes(plot.TimeSpan, samples, options.LogTime);
  const bool current = fit != nullptr && FitIsCurrent(*fit, project);
  if (set != nullptr) {
    plot.Curves.reserve(plot.Times.size());
    for (const Real t : plot.Times) plot.Curves.push_back(Percent(Calculated(set, side, t)));
  }
  if (options.Band && current) {
    for (const SpeciesValues& half : ConfidenceBand(fit->Fit, side, plot.Times)) plot.Band.push_back(Percent(half));
  }
  if (experiment.Present) {
    const auto addRow = [&](const MeasuredRow<Real>& row) {
      PlotRow point;
      point.Time = row.Time;
      point.Observed = Percent(*row.Observed);
      point.Calculated = Percent(row.Calculated);
      point.Residual = Percent(row.Residual);
      for (const Outlier& outlier : current ? fit->Fit.Outliers : std::vector<Outlier>{}) {
        if (outlier.Experiment == side && outlier.Row == row.Row) point.Outlier[outlier.Species] = true;
      }
      plot.Rows.push_back(point);
    };
    ForEachMeasuredRow(set, side, experiment, addRow, kFirstMeasuredRow, UnevaluatedRow::NotANumber);
  }
  return plot;
}

}  // namespace

Real SecondsPer(TimeUnit unit) {
  switch (unit) {
    case TimeUnit::Seconds:
      return 1;
    case TimeUnit::Minutes:
      return 60;
    case TimeUnit::Hours:
      return 3600;
  }
  return 1;
}

std::string_view TimeUnitSymbol(TimeUnit unit) {
  switch (unit) {
    case TimeUnit::Seconds:
      return "s";
    case TimeUnit::Minutes:
      return "min";
    case TimeUnit::Hours:
      return "h";
  }
  return "s";
}

std::optional<TimeUnit> TimeUnitOfSymbol(std::string_view symbol) {
  for (const TimeUnit unit : {TimeUnit::Seconds, TimeUnit::Minutes, TimeUnit::Hours}) {
    if (symbol == TimeUnitSymbol(unit)) return unit;
  }
  return std::nullopt;
}

std::optional<PictureFormat> PictureFormatOfPath(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return std::nullopt;
  std::string extension(path.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "png") return PictureFormat::Png;
  if (extension == "svg") return PictureFormat::Svg;
  if (extension == "pdf") return PictureFormat::Pdf;
  return std::nullopt;
}

PlotFit FitOfProject(FitResult fit, const KineticProject& project) {
  return {std::move(fit), project.Left, project.Right};
}

bool FitIsCurrent(const PlotFit& fit, const KineticProject& project) {
  return fit.Fit.K == project.K && fit.Left == project.Left && fit.Right == project.Right;
}

PlotData BuildPlotData(const KineticProject& project, const PlotOptions& options, const PlotFit* fit, int samples) {
  PlotData data;
  data.Title = project.Title;
  data.Temperature = FloatToText(project.Temperature);
  data.SpeciesNames[1] = project.LeftReactantName;
  data.SpeciesNames[2] = project.RightReactantName;
  CoefficientSet set;
  const CoefficientSet* valid = TryPrepareCoefficients(project.K, set) ? &set : nullptr;
  const int count = std::max(samples, 2);
  std::vector<Side> sides;
  switch (options.Experiments) {
    case PlotExperiments::Shown:
      sides = {project.CurrentSide()};
      break;
    case PlotExperiments::Left:
      sides = {Side::Left};
      break;
    case PlotExperiments::Right:
      sides = {Side::Right};
      break;
    case PlotExperiments::Both:
      sides = {Side::Left, Side::Right};
      break;
  }
  for (const Side side : sides) data.Experiments.push_back(BuildExperiment(project, side, options, fit, count, valid));
  return data;
}

}  // namespace zamo
