#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "optimize/LeastSquaresFit.h"

namespace zamo {

// Which pathways the data support: every subset of the candidate constants (or a backward
// elimination from all of them) fitted by the least-squares fit and ranked by an
// information criterion, with the evidence for each pathway.

enum class SelectionCriterion { Aicc, Bic };
enum class SelectionMethod { Exhaustive, Backward };

struct SelectionSettings {
  FitExperiments Experiments = FitExperiments::Both;
  FitWeighting Weighting = FitWeighting::None;
  // The constants that may be switched off (1..16, increasing) and those free in every model;
  // every other constant keeps its value.
  std::vector<int> Candidates;
  std::vector<int> Keep;
  SelectionCriterion Criterion = SelectionCriterion::Aicc;
  SelectionMethod Method = SelectionMethod::Exhaustive;
  int Starts = kDefaultStarts;  // of the full model's fit, and of a suspicious subset's
  int Threads = 0;              // 0: one per core
};

// The default candidates: the constants the default fit frees (the non-zero ones among
// k1..k14, and k15 and k16 when asked).
std::vector<int> DefaultCandidates(const RateConstants& k, bool varyK15K16);

// One fitted model: which candidates it switches off, and what its fit reached.
struct SelectedModel {
  std::uint32_t On = 0;   // bit c set: candidate c is free
  std::vector<int> Free;  // the candidates on and the kept constants, increasing
  std::vector<int> Off;   // the candidates switched off (0 in this model)
  std::vector<int> AtBound;
  RateConstants K{};
  RateConstants Se{};  // per constant; 0 where fixed, NaN where not determined
  Real Ssr = 0;        // weighted (with fixed weights) where weighted
  int P = 0;           // free constants determined and not at a bound
  Real Aicc = 0;
  Real Bic = 0;
  Real Delta = 0;   // criterion - the best model's
  Real Weight = 0;  // Akaike (Schwarz) weight among the distinct models; 0 for a same model
  bool Converged = false;
  // A candidate ended at its bound: this is the model without it, at that index of Models.
  std::optional<std::size_t> SameAs;
};

// The evidence for one candidate pathway.
struct PathwayEvidence {
  int Index = 0;
  Real Inclusion = 0;  // summed weight of the distinct models that contain it
  // Drop-one F test against the full model: F = (SSR without - SSR full) / (SSR full /
  // (n - p full)) with 1 and n - p full degrees of freedom; NaN where the model without it
  // was not fitted.
  Real F = 0;
  Real PValue = 0;
  Real Averaged = 0;    // sum of w_i k_i over the distinct models (k = 0 where off)
  Real AveragedSe = 0;  // sum of w_i sqrt(SE_i^2 + (k_i - averaged)^2)
};

struct SelectionResult {
  SelectionCriterion Criterion = SelectionCriterion::Aicc;
  SelectionMethod Method = SelectionMethod::Exhaustive;
  std::vector<int> Candidates;
  std::vector<int> Keep;
  FitExperiments Experiments = FitExperiments::Both;
  int N = 0;
  int ModelsFitted = 0;
  // Sorted by the criterion, best first (a same model after its twin's value ties go to the
  // distinct one); SameAs indexes this list.
  std::vector<SelectedModel> Models;
  std::vector<PathwayEvidence> Pathways;  // in the order of Candidates
  std::optional<SpeciesValues> Sigmas;    // the full model's species sigma, held for every model
  bool Stopped = false;

  const SelectedModel* Best() const { return Models.empty() ? nullptr : &Models.front(); }
};

// Called from the worker threads, one at a time, after each fitted model.
using SelectionProgress = std::function<void(int fitted, int total)>;

// Fits the full model (the candidates and the kept constants free) from its constants with
// the settings' starts, then, exhaustively, every subset of the candidates from the full
// model's constants with the switched-off ones at 0 (with the starts again where a subset
// ends worse than its parents allow), or backward: drops the pathway whose removal lowers
// the criterion most until none does. With species weighting the sigmas of the full model
// are held for every model. Fits run on `Threads` threads; the result does not depend on
// their number. A stop ends the run with the models fitted so far, ranked, Stopped. Throws
// ZamoError as the fit does, and when there is no candidate or more than 16.
SelectionResult SelectModels(const SelectionSettings& settings, const OptimizationRunData& data,
                             const SelectionProgress& progress, const std::atomic<bool>& stop);

// The value of the criterion for a model.
Real CriterionOf(const SelectedModel& model, SelectionCriterion criterion);

// Ranks fitted models: same models found, sorted, deltas, weights, and the evidence per
// candidate (the full model is the one with every candidate on). Exposed for tests.
void RankModels(SelectionResult& result, int fullDof);

}  // namespace zamo
