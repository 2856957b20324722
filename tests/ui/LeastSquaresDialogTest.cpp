// The least-squares fit dialog as a user drives it: F9 opens it, "Fit" runs in the worker and
// fills the table, "Stop" ends a long fit, "Apply" is one step of Undo, "Copy Results" fills
// the clipboard, and closing the main window during a fit does not hang.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <atomic>
#include <type_traits>

#include "optimize/FitReportText.h"
#include "optimize/windows/LeastSquaresDialog.h"
#include "tests/ui/MainWindowFixture.h"

namespace zamo::testing {

namespace {

constexpr int kFitTimeout = 60000;  // ms; a default fit takes milliseconds, a profile a second

struct FitControls {
  QPointer<TLeastSquaresFit> Window;
  QTableWidget* Table = nullptr;
  QTableWidget* Correlation = nullptr;
  QComboBox* Experiments = nullptr;
  QComboBox* Weighting = nullptr;
  QCheckBox* Profile = nullptr;
  QLabel* Statistics = nullptr;
  QPushButton* Fit = nullptr;
  QPushButton* Stop = nullptr;
  QPushButton* Apply = nullptr;
  QPushButton* Copy = nullptr;
  QPushButton* Close = nullptr;

  QCheckBox* Free(int index) const { return Window->findChild<QCheckBox*>(QStringLiteral("Free%1").arg(index)); }
  QString Cell(int index, int column) const { return Table->item(index - 1, column)->text(); }
};

[[nodiscard]] bool OpenDialog(MainWindowFixture& f, FitControls& d) {
  f.Press(Qt::Key_F9);
  d.Window = f.Window.FitDialog();
  if (d.Window == nullptr || !QTest::qWaitForWindowExposed(d.Window)) return false;
  const auto find = [&d](auto*& control, const char* name) {
    control = d.Window->findChild<std::remove_reference_t<decltype(*control)>*>(QLatin1String(name));
    return control != nullptr;
  };
  return find(d.Table, "FitTable") && find(d.Correlation, "Correlation") && find(d.Experiments, "Experiments") &&
         find(d.Weighting, "Weighting") && find(d.Profile, "Profile") && find(d.Statistics, "Statistics") &&
         find(d.Fit, "FitButton") && find(d.Stop, "StopButton") && find(d.Apply, "ApplyButton") &&
         find(d.Copy, "CopyButton") && find(d.Close, "CloseButton");
}

// Clicks "Fit" and waits until the fit has ended.
[[nodiscard]] bool FitAndWait(FitControls& d) {
  QSignalSpy ended(d.Window.data(), &TLeastSquaresFit::FitEnded);
  QTest::mouseClick(d.Fit, Qt::LeftButton);
  return ended.wait(kFitTimeout) || ended.count() > 0;
}

FitResult CoreFit(const FitSettings& settings, const KineticProject& project) {
  const std::atomic<bool> stop{false};
  return FitRateConstants(settings, {project.K, project.Left, project.Right}, nullptr, stop);
}

}  // namespace

class LeastSquaresDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // F9 opens the dialog with the default free set; F9 again brings back the same one.
  void F9OpensOneDialogWithTheDefaultFreeSet() {
    MainWindowFixture& f = ShownWindow();
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    QCOMPARE(d.Window->windowTitle(), QStringLiteral("Least-Squares Fit"));
    for (int i = 1; i <= 16; ++i) QCOMPARE(d.Free(i)->isChecked(), i <= 14 && f.Window.Project().K[i] != 0);
    QVERIFY(d.Fit->isEnabled());
    QVERIFY(!d.Stop->isEnabled());
    QVERIFY(!d.Apply->isEnabled());
    QCOMPARE(d.Cell(2, 1), QStringLiteral("1.03000e-05"));
    // The start values are shown whole before a fit, the units in the heads.
    QVERIFY(d.Table->columnWidth(1) > d.Table->fontMetrics().horizontalAdvance(d.Cell(2, 1)));
    QCOMPARE(d.Table->horizontalHeaderItem(3)->text(), QStringLiteral("SE (1/s)"));
    QVERIFY(BackToMainWindow(f));
    f.Press(Qt::Key_F9);
    QCOMPARE(f.Window.FitDialog(), d.Window.data());
  }

  // "Fit" shows what the core's fit of the same settings gives; a freed zero constant and
  // the experiments and weighting chosen count.
  void FitShowsTheCoreResult() {
    MainWindowFixture& f = ShownWindow();
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    QTest::mouseClick(d.Free(15), Qt::LeftButton);
    QTest::mouseClick(d.Free(16), Qt::LeftButton);
    QVERIFY(FitAndWait(d));
    const FitResult expected = CoreFit(d.Window->Settings(), f.Window.Project());
    QVERIFY(d.Window->Result().has_value());
    QCOMPARE(static_cast<double>(d.Window->Result()->After.Total), static_cast<double>(expected.After.Total));
    QCOMPARE(d.Cell(2, 2), QString::asprintf("%.5Le", expected.K[2]));
    QCOMPARE(d.Cell(6, 2), QString());  // k6 stays fixed at 0
    QVERIFY(d.Cell(15, 7).contains(QStringLiteral("r = 0.99 with k16")));
    QVERIFY(d.Table->item(14, 7)->toolTip().contains(QStringLiteral("correlated beyond 0.95")));
    QCOMPARE(d.Correlation->rowCount(), 12);
    QVERIFY(d.Statistics->text().contains(QStringLiteral("15.6193")));
    QVERIFY(d.Apply->isEnabled());
    QVERIFY(!d.Stop->isEnabled());
    // The project is not touched until Apply.
    QCOMPARE(f.Window.Project().K[15], 2.154E-05L);
  }

