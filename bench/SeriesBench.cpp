// A temperature series of five projects (ten pathways, twenty parameters in the global fit),
// made in memory like the example series, each project's constants moved by up to a factor
// of 2 from those the data were made with.
//
// Target: the global fit takes at most 100 ms (BenchMain.cpp prints it beside the five single
// fits of the two-stage method that it starts from).

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>

#include "bench/BenchNames.h"
#include "document/SyntheticSeries.h"
#include "optimize/SeriesFit.h"

namespace zamo::bench {
namespace {

TemperatureSeries FiveTemperatures() {
  TemperatureSeries series = MakeSyntheticSeries(ExampleSeriesRecipe(), "bench.zams");
  int n = 0;
  for (SeriesProject& project : series) {
    for (int i = 1; i <= 14; ++i) project.Data.K[i] *= std::pow(2.0L, std::sin(3.0L * ++n));
  }
  return series;
}

// The first stage: five single fits and the lines through their constants.
void BM_SeriesSingleFits(benchmark::State& state) {
  const TemperatureSeries series = FiveTemperatures();
  const SeriesSettings settings;
  const std::atomic<bool> stop{false};
  for (auto _ : state) benchmark::DoNotOptimize(FitTwoStage(settings, series, nullptr, stop));
}
BENCHMARK(BM_SeriesSingleFits)->Name(kSeriesSingleFits)->Unit(benchmark::kMillisecond);

// The global fit alone, from the lines of the first stage.
void BM_SeriesGlobalFit(benchmark::State& state) {
  const TemperatureSeries series = FiveTemperatures();
  const SeriesSettings settings;
  const std::atomic<bool> stop{false};
  const SeriesResult twoStage = FitTwoStage(settings, series, nullptr, stop);
  GlobalSeriesResult result;
  for (auto _ : state) {
    result = FitGlobal(settings, series, twoStage, nullptr, stop);
    benchmark::DoNotOptimize(result);
  }
  state.counters["parameters"] = static_cast<double>(2 * result.Pathways.size());
  state.counters["iterations"] = result.Iterations;
  state.counters["evaluations"] = result.Evaluations;
}
BENCHMARK(BM_SeriesGlobalFit)->Name(kSeriesGlobalFit)->Unit(benchmark::kMillisecond);

// Both methods as a user runs them, with species weighting (the fits repeated until the
// weights agree) for comparison.
void BM_SeriesBothMethods(benchmark::State& state) {
  const TemperatureSeries series = FiveTemperatures();
  SeriesSettings settings;
  settings.Weighting = state.range(0) != 0 ? FitWeighting::Species : FitWeighting::None;
  const std::atomic<bool> stop{false};
  for (auto _ : state) benchmark::DoNotOptimize(FitSeries(settings, series, nullptr, stop));
}
BENCHMARK(BM_SeriesBothMethods)
    ->Name(kSeriesBothMethods)
    ->ArgName("species_weights")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zamo::bench
