// The closed form against a general-purpose adaptive ODE integrator, both computing what one
// objective evaluation of the left experiment needs: the fractions at its measured times.
//
// Target: the closed form (PrepareCoefficients once, CalcConcLeft at each time) is faster
// than the integrator; BenchMain.cpp prints the measured ratio.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <vector>

#include "bench/BenchNames.h"
#include "bench/ExampleFixture.h"
#include "bench/OdeBaseline.h"
#include "model/IsoprCalcConc.h"

namespace zamo::bench {
namespace {

// How closely the integrator must reproduce the closed form to count as computing the same.
constexpr Real kAgreement = 1e-8L;

struct LeftMeasurements {
  RateConstants K{};
  std::vector<Real> Times;  // rows 1..LastRow, seconds
};

LeftMeasurements LoadLeftMeasurements() {
  const KineticProject project = LoadExampleProject();
  LeftMeasurements m;
  m.K = project.K;
  for (int row = 1; row <= project.Left.LastRow; ++row) {
    m.Times.push_back(static_cast<Real>(project.Left.Times[static_cast<std::size_t>(row)]));
  }
  return m;
}

void ClosedFormAtTimes(const RateConstants& k, std::span<const Real> times, std::span<Concentrations> out) {
  const CoefficientSet set = PrepareCoefficients(k);
  for (std::size_t i = 0; i < times.size(); ++i) out[i] = CalcConcLeft(set, times[i]);
}

// The largest difference of any fraction at any time between the two routes.
Real LargestDifference(std::span<const Concentrations> a, std::span<const Concentrations> b) {
  Real largest = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int s = 1; s <= kSpeciesCount; ++s) largest = std::max(largest, std::fabs(a[i][s] - b[i][s]));
  }
  return largest;
}

void BM_OdeAtMeasuredTimes(benchmark::State& state) {
  LeftMeasurements m = LoadLeftMeasurements();
  std::vector<Concentrations> ode(m.Times.size());
  std::vector<Concentrations> closed(m.Times.size());

  // Checked once, untimed: the baseline must compute the same fractions.
  const std::size_t steps = IntegrateAtTimes(BuildRateMatrix(m.K), Side::Left, m.Times, ode);
  ClosedFormAtTimes(m.K, m.Times, closed);
  const Real difference = LargestDifference(ode, closed);
  if (!(difference <= kAgreement)) {
    char message[160];
    std::snprintf(message, sizeof message, "the integrator differs from the closed form by %.3Lg (allowed %.0Lg)",
                  difference, kAgreement);
    state.SkipWithError(message);
    return;
  }

  for (auto _ : state) {
    benchmark::DoNotOptimize(m.K);
    benchmark::DoNotOptimize(IntegrateAtTimes(BuildRateMatrix(m.K), Side::Left, m.Times, ode));
    benchmark::ClobberMemory();
  }
  state.counters["steps"] = static_cast<double>(steps);
  state.counters["max_diff"] = static_cast<double>(difference);
}
BENCHMARK(BM_OdeAtMeasuredTimes)->Name(kOdeAtMeasuredTimes);

void BM_ClosedFormAtMeasuredTimes(benchmark::State& state) {
  LeftMeasurements m = LoadLeftMeasurements();
  std::vector<Concentrations> closed(m.Times.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.K);
    ClosedFormAtTimes(m.K, m.Times, closed);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ClosedFormAtMeasuredTimes)->Name(kClosedFormAtMeasuredTimes);

}  // namespace
}  // namespace zamo::bench
