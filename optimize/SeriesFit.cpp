#include "optimize/SeriesFit.h"

#include <algorithm>
#include <cmath>

#include "model/NumberFormat.h"
#include "model/ZamoError.h"
#include "optimize/SpeciesWeights.h"

namespace zamo {

namespace {

// Both experiments where both are present, else the one that is.
FitExperiments ExperimentsOf(const ProjectData& data) {
  if (data.Left.Present && !data.Right.Present) return FitExperiments::Left;
  if (data.Right.Present && !data.Left.Present) return FitExperiments::Right;
  return FitExperiments::Both;
}

// The global method gives a pathway a positive constant at every temperature: a constant
// free in one project must be free in all.
void CheckGlobalFreeSets(const std::vector<OneBased<bool, kRateConstantCount>>& free, const TemperatureSeries& series) {
  for (int i = 1; i <= kRateConstantCount; ++i) {
    const auto freeIn = std::find_if(free.begin(), free.end(), [i](const auto& set) { return set[i]; });
    const auto fixedIn = std::find_if(free.begin(), free.end(), [i](const auto& set) { return !set[i]; });
    if (freeIn == free.end() || fixedIn == free.end()) continue;
    const SeriesProject& withFree = series[static_cast<std::size_t>(freeIn - free.begin())];
    const SeriesProject& withFixed = series[static_cast<std::size_t>(fixedIn - free.begin())];
    const Real value = withFixed.Data.K[i];
    throw ZamoError(RateConstantName(i) + " is free in " + withFree.File + " but " +
                    (value == 0 ? std::string("0") : "fixed") + " in " + withFixed.File +
                    "; the global fit needs each constant free at every temperature or 0 at all");
  }
}

// Where the global fit starts each pathway: on its two-stage line; without one, on the
// unweighted line through the temperatures where its fit left k > 0, at the one such k with
// the mean activation energy of the other lines, or, where every fit left it at 0, a
// thousandth of the smallest fitted constant.
std::vector<Real> GlobalStart(const SeriesResult& result) {
  Real meanEa = 0;
  for (const ArrheniusLine& line : result.TwoStage->Lines) meanEa += line.Parameters.Ea;
  if (!result.TwoStage->Lines.empty()) meanEa /= static_cast<Real>(result.TwoStage->Lines.size());
  Real smallest = 1e-6L;
  for (const FitResult& fit : result.Single) {
    for (const int i : result.Pathways) {
      if (fit.K[i] > 0) smallest = std::min(smallest, fit.K[i]);
    }
  }
  std::vector<Real> start;
  for (const int i : result.Pathways) {
    std::optional<ActivationParameters> line;
    if (const ArrheniusLine* fitted = result.TwoStage->LineOf(i)) line = fitted->Parameters;
    std::vector<RatePoint> positive;
    for (std::size_t j = 0; j < result.Single.size(); ++j) {
      const Real k = result.Single[j].K[i];
      if (k > 0) positive.push_back({result.Temperatures[j], k, k});
    }
    if (!line && positive.size() >= 2) {
      line = FitArrheniusLine(i, positive, result.ReferenceTemperature)->Parameters;
    }
    if (line) {
      start.push_back(line->LnKRef);
      start.push_back(line->Ea);
    } else {
      start.push_back(std::log(positive.empty() ? smallest / 1000 : positive.front().K));
      start.push_back(meanEa);
    }
  }
  return start;
}

}  // namespace

OneBased<bool, kRateConstantCount> SeriesFreeSet(const SeriesSettings& settings, const RateConstants& k) {
  return settings.Free ? *settings.Free : DefaultFreeSet(k, settings.VaryK15K16);
}

const ArrheniusLine* TwoStageResult::LineOf(int index) const {
  for (const ArrheniusLine& line : Lines) {
    if (line.Parameters.Index == index) return &line;
  }
  return nullptr;
}

namespace {

std::vector<OneBased<bool, kRateConstantCount>> FreeSets(const SeriesSettings& settings,
                                                         const TemperatureSeries& series) {
  std::vector<OneBased<bool, kRateConstantCount>> free;
  for (const SeriesProject& project : series) free.push_back(SeriesFreeSet(settings, project.Data.K));
  return free;
}

}  // namespace

SeriesResult FitTwoStage(const SeriesSettings& settings, const TemperatureSeries& series,
                         const SeriesProgressSink& progress, const std::atomic<bool>& stop) {
  CheckSeriesTemperatures(series);
  SeriesResult result;
  result.Method = settings.Method;
  result.ReferenceTemperature = ReferenceTemperature(series);
  for (const SeriesProject& project : series) result.Temperatures.push_back(project.Data.AbsoluteTemperature);
  const std::vector<OneBased<bool, kRateConstantCount>> free = FreeSets(settings, series);
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (std::all_of(free.begin(), free.end(), [i](const auto& set) { return set[i]; })) result.Pathways.push_back(i);
  }

