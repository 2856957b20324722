// One release of a rate-constant stepper on a 1920 x 1080 main window: the recalculation of
// the curves for the wide plot and the repaint of both plots, as the user waits for it.
// Target: well within one frame at 60 Hz (16.7 ms).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

#include "app/ZamoMain.h"
#include "bench/UiBenchPlatform.h"
#include "ui/RateConstantPanel.h"
#include "ui/UpDown.h"

namespace zamo::bench {
namespace {

void BM_StepperRelease(benchmark::State& state) {
  FullHdPlatform platform;
  TFZamo window(platform);
  window.resize(1920, 1080);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    state.SkipWithError("the window was not shown");
    return;
  }
  QCoreApplication::processEvents();
  QToolButton* up = window.Panel().Stepper(3, 2)->UpButton();
  for (auto _ : state) {
    state.PauseTiming();
    QTest::mousePress(up, Qt::LeftButton);
    state.ResumeTiming();
    QTest::mouseRelease(up, Qt::LeftButton);
    QCoreApplication::processEvents();  // the scheduled repaint of both plots
  }
  state.counters["plot_columns"] = window.PlotIntervals() + 1;
}
BENCHMARK(BM_StepperRelease)->Name(kStepperRelease)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace zamo::bench
