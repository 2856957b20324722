// A window's fit job, on work that counts progress until stopped or throws: the progress reaches
// the window's thread before the end, told once with the count or the error; a runner destroyed
// during a fit (a window closed) stops the work, waits for it and tells nothing afterwards.

#include <QTest>
#include <stdexcept>

#include "ui/FitJobRunner.h"

namespace zamo::testing {

class FitJobRunnerTest : public QObject {
  Q_OBJECT

  std::vector<int> shown_;
  QStringList ends_;

  void Start(FitJobRunner& runner, bool fail) {
    shown_.clear();
    runner.Start<int>(
        [this, &runner, fail](const std::atomic<bool>& stop) {
          int rounds = 0;
          for (; !stop.load() && !fail; ++rounds) runner.Post([this, rounds] { shown_.push_back(rounds); });
          return fail ? throw std::runtime_error("no fit") : rounds;
        },
        [this, &runner](std::optional<int> result, const std::exception_ptr& error) {
          if (runner.Running() || QThread::currentThread() != thread()) return;
          ends_.append(error ? QStringLiteral("error") : QString::number(result.value_or(-1)));
        });
  }

 private slots:
  void EndIsToldOnceAfterTheProgressAndNotAfterDestruction() {
    auto runner = std::make_unique<FitJobRunner>(nullptr);
    Start(*runner, false);
    QTRY_VERIFY(shown_.size() >= 3 && runner->Running());
    runner->Stop();
    QTRY_COMPARE(ends_, QStringList{QString::number(shown_.size())});
    Start(*runner, true);
    QTRY_COMPARE(ends_.value(1), QStringLiteral("error"));
    Start(*runner, false);
    QTRY_VERIFY(!shown_.empty());
    runner.reset();
    const std::size_t seen = shown_.size();
    QTest::qWait(20);
    QVERIFY(ends_.size() == 2 && shown_.size() == seen);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::FitJobRunnerTest)
#include "FitJobRunnerTest.moc"
