// The default optimization of the example (15 steps) through the optimization dialog, with
// its worker thread, the 240 progress reports shown and the completion's refresh of the main
// window, beside the same run in the core alone. Target: the dialog adds at most 20 %.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <atomic>

#include "app/ZamoMain.h"
#include "bench/UiBenchPlatform.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/RecalcCurves.h"
#include "optimize/LinOpt.h"
#include "optimize/OptimizeRateConstants.h"

namespace zamo::bench {
namespace {

void BM_CoreOptimization(benchmark::State& state) {
  KineticProject project;
  ReadProjectText(project, ExampleProjectText(), "");
  project.DataValid = true;
  RecalcCurves(project, 565);
  const OptimizationSettings settings = DefaultOptimizationSettings(project);
  const OptimizationRunData data{project.K, project.Left, project.Right};
  const std::atomic<bool> stop{false};
  for (auto _ : state) {
    StartObjectives starts;
    benchmark::DoNotOptimize(OptimizeRateConstants(settings, data, starts, {}, stop));
  }
}
BENCHMARK(BM_CoreOptimization)->Name(kCoreOptimization)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DialogOptimization(benchmark::State& state) {
  FullHdPlatform platform;
  TFZamo window(platform);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    state.SkipWithError("the window was not shown");
    return;
  }
  const RateConstants example = window.Project().K;
  TOptRate* dialog = TOptRate::Show(window);
  auto* calculate = dialog->findChild<QPushButton*>(QStringLiteral("CalcBitBtn"));
  for (auto _ : state) {
    state.PauseTiming();
    window.Project().K = example;  // every run from the same constants, as in the core
    state.ResumeTiming();
    calculate->click();
    while (dialog->Running() || !calculate->isEnabled()) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
  dialog->AbortBitBtnClick();
}
BENCHMARK(BM_DialogOptimization)->Name(kDialogOptimization)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zamo::bench
