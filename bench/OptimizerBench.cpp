// The optimizer on the built-in example: one objective evaluation, the unit of its work,
// and the whole run with the settings the dialog offers by default; beside it the
// least-squares fit of the default free set, which reaches the better point.
//
// Target: the fit with its default eight starts takes at most a tenth of the coordinate
// search (BenchMain.cpp prints the ratio).

#include <benchmark/benchmark.h>

#include <atomic>

#include "bench/BenchNames.h"
#include "bench/ExampleFixture.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/OptimizeRateConstants.h"

namespace zamo::bench {
namespace {

constexpr int kA = 1, kB = 2;

// One evaluation as a left pass makes it with the default settings: B weighted ten times
// (high priority for A and B), and every species judged or not as the defaults decide.
void BM_ObjectiveLeft(benchmark::State& state) {
  const KineticProject project = LoadExampleProject();
  const OptimizationSettings settings = DefaultOptimizationSettings(project);
  SpeciesFlags priority{};
  priority[kB] = settings.HighPr_k1k8;
  priority[kA] = false;
  RateConstants k = project.K;
  CoefficientSet scratch;
  for (auto _ : state) {
    benchmark::DoNotOptimize(k);
    benchmark::DoNotOptimize(ExperimentObjective(k, project.Left, Side::Left, priority, settings.AllSpecies, scratch));
  }
  state.counters["all_species"] = settings.AllSpecies ? 1 : 0;
}
BENCHMARK(BM_ObjectiveLeft)->Name(kObjectiveLeft);

// The whole default run (15 steps, 240 cycles), as the dialog starts it: fresh start
// objectives, no progress display, never stopped.
void BM_OptimizeDefault(benchmark::State& state) {
  const KineticProject project = LoadExampleProject();
  const OptimizationSettings settings = DefaultOptimizationSettings(project);
  const OptimizationRunData data{project.K, project.Left, project.Right};
  const ProgressSink noProgress;
  const std::atomic<bool> stop{false};
  for (auto _ : state) {
    StartObjectives starts;
    benchmark::DoNotOptimize(OptimizeRateConstants(settings, data, starts, noProgress, stop));
    benchmark::DoNotOptimize(starts);
  }
}
BENCHMARK(BM_OptimizeDefault)->Name(kOptimizeDefault)->Unit(benchmark::kMillisecond);

// The default least-squares fit (the non-zero constants among k1..k14, both experiments, no
// weighting, no profile intervals), statistics included: from the default starts, and from
// the project's constants alone.
void BM_Fit(benchmark::State& state, int starts) {
  const KineticProject project = LoadExampleProject();
  const OptimizationRunData data{project.K, project.Left, project.Right};
  FitSettings settings;
  settings.Free = DefaultFreeSet(project.K, false);
  settings.Starts = starts;
  const std::atomic<bool> stop{false};
  for (auto _ : state) {
    const FitResult result = FitRateConstants(settings, data, nullptr, stop);
    benchmark::DoNotOptimize(result.After.Total);
  }
}
BENCHMARK_CAPTURE(BM_Fit, Default, kDefaultStarts)->Name(kFitDefault)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Fit, SingleStart, 1)->Name(kFitSingleStart)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zamo::bench
