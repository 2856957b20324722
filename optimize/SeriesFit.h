#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "model/TemperatureSeries.h"
#include "optimize/ActivationParameters.h"
#include "optimize/GlobalSeriesFit.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo {

// The two-stage method fits each project on its own and puts a straight line through ln k
// against 1 / T; the global method fits the activation parameters to every project's
// residuals at once, starting from the two-stage lines.
enum class SeriesMethod { TwoStage, Global, Both };

struct SeriesSettings {
  SeriesMethod Method = SeriesMethod::Both;
  FitWeighting Weighting = FitWeighting::None;
  // The constants fitted in every project; without it each project's default set
  // (DefaultFreeSet of its own constants, with k15 and k16 as VaryK15K16 says).
  std::optional<OneBased<bool, kRateConstantCount>> Free;
  bool VaryK15K16 = false;
};

// The constants a project's fit varies under the settings.
OneBased<bool, kRateConstantCount> SeriesFreeSet(const SeriesSettings& settings, const RateConstants& k);

struct TwoStageResult {
  std::vector<ArrheniusLine> Lines;  // the pathways with a line, in the order of the pathways
  // Pathways without one: fewer than two temperatures where the fit left k > 0 with a
  // standard error. The global fit still fits them, from a start of its own.
  std::vector<int> Undetermined;

  const ArrheniusLine* LineOf(int index) const;
};

enum class SeriesStage { SingleFit, GlobalFit };

struct SeriesProgress {
  SeriesStage Stage = SeriesStage::SingleFit;
  std::size_t Project = 0;  // the project being fitted (SingleFit), counted from 0
  int Iteration = 0;        // of that fit, from 0
  Real WeightedSsr = 0;
};

using SeriesProgressSink = std::function<void(const SeriesProgress&)>;

struct SeriesResult {
  SeriesMethod Method = SeriesMethod::Both;
  std::vector<Real> Temperatures;  // kelvin, per project
  Real ReferenceTemperature = 0;   // 1 / T_ref is the mean of 1 / T
  std::vector<FitResult> Single;   // per project (those fitted before a stop)
  std::vector<int> Pathways;       // the constants free in every project, 1..16
  // The two-stage lines. Computed whenever every single fit ran, for either method: they are
  // where the global fit starts.
  std::optional<TwoStageResult> TwoStage;
  std::optional<GlobalSeriesResult> Global;  // with the global method, unless stopped before it
  bool Stopped = false;
};

// The first stage of either method: every project fitted on its own (with the weighting and
// free set of the settings), and the two-stage lines of the pathways. The stop flag is read
// after every iteration; a stop ends the run after the fit it came in (Stopped, no lines).
// Throws as FitSeries does, but does not check the free sets for the global method.
SeriesResult FitTwoStage(const SeriesSettings& settings, const TemperatureSeries& series,
                         const SeriesProgressSink& progress, const std::atomic<bool>& stop);

// The global fit of a series whose first stage `twoStage` finished (FitTwoStage without a
// stop), starting on its lines. Throws ZamoError when a constant is free in some projects and
// 0 in others.
GlobalSeriesResult FitGlobal(const SeriesSettings& settings, const TemperatureSeries& series,
                             const SeriesResult& twoStage, const SeriesProgressSink& progress,
                             const std::atomic<bool>& stop);

// Activation energies outside this range (J/mol) are not those of a unimolecular reaction
// the data can support.
inline constexpr Real kPlausibleEaMax = 600e3L;

// What makes a pathway's activation parameters doubtful, in words: "not determined" (the
// global fit's data do not fix them), "at its bound at 3 of 5 temperatures", "not determined
// at 2 of 5 temperatures" (single fits), "SE larger than the value", "Ea outside 0..600
// kJ/mol", and for a two-stage line (`line`) "two-stage line with 0 dof" and "SE scaled by
// sqrt(chi2/dof) = 1.8". Empty for a pathway without doubts.
std::vector<std::string> PathwayFlags(const SeriesResult& result, const ActivationParameters& parameters,
                                      const ArrheniusLine* line);

// Fits a temperature series (checked with CheckSeriesTemperatures) by the method of the
// settings: every project with the same weighting and free set, then the two-stage lines of
// the pathways, then, for the global method, the global fit. The stop flag is read after
// every iteration of every fit; a stop ends the run with what was reached (a stopped global
// fit returns the best parameters reached, not converged). Throws ZamoError where a single
// fit refuses (naming the project's file), and, before anything is fitted, for the global
// method when a constant is free in some projects and 0 in others (naming the constant and
// the two projects).
SeriesResult FitSeries(const SeriesSettings& settings, const TemperatureSeries& series,
                       const SeriesProgressSink& progress, const std::atomic<bool>& stop);

}  // namespace zamo
