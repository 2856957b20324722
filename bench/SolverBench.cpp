// The closed-form solver per call, against the floor of any closed-form evaluation.
//
// Target: one CalcConcLeft call costs at most 2 x the three expl calls of the baseline at
// the same times (BenchMain.cpp prints the measured ratio). The example's decay constants lie
// far apart, so it takes the modal form; the divided differences, which serve every rate set,
// are measured on it as well.

#include <benchmark/benchmark.h>

#include <cmath>

#include "bench/BenchNames.h"
#include "bench/ExampleFixture.h"
#include "model/ClosedForm.h"
#include "model/IsoprCalcConc.h"
#include "model/RecalcCurves.h"

namespace zamo::bench {
namespace {

// The measured times of a typical experiment, cycled so that each call sees another time.
// The array is not const and is passed through DoNotOptimize before use, so the compiler
// cannot know the times and fold any exponential.
Real gTimes[8] = {60, 1800, 3600, 7200, 10800, 19800, 36000, 72000};

// Baseline: exactly three expl calls (std::exp on long double), with the arguments the solver
// forms at the same times: the decay constants of the A/B pair and the G/H relaxation rate.
void BM_ThreeExpl(benchmark::State& state) {
  const CoefficientSet set = PrepareCoefficients(LoadExampleProject().K);
  benchmark::DoNotOptimize(gTimes);
  std::size_t i = 0;
  for (auto _ : state) {
    const Real t = gTimes[i++ & 7];
    benchmark::DoNotOptimize(std::exp(-set.Lambda1 * t));
    benchmark::DoNotOptimize(std::exp(-set.Lambda2 * t));
    benchmark::DoNotOptimize(std::exp(-set.Mu * t));
  }
}
BENCHMARK(BM_ThreeExpl)->Name(kThreeExpl);

void BM_CalcConcLeft(benchmark::State& state) {
  const CoefficientSet set = PrepareCoefficients(LoadExampleProject().K);
  benchmark::DoNotOptimize(gTimes);
  std::size_t i = 0;
  for (auto _ : state) {
    const Real t = gTimes[i++ & 7];
    benchmark::DoNotOptimize(CalcConcLeft(set, t));
  }
}
BENCHMARK(BM_CalcConcLeft)->Name(kCalcConcLeft);

void BM_CalcConcLeftDivided(benchmark::State& state) {
  CoefficientSet set;
  PrepareClosedForm(LoadExampleProject().K, std::nullopt, set, ClosedFormPath::DividedDifferences);
  benchmark::DoNotOptimize(gTimes);
  std::size_t i = 0;
  for (auto _ : state) {
    const Real t = gTimes[i++ & 7];
    Concentrations c;
    benchmark::DoNotOptimize(EvaluateClosedForm(set, Side::Left, t, c));
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_CalcConcLeftDivided)->Name(kCalcConcLeftDivided);

void BM_PrepareCoefficients(benchmark::State& state) {
  RateConstants k = LoadExampleProject().K;
  for (auto _ : state) {
    benchmark::DoNotOptimize(k);
    benchmark::DoNotOptimize(PrepareCoefficients(k));
  }
}
BENCHMARK(BM_PrepareCoefficients)->Name(kPrepareCoefficients);

// The recalculation of the widest curve store: 1031 samples and the deviations.
void BM_RecalcCurves1030(benchmark::State& state) {
  KineticProject project = LoadExampleProject();
  for (auto _ : state) {
    benchmark::DoNotOptimize(RecalcCurves(project, 1030));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RecalcCurves1030)->Name(kRecalcCurves1030);

}  // namespace
}  // namespace zamo::bench
