// The optimization dialog and its worker as a user drives them: the settings, "Calculate"
// until the end, "Stop", "OK" and "Abbruch" at their moments, the keys, and the main window
// closing while a run goes on.

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <optional>
#include <thread>
#include <type_traits>

#include "model/NumberFormat.h"
#include "optimize/RelativeOptimizationText.h"
#include "optimize/windows/LinOpt.h"
#include "optimize/windows/LinOptWorker.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

namespace {

constexpr int kRunTimeout = 60000;  // ms; a whole run of 15 steps takes a few seconds

// Every worker shows itself in the events the user-interface thread delivers to it (its
// progress reports and its completion). The watch keeps track of them, so that a test can
// wait until each run it started has ended and tell whether its completion step ran: a
// worker deletes itself later after that step, never otherwise.
class WorkerWatch : public QObject {
 public:
  WorkerWatch() { QCoreApplication::instance()->installEventFilter(this); }
  ~WorkerWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
  WorkerWatch(const WorkerWatch&) = delete;
  WorkerWatch& operator=(const WorkerWatch&) = delete;

  int Completions() const { return completions_; }
  int Seen() const { return static_cast<int>(workers_.size()); }
  bool AllEnded() const {
    return std::all_of(workers_.begin(), workers_.end(), [](const QPointer<QObject>& w) { return w.isNull(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (qobject_cast<TThLinOpt*>(watched) != nullptr) {
      if (std::none_of(workers_.begin(), workers_.end(), [&](const QPointer<QObject>& w) { return w == watched; })) {
        workers_.emplace_back(watched);
      }
      if (event->type() == QEvent::DeferredDelete) ++completions_;
    }
    return false;
  }

 private:
  std::vector<QPointer<QObject>> workers_;
  int completions_ = 0;
};

// The controls of the open dialog, found by their names.
struct Dialog {
  QPointer<TOptRate> Window;
  QPushButton* Calculate = nullptr;
  QPushButton* Ok = nullptr;
  QPushButton* Abort = nullptr;
  QSlider* TrackBar = nullptr;
  QLabel* StepsLabel = nullptr;
  QLabel* Figure = nullptr;
  QProgressBar* Progress = nullptr;
  QGroupBox* Flags = nullptr;

  bool Idle() const { return Calculate->isEnabled() && Ok->text() == QLatin1String("OK"); }
};

// The main window with the example and the optimization dialog that F8 opened there.
struct Session {
  MainWindowFixture F;
  WorkerWatch Watch;
  Dialog D;
  KineticProject Start;  // the project when the dialog was opened

  [[nodiscard]] bool Open() {
    if (!F.Window.isVisible() && !F.Show()) return false;
    Start = F.Window.Project();
    F.Press(Qt::Key_F8);
    D.Window = F.Window.OptimizationDialog();
    if (D.Window == nullptr || !QTest::qWaitForWindowExposed(D.Window)) return false;
    const auto find = [this](auto*& control, const char* name) {
      control = D.Window->findChild<std::remove_reference_t<decltype(*control)>*>(QLatin1String(name));
      return control != nullptr;
    };
    return find(D.Calculate, "CalcBitBtn") && find(D.Ok, "OKBitBtn") && find(D.Abort, "AbortBitBtn") &&
           find(D.TrackBar, "OptTrackBar") && find(D.StepsLabel, "OptStepsLabel") && find(D.Figure, "OptImpr") &&
           find(D.Progress, "OptProgress") && find(D.Flags, "GroupBox3");
  }
  // A run of 40 steps, long enough to be caught in the middle, once it has reported.
  [[nodiscard]] bool StartLongRun() {
    QTest::keyClick(D.TrackBar, Qt::Key_End);
    QTest::mouseClick(D.Calculate, Qt::LeftButton);
    return QTest::qWaitFor([this] { return D.Progress->value() > 0; }, kRunTimeout);
  }
  [[nodiscard]] bool WaitForCompletions(int runs) {
    return QTest::qWaitFor([&] { return Watch.Completions() == runs; }, kRunTimeout);
  }
};

// Moves the track bar with the keyboard, as a user sets the number of steps.
void SetSteps(const Dialog& d, int steps) {
  QTest::keyClick(d.TrackBar, Qt::Key_Home);
  for (int i = 1; i < steps; ++i) QTest::keyClick(d.TrackBar, Qt::Key_Right);
}

// The settings the dialog starts with: 15 steps, k15 and k16 kept, G and H included, high
// priority for A and B.
OptimizationSettings DialogSettings(int steps, bool allSpecies = false) {
  return {
      .Steps = steps, .VaryK15K16 = false, .Withoutk6k7k13k14 = false, .HighPr_k1k8 = true, .AllSpecies = allSpecies};
}

struct Outcome {
  RateConstants K{};
  QString Figure;  // the last relative optimization as the dialog shows it
  int LastPosition = 0;
};

// The optimizer alone, from the project's state at "Calculate"; stopped after a number of
// reports when one is given.
Outcome RunAlone(const OptimizationSettings& settings, const KineticProject& at, StartObjectives starts,
                 int stopAfterReports = 0) {
  Outcome outcome;
  std::atomic<bool> stop{false};
  int reports = 0;
  outcome.K = OptimizeRateConstants(
      settings, {at.K, at.Left, at.Right}, starts,
      [&](int position, Real improvement, const RateConstants&) {
        outcome.LastPosition = position;
        outcome.Figure = QString::fromStdString(RelativeOptimizationText(improvement));
        if (++reports == stopAfterReports) stop.store(true);
      },
      stop);
  return outcome;
}

// The constants a run stopped after its report at `position` can have returned: a cycle
// reports first and checks the stop request afterwards.
std::vector<RateConstants> StoppedAt(int position, const OptimizationSettings& settings, const KineticProject& at) {
  std::vector<RateConstants> candidates;
  for (int reports = 1;; ++reports) {
    const Outcome outcome = RunAlone(settings, at, {}, reports);
    if (outcome.LastPosition > position) return candidates;
    if (outcome.LastPosition == position) candidates.push_back(outcome.K);
  }
}

// The ten boxes of the left experiment show k1..k8, k15 and k16 in the form "0.0000E+00".
QStringList BoxTexts(const MainWindowFixture& f) {
  QStringList texts;
  for (int row = 1; row <= 10; ++row) texts.append(f.Box(row)->text());
  return texts;
}
QStringList LeftBoxTextsOf(const RateConstants& k) {
  QStringList texts;
  for (int row = 1; row <= 10; ++row) {
    texts.append(QString::fromStdString(FormatFloat("0.0000E+00", k[row <= 8 ? row : row + 6])));
  }
  return texts;
}

}  // namespace

class OptimizationDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // Idle, Escape does nothing; F8 again brings the same dialog to the front.
  void F8OpensOneDialogAndBringsItBack() {
    Session s;
    QVERIFY(s.F.Window.OptimizationDialog() == nullptr);
    QVERIFY(s.Open());
    const Dialog& d = s.D;
    QCOMPARE(d.Window->windowTitle(), QStringLiteral("Optimize k-values"));
    QCOMPARE(d.TrackBar->value(), 15);
    QCOMPARE(d.StepsLabel->text(), QStringLiteral("15"));
    QCOMPARE(d.TrackBar->toolTip(), QStringLiteral("15"));
    QCOMPARE(d.Figure->text(), QStringLiteral("0.00"));
    QCOMPARE(d.Progress->value(), 0);
    QVERIFY(d.Idle());
    QVERIFY(d.Window->SavedK() == s.Start.K);
    QCOMPARE(d.Window->Starts().Left, 0.0L);
    QCOMPARE(d.Window->Starts().Right, 0.0L);

    QTest::keyClick(d.Window, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(d.Window != nullptr && d.Window->isVisible());
    QVERIFY(d.Idle());
    QVERIFY(!s.F.Window.Project().Modified);

    s.F.Window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&s.F.Window));
    s.F.Press(Qt::Key_F8);
    QCOMPARE(s.F.Window.OptimizationDialog(), d.Window.data());
    QCOMPARE(s.F.Window.findChildren<TOptRate*>().size(), 1);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(d.Window.data()));
  }

