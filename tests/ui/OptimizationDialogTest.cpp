// The optimization dialog and its worker as a user drives them: the settings, "Calculate", "Stop", "OK"
// and "Abbruch" at their moments, the keys, and the main window closing during a run.

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
#include <type_traits>

#include "optimize/RelativeOptimizationText.h"
#include "optimize/windows/LinOpt.h"
#include "optimize/windows/LinOptWorker.h"
#include "tests/ui/MainWindowFixture.h"

namespace zamo::testing {

namespace {

constexpr int kRunTimeout = 60000;  // ms; a whole run of 15 steps takes a few seconds

// Every worker shows itself in the events delivered to it on the user-interface thread, and
// deletes itself later after its completion step, never otherwise: so runs ended and completed are seen.
struct WorkerWatch : QObject {
  WorkerWatch() { QCoreApplication::instance()->installEventFilter(this); }
  ~WorkerWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
  bool AllEnded() const {
    return std::all_of(Workers.begin(), Workers.end(), [](auto& w) { return w.isNull(); });
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (qobject_cast<TThLinOpt*>(watched) == nullptr) return false;
    if (std::find(Workers.begin(), Workers.end(), watched) == Workers.end()) Workers.emplace_back(watched);
    if (event->type() == QEvent::DeferredDelete) ++Completions;
    return false;
  }
  std::vector<QPointer<QObject>> Workers;
  int Completions = 0;
};

// The main window with the example and the optimization dialog that F8 opened there, its
// controls found by their names.
struct Session {
  MainWindowFixture F;
  WorkerWatch Watch;
  QPointer<TOptRate> Window;
  QPushButton *Calculate = nullptr, *Ok = nullptr, *Abort = nullptr;
  QSlider* TrackBar = nullptr;
  QLabel *StepsLabel = nullptr, *Figure = nullptr;
  QProgressBar* Progress = nullptr;
  QGroupBox* Flags = nullptr;
  KineticProject Start;  // the project when the dialog was opened

