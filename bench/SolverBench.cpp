#include <benchmark/benchmark.h>

#include <cmath>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/IsoprCalcConc.h"
#include "model/RecalcCurves.h"

namespace zamo {
namespace {

KineticProject ExampleProject() {
  KineticProject project;
  ReadProjectText(project, ExampleProjectText(), "");
  project.DataValid = true;
  return project;
}

// The measured times of a typical experiment, cycled so that each call sees another time.
constexpr Real kTimes[8] = {60, 1800, 3600, 7200, 10800, 19800, 36000, 72000};

// Baseline: three exponentials at the same times, the floor of any closed-form evaluation.
void BM_ThreeExponentials(benchmark::State& state) {
  const CoefficientSet set = PrepareCoefficients(ExampleProject().K);
  std::size_t i = 0;
  for (auto _ : state) {
    const Real t = kTimes[i++ & 7];
    benchmark::DoNotOptimize(std::exp(-set.Lambda1 * t) + std::exp(-set.Lambda2 * t) + std::exp(-set.Mu * t));
  }
}
BENCHMARK(BM_ThreeExponentials);

void BM_CalcConcLeft(benchmark::State& state) {
  const CoefficientSet set = PrepareCoefficients(ExampleProject().K);
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(CalcConcLeft(set, kTimes[i++ & 7]));
}
BENCHMARK(BM_CalcConcLeft);

void BM_PrepareCoefficients(benchmark::State& state) {
  const RateConstants k = ExampleProject().K;
  for (auto _ : state) benchmark::DoNotOptimize(PrepareCoefficients(k));
}
BENCHMARK(BM_PrepareCoefficients);

void BM_RecalcCurves1030(benchmark::State& state) {
  KineticProject project = ExampleProject();
  for (auto _ : state) benchmark::DoNotOptimize(RecalcCurves(project, 1030));
}
BENCHMARK(BM_RecalcCurves1030);

}  // namespace
}  // namespace zamo

BENCHMARK_MAIN();
