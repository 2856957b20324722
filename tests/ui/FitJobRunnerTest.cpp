// A window's fit job: progress reaches the window's thread before the end, the end is told
// once with the result or the error, Stop reaches the work, and a runner destroyed during
// a fit neither hangs nor tells anything afterwards.

#include <QTest>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ui/FitJobRunner.h"

namespace zamo::testing {

namespace {

constexpr int kTimeout = 10000;  // ms

// Works until stopped, posting one progress per round.
int UntilStopped(FitJobRunner& runner, std::vector<int>& shown, const std::atomic<bool>& stop) {
  int rounds = 0;
  while (!stop.load()) {
    runner.Post([&shown, rounds] { shown.push_back(rounds); });
    ++rounds;
    std::this_thread::yield();
  }
  return rounds;
}

}  // namespace

class FitJobRunnerTest : public QObject {
  Q_OBJECT

 private slots:
  void EndIsToldOnceAfterTheProgress() {
    FitJobRunner runner(nullptr);
    std::vector<int> shown;
    std::vector<std::optional<int>> ends;
    const QThread* endThread = nullptr;
    runner.Start<int>(
        [&](const std::atomic<bool>&) {
          for (int n = 0; n < 3; ++n) runner.Post([&shown, n] { shown.push_back(n); });
          return 42;
        },
        [&](std::optional<int> result, std::exception_ptr error) {
          QVERIFY(!error);
          QVERIFY(!runner.Running());
          QCOMPARE(shown.size(), std::size_t{3});
          endThread = QThread::currentThread();
          ends.push_back(result);
        });
    QVERIFY(runner.Running());
    QTRY_COMPARE_WITH_TIMEOUT(ends.size(), std::size_t{1}, kTimeout);
    QCOMPARE(ends[0], std::optional<int>(42));
    QCOMPARE(endThread, QThread::currentThread());
    QCOMPARE(shown, (std::vector<int>{0, 1, 2}));
    QTest::qWait(20);
    QCOMPARE(ends.size(), std::size_t{1});
  }

  void StopReachesTheWorkAndAnErrorIsTold() {
    FitJobRunner runner(nullptr);
    std::vector<int> shown;
    std::optional<int> rounds;
    bool ended = false;
    runner.Start<int>([&](const std::atomic<bool>& stop) { return UntilStopped(runner, shown, stop); },
                      [&](std::optional<int> result, std::exception_ptr) {
                        rounds = result;
                        ended = true;
                      });
    QTRY_VERIFY_WITH_TIMEOUT(!shown.empty(), kTimeout);
    runner.Stop();
    QTRY_VERIFY_WITH_TIMEOUT(ended, kTimeout);
    QVERIFY(rounds.has_value());

    std::exception_ptr error;
    runner.Start<int>([](const std::atomic<bool>&) -> int { throw std::runtime_error("no fit"); },
                      [&](std::optional<int> result, std::exception_ptr thrown) {
                        QVERIFY(!result);
                        error = thrown;
                      });
    QTRY_VERIFY_WITH_TIMEOUT(error != nullptr, kTimeout);
  }

  // Closing a window during a fit: the runner goes with it, the work is stopped and waited
  // for, and what was still queued is dropped.
  void DestroyedDuringAFitToldNothing() {
    std::vector<int> shown;
    bool ended = false;
    auto runner = std::make_unique<FitJobRunner>(nullptr);
    FitJobRunner& job = *runner;
    job.Start<int>([&](const std::atomic<bool>& stop) { return UntilStopped(job, shown, stop); },
                   [&](std::optional<int>, std::exception_ptr) { ended = true; });
    QTRY_VERIFY_WITH_TIMEOUT(!shown.empty(), kTimeout);
    runner.reset();
    const std::size_t seen = shown.size();
    QTest::qWait(20);
    QVERIFY(!ended);
    QCOMPARE(shown.size(), seen);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::FitJobRunnerTest)
#include "FitJobRunnerTest.moc"
