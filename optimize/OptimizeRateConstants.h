#pragma once

#include <atomic>
#include <functional>

#include "model/KineticProject.h"

namespace zamo {

// Settings of one run, fixed while it lasts.
struct OptimizationSettings {
  int Steps = 15;                  // 1..40; the run makes 2 x Steps passes
  bool VaryK15K16 = false;         // search k15 and k16 in every pass as well
  bool Withoutk6k7k13k14 = false;  // k6, k7, k13, k14 become 0 and are not searched
  bool HighPr_k1k8 = true;         // weight B (left passes) or A (right passes) ten times
  bool AllSpecies = false;         // judge every species, not only those formed directly
};

// The project data a run works on, copied when it starts.
struct OptimizationRunData {
  RateConstants K{};
  Experiment Left;
  Experiment Right;
};

// The objective of each experiment at the start of the first pass on it; 0 while not yet
// recorded. They belong to the caller (the dialog) and survive from one run to the next.
struct StartObjectives {
  Real Left = 0;
  Real Right = 0;
};

// Called once per finished cycle with the position 0..1000, the relative optimization in
// percent and the constants reached at the end of the cycle. The run reads its stop flag
// when the call returns, so a caller that shows the values returns only when they are
// shown (or keeps the reached constants, to end the run there itself; see TThLinOpt).
using ProgressSink = std::function<void(int position, Real relativeOptimization, const RateConstants& reached)>;

// The species weighted ten times in an objective.
using SpeciesFlags = OneBased<bool, kSpeciesCount>;

// The objective of one experiment for the constants k: per species the signed differences
// (observed - calculated) x 10000 of rows 1..LastRow are summed (ten times weighted for a
// priority species), and the squares of these sums are added over the included species.
// Residuals of opposite sign cancel. With allSpecies every species counts; otherwise only
// those the start species forms directly through a non-zero constant (B through k1 on the
// left, A through k8 on the right, C..H through k2..k7 or k9..k14). A rate set the closed
// form cannot evaluate has the objective +infinity. `scratch` receives the coefficients, so
// that an evaluation allocates nothing.
Real ExperimentObjective(const RateConstants& k, const Experiment& experiment, Side side, const SpeciesFlags& priority,
                         bool allSpecies, CoefficientSet& scratch);

// Whether a run judges every species: when the total deviation of either experiment, as it
// stands, exceeds 100.
bool JudgeEverySpecies(const KineticProject& project);

// The default settings of a run for a project: 15 steps, k15 and k16 kept, G and H
// included, high priority for A and B, and every species judged when the total deviation of
// either experiment exceeds 100.
OptimizationSettings DefaultOptimizationSettings(const KineticProject& project);

// Fits the rate constants to both experiments by a deterministic coordinate search:
// alternating passes on the left (k1..k7) and right (k8..k14) experiment, each constant
// searched by a one-dimensional step search of at most 33 objective evaluations. Works on
// private copies and its own coefficients, allocates nothing per evaluation, and never
// throws for a rate set the closed form cannot evaluate (such a trial counts as worse).
// The stop flag is checked at the start of every pass and after every cycle's progress
// report. Returns the constants reached, whether the run finished or was stopped.
RateConstants OptimizeRateConstants(const OptimizationSettings& settings, const OptimizationRunData& data,
                                    StartObjectives& starts, const ProgressSink& progress,
                                    const std::atomic<bool>& stop);

}  // namespace zamo