  // Apply is one step of the history: Undo puts the constants back, Redo again.
  void ApplyIsOneUndoableStep() {
    MainWindowFixture& f = ShownWindow();
    const RateConstants before = f.Window.Project().K;
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    QVERIFY(FitAndWait(d));
    QTest::mouseClick(d.Apply, Qt::LeftButton);
    const RateConstants fitted = d.Window->Result()->K;
    QVERIFY(f.Window.Project().K == fitted);
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.Item(QStringLiteral("Undo1"))->text(), QStringLiteral("&Undo Least-Squares Fit"));
    // The start column follows the project.
    QCOMPARE(d.Cell(2, 1), QString::asprintf("%.5Le", fitted[2]));
    QVERIFY(BackToMainWindow(f));
    f.Press(QKeyCombination(Qt::ControlModifier, Qt::Key_Z));
    QVERIFY(f.Window.Project().K == before);
    QVERIFY(!f.Window.Project().Modified);
    f.Press(QKeyCombination(Qt::ControlModifier, Qt::Key_Y));
    QVERIFY(f.Window.Project().K == fitted);
  }

  void CopyPutsTheTabSeparatedResults() {
    MainWindowFixture& f = ShownWindow();
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    QVERIFY(FitAndWait(d));
    QTest::mouseClick(d.Copy, Qt::LeftButton);
    QCOMPARE(f.Platform.Clipboard, QString::fromStdString(FitTabSeparated(d.Window->Settings(), *d.Window->Result())));
    QVERIFY(f.Platform.Clipboard.contains(QStringLiteral("\nCorrelation\tk1\t")));
  }

  // A fit of everything with profile intervals takes long enough to be stopped: it ends
  // not converged, with the constants it reached shown.
  void StopEndsAFitNotConverged() {
    MainWindowFixture& f = ShownWindow();
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    for (int i = 1; i <= 16; ++i) {
      if (!d.Free(i)->isChecked()) QTest::mouseClick(d.Free(i), Qt::LeftButton);
    }
    QTest::mouseClick(d.Profile, Qt::LeftButton);
    d.Weighting->setCurrentIndex(1);
    QSignalSpy ended(d.Window.data(), &TLeastSquaresFit::FitEnded);
    QTest::mouseClick(d.Fit, Qt::LeftButton);
    QVERIFY(d.Window->Running());
    QVERIFY(d.Stop->isEnabled());
    QVERIFY(!d.Fit->isEnabled());
    QTest::mouseClick(d.Stop, Qt::LeftButton);
    QVERIFY(ended.wait(kFitTimeout) || ended.count() > 0);
    QVERIFY(!d.Window->Running());
    QVERIFY(d.Window->Result().has_value());
    QVERIFY(!d.Window->Result()->Converged);
    QVERIFY(d.Fit->isEnabled());
  }

  // Closing the main window while a fit goes on stops it; nothing hangs and no box appears.
  void ClosingTheMainWindowDuringAFitStopsIt() {
    MainWindowFixture& f = ShownWindow();
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    QTest::mouseClick(d.Profile, Qt::LeftButton);
    QTest::mouseClick(d.Fit, Qt::LeftButton);
    QVERIFY(d.Window->Running());
    f.Window.close();
    QTRY_VERIFY_WITH_TIMEOUT(d.Window.isNull(), kFitTimeout);
    QVERIFY(f.Platform.Messages.empty());
  }

  // Only the experiments the project holds are offered, and they follow the project.
  void OffersOnlyThePresentExperiments() {
    MainWindowFixture& f = ShownWindow();
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    QCOMPARE(d.Experiments->count(), 3);
    f.Window.Session().OpenFile(std::string(ZAMO_TEST_DATA_DIR) + "/right-only.zam");
    QCOMPARE(d.Experiments->count(), 1);
    QCOMPARE(d.Experiments->currentText(), QStringLiteral("Right"));
    QCOMPARE(d.Window->Settings().Experiments, FitExperiments::Right);
  }

  // Nothing free: the error box says so and the dialog stays usable.
  void NothingFreeIsRefusedWithAMessage() {
    MainWindowFixture& f = ShownWindow();
    FitControls d;
    QVERIFY(OpenDialog(f, d));
    for (int i = 1; i <= 16; ++i) {
      if (d.Free(i)->isChecked()) QTest::mouseClick(d.Free(i), Qt::LeftButton);
    }
    QVERIFY(FitAndWait(d));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});
    QCOMPARE(f.Platform.Messages[0].Text, QStringLiteral("Nothing to fit: no rate constant is free."));
    QVERIFY(d.Fit->isEnabled());
    QVERIFY(!d.Apply->isEnabled());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::LeastSquaresDialogTest)
#include "LeastSquaresDialogTest.moc"