  [[nodiscard]] bool Open() {
    if (!F.Window.isVisible() && !F.Show()) return false;
    Start = F.Window.Project();
    F.Press(Qt::Key_F8);
    Window = F.Window.OptimizationDialog();
    if (Window == nullptr || !QTest::qWaitForWindowExposed(Window)) return false;
    const auto find = [this](auto*& control, const char* name) {
      control = Window->findChild<std::remove_reference_t<decltype(*control)>*>(QLatin1String(name));
      return control != nullptr;
    };
    return find(Calculate, "CalcBitBtn") && find(Ok, "OKBitBtn") && find(Abort, "AbortBitBtn") &&
           find(TrackBar, "OptTrackBar") && find(StepsLabel, "OptStepsLabel") && find(Figure, "OptImpr") &&
           find(Progress, "OptProgress") && find(Flags, "GroupBox3");
  }
  bool Idle() const { return Calculate->isEnabled() && Ok->text() == QLatin1String("OK"); }
  // A run of the steps set with the track bar's keys, as a user sets them.
  void Run(int steps) {
    QTest::keyClick(TrackBar, Qt::Key_Home);
    for (int i = 1; i < steps; ++i) QTest::keyClick(TrackBar, Qt::Key_Right);
    QTest::mouseClick(Calculate, Qt::LeftButton);
  }
  // A run of 40 steps, long enough to be caught in the middle, once it has reported.
  [[nodiscard]] bool StartLongRun() {
    QTest::keyClick(TrackBar, Qt::Key_End);
    QTest::mouseClick(Calculate, Qt::LeftButton);
    return QTest::qWaitFor([this] { return Progress->value() > 0; }, kRunTimeout);
  }
  [[nodiscard]] bool WaitForCompletions(int runs) {
    return QTest::qWaitFor([&] { return Watch.Completions == runs; }, kRunTimeout);
  }
};

// The optimizer alone with the dialog's other settings (k15 and k16 kept, G and H included,
// high priority for A and B), from a project's state at "Calculate".
std::pair<RateConstants, QString> RunAlone(int steps, bool allSpecies, const KineticProject& at,
                                           StartObjectives starts = {}) {
  QString figure;
  const OptimizationSettings settings{.Steps = steps, .HighPr_k1k8 = true, .AllSpecies = allSpecies};
  const RateConstants k = OptimizeRateConstants(
      settings, {at.K, at.Left, at.Right}, starts,
      [&](int, Real improvement, const RateConstants&) {
        figure = QString::fromStdString(RelativeOptimizationText(improvement));
      },
      std::atomic<bool>{false});
  return {k, figure};
}

}  // namespace

class OptimizationDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The dialog starts with 15 steps, its label and hint following the bar; idle, Escape does
  // nothing, and F8 again brings the same dialog to the front. OK at once keeps the constants.
  void F8OpensOneDialogAndOkClosesIt() {
    Session s;
    QVERIFY(s.Open());
    QCOMPARE(s.TrackBar->value(), 15);
    QTest::keyClick(s.TrackBar, Qt::Key_PageDown);
    QCOMPARE(s.StepsLabel->text() + '|' + s.TrackBar->toolTip(), QStringLiteral("5|5"));
    QVERIFY(s.Idle() && s.Window->SavedK() == s.Start.K);
    QTest::keyClick(s.Window, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(s.Window != nullptr && s.Window->isVisible() && s.Idle());
    QVERIFY(BackToMainWindow(s.F));
    s.F.Press(Qt::Key_F8);
    QCOMPARE(s.F.Window.findChildren<TOptRate*>(), QList<TOptRate*>{s.Window.data()});
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(s.Window.data()));
    QVERIFY(!s.F.Window.Project().Modified);
    QTest::mouseClick(s.Ok, Qt::LeftButton);
    QVERIFY(s.F.Window.Project().K == s.Start.K && s.F.Window.Project().Modified);
    QTRY_VERIFY(s.Window.isNull());
    QVERIFY(s.F.Window.OptimizationDialog() == nullptr);
  }

  // A run takes the steps of the bar and judges every species when a deviation total exceeds
  // 100 (here the left one, after k7 was typed); it shows its running look until it ends, then
  // the project has its constants and the dialog its figure. A second run is measured against
  // the objectives recorded at the start of the first.
  void CalculateRunsToTheEndAndAgain() {
    Session s;
    QVERIFY(s.F.Show());
    s.F.TypeInto(7, QStringLiteral("1.0000E-04"));
    QVERIFY(s.Open());
    const auto [expected, figure] = RunAlone(3, true, s.Start);
    QVERIFY(!(expected == RunAlone(3, false, s.Start).first));
    s.Run(3);
    QVERIFY(s.Window->Running() && !s.Flags->isEnabled() && !s.TrackBar->isEnabled() && !s.Calculate->isEnabled());
    QCOMPARE(s.Window->cursor().shape(), Qt::BusyCursor);
    QVERIFY(s.WaitForCompletions(1));
    QVERIFY(s.F.Window.Project().K == expected);
    QCOMPARE(s.Figure->text(), figure);
    QVERIFY(s.Idle() && s.Flags->isEnabled() && s.TrackBar->isEnabled() && s.Window->isVisible());
    QCOMPARE(s.Window->cursor().shape(), Qt::ArrowCursor);

    const StartObjectives first = s.Window->Starts();
    const KineticProject afterFirst = s.F.Window.Project();
    const auto [again, againFigure] = RunAlone(1, true, afterFirst, first);
    QVERIFY(againFigure != RunAlone(1, true, afterFirst).second);
    s.Run(1);
    QVERIFY(s.WaitForCompletions(2));
    QVERIFY(s.F.Window.Project().K == again);
    QCOMPARE(s.Figure->text(), againFigure);
    QVERIFY(s.F.Platform.Messages.empty());
  }