  for (std::size_t j = 0; j < series.size(); ++j) {
    const ProjectData& data = series[j].Data;
    FitSettings fit;
    fit.Experiments = ExperimentsOf(data);
    fit.Weighting = settings.Weighting;
    fit.Free = free[j];
    const FitProgressSink single = [&](int iteration, Real weightedSsr, const RateConstants&) {
      if (progress) progress({SeriesStage::SingleFit, j, iteration, weightedSsr});
    };
    try {
      result.Single.push_back(FitRateConstants(fit, {data.K, data.Left, data.Right}, single, stop));
    } catch (ZamoError& error) {
      error.SetFile(series[j].File);
      throw;
    }
    if (stop.load()) {
      result.Stopped = true;
      return result;
    }
  }

  TwoStageResult& twoStage = result.TwoStage.emplace();
  for (const int i : result.Pathways) {
    std::vector<RatePoint> points;
    for (std::size_t j = 0; j < series.size(); ++j) {
      const FitResult& fit = result.Single[j];
      const auto n = static_cast<std::size_t>(std::find(fit.Free.begin(), fit.Free.end(), i) - fit.Free.begin());
      points.push_back({result.Temperatures[j], fit.K[i], fit.StandardError[n]});
    }
    if (const std::optional<ArrheniusLine> line = FitArrheniusLine(i, points, result.ReferenceTemperature)) {
      twoStage.Lines.push_back(*line);
    } else {
      twoStage.Undetermined.push_back(i);
    }
  }
  return result;
}

GlobalSeriesResult FitGlobal(const SeriesSettings& settings, const TemperatureSeries& series,
                             const SeriesResult& twoStage, const SeriesProgressSink& progress,
                             const std::atomic<bool>& stop) {
  CheckGlobalFreeSets(FreeSets(settings, series), series);
  std::vector<FitProblem> problems;
  for (std::size_t j = 0; j < series.size(); ++j) {
    const ProjectData& data = series[j].Data;
    FitProblem& problem = problems.emplace_back();
    problem.Constants = data.K;
    problem.Free = twoStage.Pathways;
    problem.Left = data.Left;
    problem.Right = data.Right;
    problem.Experiments = ExperimentsOf(data);
    if (const std::optional<SpeciesValues>& sigmas = twoStage.Single[j].SpeciesSigma) {
      problem.Weight = WeightsOf(*sigmas);
    }
  }
  const GlobalProgressSink globalProgress = [&](int iteration, Real weightedSsr) {
    if (progress) progress({SeriesStage::GlobalFit, 0, iteration, weightedSsr});
  };
  return FitGlobalSeries(std::move(problems), twoStage.Temperatures, twoStage.ReferenceTemperature,
                         GlobalStart(twoStage), settings.Weighting, globalProgress, stop);
}

SeriesResult FitSeries(const SeriesSettings& settings, const TemperatureSeries& series,
                       const SeriesProgressSink& progress, const std::atomic<bool>& stop) {
  const bool global = settings.Method != SeriesMethod::TwoStage;
  // Refused before anything is fitted.
  CheckSeriesTemperatures(series);
  if (global) CheckGlobalFreeSets(FreeSets(settings, series), series);
  SeriesResult result = FitTwoStage(settings, series, progress, stop);
  if (!global || result.Stopped) return result;
  result.Global = FitGlobal(settings, series, result, progress, stop);
  result.Stopped = stop.load();
  return result;
}

std::vector<std::string> PathwayFlags(const SeriesResult& result, const ActivationParameters& parameters,
                                      const ArrheniusLine* line) {
  std::vector<std::string> flags;
  const int i = parameters.Index;
  if (line == nullptr && result.Global) {
    const std::vector<int>& undetermined = result.Global->Undetermined;
    if (std::find(undetermined.begin(), undetermined.end(), i) != undetermined.end())
      flags.emplace_back("not determined");
  }
  const auto count = [&](bool (FitResult::*test)(int) const) {
    return std::count_if(result.Single.begin(), result.Single.end(),
                         [&](const FitResult& fit) { return (fit.*test)(i); });
  };
  const std::string of = " of " + std::to_string(result.Single.size()) + " temperatures";
  if (const auto n = count(&FitResult::IsAtBound); n > 0) flags.push_back("at its bound at " + std::to_string(n) + of);
  if (const auto n = count(&FitResult::IsUndetermined); n > 0) {
    flags.push_back("not determined at " + std::to_string(n) + of);
  }
  if (!(parameters.EaSe <= std::fabs(parameters.Ea))) flags.emplace_back("SE larger than the value");
  if (!(parameters.Ea >= 0 && parameters.Ea <= kPlausibleEaMax)) flags.emplace_back("Ea outside 0..600 kJ/mol");
  if (line != nullptr && line->Dof == 0) flags.emplace_back("two-stage line with 0 dof");
  if (line != nullptr && line->SeScale > 1)
    flags.push_back("SE scaled by sqrt(chi2/dof) = " + FixedText(line->SeScale, 2));
  return flags;
}

}  // namespace zamo
