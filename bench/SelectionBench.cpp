// The model selection on the built-in example: every subset of the ten constants the fit
// frees, on all cores, and every subset of k1..k14. Measured in wall-clock time (the fits
// run in parallel); BenchMain.cpp sets the first against 1,024 single-start fits of the
// full model (target: at most half of them) and the second against 30 s.

#include <benchmark/benchmark.h>

#include <atomic>

#include "bench/BenchNames.h"
#include "bench/ExampleFixture.h"
#include "optimize/ModelSelection.h"

namespace zamo::bench {
namespace {

void BM_Select(benchmark::State& state, bool allPathways) {
  const KineticProject project = LoadExampleProject();
  const OptimizationRunData data{project.K, project.Left, project.Right};
  SelectionSettings settings;
  if (allPathways) {
    for (int i = 1; i <= 14; ++i) settings.Candidates.push_back(i);
  } else {
    settings.Candidates = DefaultCandidates(project.K, false);
  }
  const std::atomic<bool> stop{false};
  for (auto _ : state) {
    const SelectionResult result = SelectModels(settings, data, nullptr, stop);
    benchmark::DoNotOptimize(result.Models.size());
  }
}
BENCHMARK_CAPTURE(BM_Select, Example, false)->Name(kSelectExample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Select, K1ToK14, true)
    ->Name(kSelectK1ToK14)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
}  // namespace zamo::bench
