#include "tests/fuzz/ObjectiveFuzzChecks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/ZamoError.h"
#include "optimize/FitResiduals.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/OptimizeRateConstants.h"

namespace zamo::fuzz {
namespace {

[[noreturn]] void Broken(const char* objective, const char* rule) {
  std::fprintf(stderr, "fuzz check failed (%s): %s\n", objective, rule);
  std::abort();
}

// Reads the input front to back; past its end every byte is 0.
struct Bytes {
  std::string_view Input;
  std::size_t At = 0;
  unsigned Next() { return At < Input.size() ? static_cast<unsigned char>(Input[At++]) : 0u; }
  unsigned Next16() { return Next() << 8 | Next(); }
};

// A rate of every kind a project can hold: 0, everyday magnitudes (1e-11 to 10 per second)
// and anything up to the edges of the extended range, of either sign.
Real DecodeRate(Bytes& in) {
  const unsigned kind = in.Next() % 8;
  const unsigned a = in.Next16();
  const unsigned b = in.Next();
  const Real fraction = static_cast<Real>(a) / 65536;
  const Real everyday = (1 + 9 * fraction) * std::pow(10.0L, -static_cast<int>(b % 12));
  if (kind == 0) return 0;
  if (kind == 6) return -everyday;
  if (kind != 7) return everyday;
  // Exponents -16381..16383: from the smallest normal extended values to near the largest.
  const Real extreme = std::ldexp(1 + fraction, static_cast<int>((a * 256 + b) % 32765) - 16382);
  return (b & 1) != 0 ? -extreme : extreme;
}

Experiment DecodeExperiment(Bytes& in) {
  Experiment e;
  e.Present = true;
  e.LastRow = static_cast<std::int32_t>(in.Next() % kRowCount);
  for (int r = 0; r <= e.LastRow; ++r) {
    const auto row = static_cast<std::size_t>(r);
    const unsigned time = in.Next16() << 8 | in.Next();
    e.Times[row] = static_cast<std::int32_t>(time) - (1 << 20);  // also negative, also out of order
    Real sum = 0;
    for (int s = 1; s <= 7; ++s) {
      e.Observed[row][s] = (static_cast<Real>(in.Next16()) / 65535 * 2000 - 1000) / 100;
      sum += e.Observed[row][s];
    }
    e.Observed[row][8] = 1 - sum;
  }
  return e;
}

struct FuzzedRun {
  bool Search = false;  // run the search too, not only the objectives
  OptimizationSettings Settings{.Steps = 1};
  FitExperiments Experiments = FitExperiments::Both;
  OptimizationRunData Data;
};

FuzzedRun Decode(Bytes& in) {
  FuzzedRun run;
  const unsigned flags = in.Next();
  run.Search = (flags & 1) != 0;
  run.Settings.VaryK15K16 = (flags & 2) != 0;
  run.Settings.Withoutk6k7k13k14 = (flags & 4) != 0;
  run.Settings.HighPr_k1k8 = (flags & 8) != 0;
  run.Settings.AllSpecies = (flags & 16) != 0;
  run.Experiments = std::array{FitExperiments::Both, FitExperiments::Left, FitExperiments::Right,
                               FitExperiments::Both}[(flags >> 5) & 3];
  for (int i = 1; i <= kRateConstantCount; ++i) run.Data.K[i] = DecodeRate(in);
  run.Data.Left = DecodeExperiment(in);
  run.Data.Right = DecodeExperiment(in);
  return run;
}

// The objective of the coordinate search, and the search itself.
void CheckCoordinateSearch(const FuzzedRun& run) {
  constexpr const char* kName = "coordinate search";
  CoefficientSet scratch;
  SpeciesFlags priority{};
  priority[2] = true;
  for (const Side side : {Side::Left, Side::Right}) {
    for (const bool allSpecies : {false, true}) {
      const Experiment& e = side == Side::Left ? run.Data.Left : run.Data.Right;
      const Real objective = ExperimentObjective(run.Data.K, e, side, priority, allSpecies, scratch);
      if (std::isnan(objective) || objective < 0) Broken(kName, "an objective is >= 0 or +infinity");
    }
  }
  if (!run.Search) return;
  StartObjectives starts;
  int lastPosition = 0;
  const ProgressSink progress = [&](int position, Real, const RateConstants&) {
    if (position < lastPosition || position > 1000) Broken(kName, "progress positions rise within 0..1000");
    lastPosition = position;
  };
  const std::atomic<bool> stop{false};
  const RateConstants result = OptimizeRateConstants(run.Settings, run.Data, starts, progress, stop);
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (!std::isfinite(result[i])) Broken(kName, "the constants reached are finite");
  }
  if (lastPosition != 1000) Broken(kName, "a finished run reports position 1000");
}

// The fit's residuals, their derivatives, and the fit itself stopped after a few iterations.
void CheckLeastSquaresFit(const FuzzedRun& run) {
  constexpr const char* kName = "least-squares fit";
  FitSettings settings;
  settings.Experiments = run.Experiments;
  settings.Free = DefaultFreeSet(run.Data.K, run.Settings.VaryK15K16);
  FitProblem problem;
  problem.Constants = run.Data.K;
  problem.Left = run.Data.Left;
  problem.Right = run.Data.Right;
  problem.Experiments = run.Experiments;
  std::vector<Real> free;
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (!settings.Free[i]) continue;
    problem.Free.push_back(i);
    free.push_back(run.Data.K[i]);
  }
  if (!problem.Free.empty()) {
    std::vector<Real> residuals(static_cast<std::size_t>(problem.ResidualCount()));
    if (!FitResiduals(problem, free, residuals.data()) &&
        !std::all_of(residuals.begin(), residuals.end(), [](Real r) { return std::isfinite(r); })) {
      Broken(kName, "residuals are finite where the closed form evaluates");
    }
    // Only the values: the slopes are doubles, which overflow or turn NaN where growing
    // exponentials (negative rates or times) or extreme rates leave a double's range.
    std::vector<FitJet> jets(residuals.size());
    if (!FitResiduals(problem, free, jets.data()) &&
        !std::all_of(jets.begin(), jets.end(), [](const FitJet& r) { return std::isfinite(r.Value); })) {
      Broken(kName, "residuals with derivatives are finite");
    }
  }
  if (!run.Search) return;
  std::atomic<bool> stop{false};
  const FitProgressSink progress = [&](int iteration, Real, const RateConstants&) {
    if (iteration >= 3) stop = true;
  };
  try {
    const FitResult result = FitRateConstants(settings, run.Data, progress, stop);
    for (int i = 1; i <= kRateConstantCount; ++i) {
      if (!std::isfinite(result.K[i])) Broken(kName, "the constants reached are finite");
    }
  } catch (const ZamoError&) {
    // Nothing to fit, or start constants the closed form cannot evaluate: a clean refusal.
  }
}

}  // namespace

// The objectives fuzzed (another joins this table); the rest of the input is decoded for all.
void CheckObjectives(std::string_view bytes) {
  constexpr std::array kChecks = {CheckCoordinateSearch, CheckLeastSquaresFit};
  Bytes in{bytes};
  const auto check = kChecks[in.Next() % kChecks.size()];
  check(Decode(in));
}

}  // namespace zamo::fuzz