  // Stop (the button, or Escape while running) ends the run after the cycle it was given in (its
  // look stays until the worker has ended): the project gets the constants reached. A second
  // "Stop" before the worker ended closes the dialog like "OK"; the constants still arrive.
  void StopKeepsTheConstantsReached_data() {
    QTest::addColumn<int>("how");  // 0: the Stop button, 1: Escape, 2: the button twice
    QTest::newRow("Stop button") << 0;
    QTest::newRow("Escape key") << 1;
    QTest::newRow("Stop twice") << 2;
  }
  void StopKeepsTheConstantsReached() {
    QFETCH(int, how);
    Session s;
    QVERIFY(s.Open());
    QSignalSpy shown(s.Progress, &QProgressBar::valueChanged);
    QVERIFY(s.StartLongRun());
    how == 1 ? QTest::keyClick(s.Window, Qt::Key_Escape) : QTest::mouseClick(s.Ok, Qt::LeftButton);
    QVERIFY(!s.Window->Running() && !s.Calculate->isEnabled());
    QCOMPARE(s.Ok->text(), QStringLiteral("Stop"));
    if (how == 2) QTest::mouseClick(s.Ok, Qt::LeftButton);
    QCOMPARE(s.Window->isVisible(), how != 2);
    QVERIFY(s.F.Window.Project().K == s.Start.K);
    QVERIFY(s.WaitForCompletions(1));
    QTRY_COMPARE(s.Window.isNull(), how == 2);
    if (how != 2) QVERIFY(s.Idle() && s.Progress->value() == 0);
    int lastShown = 0;  // the run's progress as far as it was shown
    for (const QList<QVariant>& value : shown) lastShown = std::max(lastShown, value.at(0).toInt());
    QVERIFY2(lastShown > 0 && lastShown < 100, "the run ended soon after the request");
    QVERIFY(!(s.F.Window.Project().K == s.Start.K));
  }

  // Abbruch, after a run or during one, puts back the constants of the dialog's creation; an
  // aborted worker ends at its next check, and what it reached never arrives. Closing the main
  // window during a run stops the worker, even one waiting for its report to be shown, and waits
  // for it before it closes (a deadlock hangs here until the test's time runs out).
  void AbbruchAndClosingDropTheRun_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Abbruch after a run") << "after";
    QTest::newRow("Abbruch during a run") << "during";
    QTest::newRow("main window closed during a run") << "close";
  }
  void AbbruchAndClosingDropTheRun() {
    QFETCH(QString, how);
    Session s;
    QVERIFY(s.Open());
    if (how == QStringLiteral("after")) s.Run(1);
    if (how == QStringLiteral("after")) QVERIFY(s.WaitForCompletions(1) && !(s.F.Window.Project().K == s.Start.K));
    if (how != QStringLiteral("after")) QVERIFY(s.StartLongRun());
    s.F.Platform.PromptAnswers = {PromptAnswer::No};
    how == QStringLiteral("close") ? s.F.Item(QStringLiteral("Exit1"))->trigger()
                                   : QTest::mouseClick(s.Abort, Qt::LeftButton);
    if (how == QStringLiteral("close")) QVERIFY(s.Watch.AllEnded());
    if (how != QStringLiteral("close")) QVERIFY(s.F.Window.Project().Modified);
    QTRY_COMPARE(s.Window.isNull(), how != QStringLiteral("close"));
    QTRY_VERIFY_WITH_TIMEOUT(s.Watch.AllEnded(), kRunTimeout);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(int(s.Watch.Workers.size()), 1);
    QCOMPARE(s.Watch.Completions, how == QStringLiteral("close") ? 0 : 1);
    QVERIFY(s.F.Window.Project().K == s.Start.K);
    QVERIFY(s.F.Platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::OptimizationDialogTest)
#include "OptimizationDialogTest.moc"
