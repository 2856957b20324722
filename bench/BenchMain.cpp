// Runs every benchmark and then prints the ratios the targets are stated in, taken from the
// same run so that the machine's load affects both sides of a ratio alike:
//   CalcConcLeft / three expl at the same times: at most 2 (the form before the exact
//   evaluation at every degeneracy measured 1.1-1.2 beside it on the same machine);
//   the divided differences alone / three expl: for information;
//   least-squares fit (eight starts) / coordinate search on the example's defaults: at most
//   0.1;
//   ODE integrator / closed form at the measured times: above 1 (the closed form is faster);
//   global fit of a five-temperature series / its five single fits: for information;
//   model selection over the example's ten candidates on all cores / 1,024 single-start fits
//   of the full model: at most 0.5, in wall-clock time (CPU time for information);
// and the times with a target of their own:
//   global fit of a five-temperature series: at most 100 ms;
//   model selection over every subset of k1..k14: at most 30 s of wall-clock time.
// Ratios use the time per iteration, the smallest over repetitions when there are some.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchNames.h"

namespace zamo::bench {
namespace {

enum class Clock { Cpu, Wall };

// The console output as usual, and the CPU and wall-clock time per iteration of every
// benchmark kept.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  using ConsoleReporter::ConsoleReporter;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      const std::string& name = run.run_name.function_name;
      Keep(cpu_, name, run.cpu_accumulated_time / static_cast<double>(run.iterations) * 1e9);
      Keep(wall_, name, run.real_accumulated_time / static_cast<double>(run.iterations) * 1e9);
    }
  }

  const double* NanosecondsOf(const std::string& name, Clock clock = Clock::Cpu) const {
    const auto& times = clock == Clock::Cpu ? cpu_ : wall_;
    const auto found = times.find(name);
    return found == times.end() ? nullptr : &found->second;
  }

 private:
  static void Keep(std::map<std::string, double>& times, const std::string& name, double nanoseconds) {
    const auto found = times.find(name);
    if (found == times.end() || nanoseconds < found->second) times[name] = nanoseconds;
  }

  std::map<std::string, double> cpu_;
  std::map<std::string, double> wall_;
};

struct RatioTarget {
  const char* Label;
  const char* Numerator;
  const char* Denominator;
  const char* TargetText;
  bool (*Met)(double ratio);
  Clock Timing = Clock::Cpu;
  double DenominatorTimes = 1;  // the denominator counts this many runs of its benchmark
};

const RatioTarget kTargets[] = {
    {"CalcConcLeft / three expl", kCalcConcLeft, kThreeExpl,
     "target <= 2; before the exact form at degeneracies: 1.1-1.2", [](double r) { return r <= 2; }},
    {"CalcConcLeft by divided differences / three expl", kCalcConcLeftDivided, kThreeExpl,
     "the form of degenerate rate sets; no target", [](double) { return true; }},
    {"least-squares fit (8 starts) / coordinate search, both by default", kFitDefault, kOptimizeDefault,
     "target <= 0.1", [](double r) { return r <= 0.1; }},
    {"ODE integrator / closed form at the measured times", kOdeAtMeasuredTimes, kClosedFormAtMeasuredTimes,
     "target > 1", [](double r) { return r > 1; }},
    {"global fit of a five-temperature series / its five single fits", kSeriesGlobalFit, kSeriesSingleFits, "no target",
     [](double) { return true; }},
    {"model selection of 10 candidates on all cores / 1,024 single-start fits (wall clock)", kSelectExample,
     kFitSingleStart, "target <= 0.5", [](double r) { return r <= 0.5; }, Clock::Wall, 1024},
    {"the same in CPU time of the calling thread", kSelectExample, kFitSingleStart, "for information",
     [](double) { return true; }, Clock::Cpu, 1024},
};

struct TimeTarget {
  const char* Label;
  const char* Name;
  double MaxMilliseconds;
  Clock Timing = Clock::Cpu;
};

const TimeTarget kTimeTargets[] = {
    {"global fit of a five-temperature series (20 parameters)", kSeriesGlobalFit, 100},
    {"model selection over every subset of k1..k14 (16,384 models, wall clock)", kSelectK1ToK14, 30000, Clock::Wall},
};

void PrintRatios(const RecordingReporter& reporter) {
  std::printf("\nRatios of the time per iteration:\n");
  for (const RatioTarget& target : kTargets) {
    const double* numerator = reporter.NanosecondsOf(target.Numerator, target.Timing);
    const double* denominator = reporter.NanosecondsOf(target.Denominator, target.Timing);
    if (numerator == nullptr || denominator == nullptr || *denominator <= 0) {
      std::printf("  %s: not measured in this run\n", target.Label);
      continue;
    }
    const double ratio = *numerator / (*denominator * target.DenominatorTimes);
    std::printf("  %s: %.2f (%s%s)\n", target.Label, ratio, target.TargetText, target.Met(ratio) ? "" : ", NOT MET");
  }
  std::printf("\nTime per iteration against its target:\n");
  for (const TimeTarget& target : kTimeTargets) {
    const double* nanoseconds = reporter.NanosecondsOf(target.Name, target.Timing);
    if (nanoseconds == nullptr) {
      std::printf("  %s: not measured in this run\n", target.Label);
      continue;
    }
    const double milliseconds = *nanoseconds / 1e6;
    std::printf("  %s: %.1f ms (target <= %.0f ms%s)\n", target.Label, milliseconds, target.MaxMilliseconds,
                milliseconds <= target.MaxMilliseconds ? "" : ", NOT MET");
  }
}

}  // namespace
}  // namespace zamo::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Counters (the integrator's step count and its difference from the closed form) inline,
  // so that one table holds every benchmark.
  const auto options =
      isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color : benchmark::ConsoleReporter::OO_None;
  zamo::bench::RecordingReporter reporter(options);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  zamo::bench::PrintRatios(reporter);
  return 0;
}