  void OkAtOnceKeepsTheConstants() {
    Session s;
    QVERIFY(s.Open());
    QVERIFY(!s.F.Window.Project().Modified);
    QTest::mouseClick(s.D.Ok, Qt::LeftButton);
    QVERIFY(s.F.Window.Project().K == s.Start.K);
    QVERIFY(s.F.Window.Project().Modified);
    QTRY_VERIFY(s.D.Window.isNull());
    QVERIFY(s.F.Window.OptimizationDialog() == nullptr);
  }

  // Label and tooltip show the same number wherever the keys put the bar.
  void TrackBarShowsItsPosition_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    QTest::newRow("End") << int(Qt::Key_End) << "40";
    QTest::newRow("Home") << int(Qt::Key_Home) << "1";
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << "25";
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << "5";
    QTest::newRow("Right") << int(Qt::Key_Right) << "16";
  }
  void TrackBarShowsItsPosition() {
    QFETCH(int, key);
    QFETCH(QString, shown);
    Session s;
    QVERIFY(s.Open());
    QTest::keyClick(s.D.TrackBar, Qt::Key(key));
    QCOMPARE(QString::number(s.D.TrackBar->value()), shown);
    QCOMPARE(s.D.StepsLabel->text(), shown);
    QCOMPARE(s.D.TrackBar->toolTip(), shown);
  }

  void CalculateRunsToTheEndAndReturnsToIdle() {
    Session s;
    QVERIFY(s.Open());
    const Dialog& d = s.D;
    const Outcome expected = RunAlone(DialogSettings(15), s.Start, {});
    QTest::mouseClick(d.Calculate, Qt::LeftButton);
    QVERIFY(d.Window->Running());
    QVERIFY(!d.Calculate->isEnabled());
    QVERIFY(!d.Flags->isEnabled());
    QVERIFY(!d.TrackBar->isEnabled());
    QCOMPARE(d.Ok->text(), QStringLiteral("Stop"));
    QVERIFY(d.Ok->isDefault());
    QCOMPARE(d.Window->cursor().shape(), Qt::BusyCursor);
    QCOMPARE(d.Calculate->cursor().shape(), Qt::WaitCursor);

    QVERIFY(s.WaitForCompletions(1));
    QVERIFY(!d.Window->Running());
    QVERIFY(s.F.Window.Project().K == expected.K);
    QVERIFY(!(expected.K == s.Start.K));
    QCOMPARE(BoxTexts(s.F), LeftBoxTextsOf(expected.K));
    QCOMPARE(d.Progress->value(), 0);
    QCOMPARE(d.Figure->text(), expected.Figure);
    QVERIFY(expected.Figure != QLatin1String("0.00"));
    QVERIFY(d.Idle());
    QVERIFY(d.Flags->isEnabled());
    QVERIFY(d.TrackBar->isEnabled());
    QVERIFY(d.Ok->isDefault());
    QCOMPARE(d.Window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(d.Calculate->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(s.F.Window.Project().Modified);
    QVERIFY(d.Window->isVisible());
    QVERIFY(s.F.Platform.Messages.empty());
  }

  // Stop (the button, or Escape while running) ends the run after the cycle it was given
  // in: the project gets the constants of the last cycle shown.
  void StopKeepsTheConstantsReached_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Stop button") << false;
    QTest::newRow("Escape key") << true;
  }
  void StopKeepsTheConstantsReached() {
    QFETCH(bool, escape);
    Session s;
    QVERIFY(s.Open());
    const Dialog& d = s.D;
    QSignalSpy shown(d.Progress, &QProgressBar::valueChanged);
    QVERIFY(s.StartLongRun());
    if (escape) {
      QTest::keyClick(d.Window, Qt::Key_Escape);
    } else {
      QTest::mouseClick(d.Ok, Qt::LeftButton);
    }
    // Running ends at once; the look stays until the worker has ended.
    QVERIFY(!d.Window->Running());
    QCOMPARE(d.Ok->text(), QStringLiteral("Stop"));
    QVERIFY(!d.Calculate->isEnabled());

    QVERIFY(s.WaitForCompletions(1));
    QVERIFY(d.Window->isVisible());
    QVERIFY(d.Idle());
    QCOMPARE(d.Progress->value(), 0);
    QVERIFY(shown.size() >= 2);
    QCOMPARE(shown.last().at(0).toInt(), 0);
    const int lastShown = shown.at(shown.size() - 2).at(0).toInt();
    QVERIFY2(lastShown > 0 && lastShown < 100, "the run ended soon after the request");
    const RateConstants reached = s.F.Window.Project().K;
    QVERIFY(!(reached == s.Start.K));
    const std::vector<RateConstants> candidates = StoppedAt(lastShown, DialogSettings(40), s.Start);
    QVERIFY(std::find(candidates.begin(), candidates.end(), reached) != candidates.end());
    QCOMPARE(BoxTexts(s.F), LeftBoxTextsOf(reached));
    QVERIFY(s.F.Window.Project().Modified);
  }

  // The second "Stop" finds the dialog no longer running: it closes the dialog like "OK",
  // and the worker, ending later, still brings its constants into the project.
  void SecondStopBeforeTheEndActsAsOk() {
    Session s;
    QVERIFY(s.Open());
    QVERIFY(s.StartLongRun());
    QTest::mouseClick(s.D.Ok, Qt::LeftButton);
    QCOMPARE(s.D.Ok->text(), QStringLiteral("Stop"));
    QCOMPARE(s.Watch.Completions(), 0);
    QTest::mouseClick(s.D.Ok, Qt::LeftButton);
    QVERIFY(!s.D.Window->isVisible());
    QVERIFY(s.F.Window.Project().K == s.Start.K);
    QVERIFY(s.F.Window.Project().Modified);

    QVERIFY(s.WaitForCompletions(1));
    QTRY_VERIFY(s.D.Window.isNull());
    QVERIFY(s.F.Window.OptimizationDialog() == nullptr);
    QVERIFY(!(s.F.Window.Project().K == s.Start.K));
    QCOMPARE(BoxTexts(s.F), LeftBoxTextsOf(s.F.Window.Project().K));
    QVERIFY(s.F.Platform.Messages.empty());
  }

  void AbbruchPutsBackTheConstantsOfTheDialogsCreation_data() {
    QTest::addColumn<bool>("duringRun");
    QTest::newRow("after a finished run") << false;
    QTest::newRow("during a run") << true;
  }
  void AbbruchPutsBackTheConstantsOfTheDialogsCreation() {
    QFETCH(bool, duringRun);
    Session s;
    QVERIFY(s.Open());
    if (duringRun) {
      QVERIFY(s.StartLongRun());
    } else {
      SetSteps(s.D, 3);
      QTest::mouseClick(s.D.Calculate, Qt::LeftButton);
      QVERIFY(s.WaitForCompletions(1));
      QVERIFY(!(s.F.Window.Project().K == s.Start.K));
    }
    QCOMPARE(s.F.Window.Project().Modified, !duringRun);
    QTest::mouseClick(s.D.Abort, Qt::LeftButton);
    QVERIFY(s.F.Window.Project().K == s.Start.K);
    QVERIFY(s.F.Window.Project().Modified);
    QTRY_VERIFY(s.D.Window.isNull());
    // An aborted worker ends at its next check; what it reached never arrives.
    QTRY_VERIFY_WITH_TIMEOUT(s.Watch.AllEnded(), kRunTimeout);
    QCOMPARE(s.Watch.Seen(), 1);
    QVERIFY(s.F.Window.Project().K == s.Start.K);
    QCOMPARE(BoxTexts(s.F), LeftBoxTextsOf(s.Start.K));
  }

  // The second run goes on from the first one's constants, and its figure is measured
  // against the objectives recorded at the start of the first.
  void SecondRunMeasuresAgainstTheFirstRunsStart() {
    Session s;
    QVERIFY(s.Open());
    SetSteps(s.D, 2);
    QTest::mouseClick(s.D.Calculate, Qt::LeftButton);
    QVERIFY(s.WaitForCompletions(1));
    const StartObjectives first = s.D.Window->Starts();
    QVERIFY(first.Left > 0);
    QVERIFY(first.Right > 0);
    const KineticProject afterFirst = s.F.Window.Project();
    const Outcome expected = RunAlone(DialogSettings(2), afterFirst, first);
    QVERIFY(expected.Figure != RunAlone(DialogSettings(2), afterFirst, {}).Figure);

    QTest::mouseClick(s.D.Calculate, Qt::LeftButton);
    QVERIFY(s.WaitForCompletions(2));
    QCOMPARE(s.D.Window->Starts().Left, first.Left);
    QCOMPARE(s.D.Window->Starts().Right, first.Right);
    QVERIFY(s.F.Window.Project().K == expected.K);
    QCOMPARE(s.D.Figure->text(), expected.Figure);
  }

  // Every species counts when a deviation total, as it stands at "Calculate", exceeds 100;
  // otherwise only the species formed directly. The run is compared with the optimizer on
  // its own under each choice.
  void AllSpeciesFollowsTheDeviationTotals_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("allSpecies");
    QTest::newRow("both totals at most 100") << "" << false;
    QTest::newRow("left total above 100") << "left" << true;
    QTest::newRow("right total above 100, left shown") << "right" << true;
  }
  void AllSpeciesFollowsTheDeviationTotals() {
    QFETCH(QString, change);
    QFETCH(bool, allSpecies);
    Session s;
    QVERIFY(s.F.Show());
    if (change == QLatin1String("left")) s.F.TypeInto(7, QStringLiteral("1.0000E-04"));  // k7, A to H
    if (change == QLatin1String("right")) {
      s.F.Press(Qt::CTRL | Qt::Key_R);
      s.F.TypeInto(3, QStringLiteral("5.0000E-04"));  // k10, B to D: the left experiment hardly feels it
      s.F.Press(Qt::CTRL | Qt::Key_L);
    }
    QVERIFY(s.Open());
    QCOMPARE(s.Start.LeftDeviation.TotalSquares > 100, change == QLatin1String("left"));
    QCOMPARE(s.Start.RightDeviation.TotalSquares > 100, change == QLatin1String("right"));
    const Outcome expected = RunAlone(DialogSettings(1, allSpecies), s.Start, {});
    QVERIFY(!(expected.K == RunAlone(DialogSettings(1, !allSpecies), s.Start, {}).K));
    QTest::keyClick(s.D.TrackBar, Qt::Key_Home);
    QTest::mouseClick(s.D.Calculate, Qt::LeftButton);
    QVERIFY(s.WaitForCompletions(1));
    QVERIFY(s.F.Window.Project().K == expected.K);
  }

  // Closing the main window stops the worker, even one waiting for its report to be shown,
  // waits for it and drops its result; nothing of the run arrives afterwards. A deadlock
  // ends the program with a message instead of hanging.
  void ClosingTheMainWindowDuringARunEndsTheWorker() {
    Session s;
    QVERIFY(s.Open());
    QVERIFY(s.StartLongRun());
    s.F.Platform.PromptAnswers = {PromptAnswer::No};
    std::promise<void> closed;
    std::thread watchdog([done = closed.get_future()] {
      if (done.wait_for(std::chrono::seconds(60)) == std::future_status::timeout) {
        std::fputs("FAIL! the main window did not close while a run was going\n", stderr);
        std::abort();
      }
    });
    s.F.Item(QStringLiteral("Exit1"))->trigger();
    closed.set_value();
    watchdog.join();
    QVERIFY(!s.F.Window.isVisible());
    QCOMPARE(s.Watch.Seen(), 1);
    QVERIFY(s.Watch.AllEnded());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(s.Watch.Completions(), 0);
    QVERIFY(s.F.Window.Project().K == s.Start.K);
    QVERIFY(s.F.Platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::OptimizationDialogTest)
#include "OptimizationDialogTest.moc"
