// The wiring of the least-squares fit dialog. The fit and its report are the core's
// (LeastSquaresFitTest, FitReportTextTest).

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <atomic>

#include "optimize/FitReportText.h"
#include "optimize/windows/LeastSquaresDialog.h"
#include "tests/ui/MainWindowFixture.h"

namespace zamo::testing {

constexpr int kFitTimeout = 60000;  // ms; a default fit takes milliseconds, a profile a second

class LeastSquaresDialogTest : public WindowTestCase {
  Q_OBJECT

  QPointer<TLeastSquaresFit> dialog_;

  [[nodiscard]] bool Open(MainWindowFixture& f) {
    f.Press(Qt::Key_F9);
    dialog_ = f.Window.FitDialog();
    return dialog_ != nullptr && QTest::qWaitForWindowExposed(dialog_);
  }
  template <typename C = QPushButton>
  C* Find(const char* name) const {
    return dialog_->findChild<C*>(QLatin1String(name));
  }
  QCheckBox* Free(int i) const { return dialog_->findChild<QCheckBox*>(QStringLiteral("Free%1").arg(i)); }
  QString Cell(int i, int column) const { return Find<QTableWidget>("FitTable")->item(i - 1, column)->text(); }
  // Sets the free constants, clicks "Fit" and, when asked, waits for the end.
  [[nodiscard]] bool Fit(const std::function<bool(int)>& free, bool wait = true) {
    for (int i = 1; i <= kRateConstantCount; ++i) {
      if (Free(i)->isChecked() != free(i)) QTest::mouseClick(Free(i), Qt::LeftButton);
    }
    QSignalSpy ended(dialog_.data(), &TLeastSquaresFit::FitEnded);
    QTest::mouseClick(Find("FitButton"), Qt::LeftButton);
    return !wait || ended.wait(kFitTimeout) || ended.count() > 0;
  }

 private slots:
  // F9 opens one dialog with the default free set; the experiments follow the project; nothing free is refused.
  void OpensOneDialogAndRefusesNothingFree() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(Open(f));
    const auto free = DefaultFreeSet(f.Window.Project().K, false);
    for (int i = 1; i <= kRateConstantCount; ++i) QCOMPARE(Free(i)->isChecked(), free[i]);
    QVERIFY(Find("FitButton")->isEnabled() && !Find("StopButton")->isEnabled() && !Find("ApplyButton")->isEnabled());
    QVERIFY(BackToMainWindow(f));
    f.Press(Qt::Key_F9);
    QCOMPARE(f.Window.FitDialog(), dialog_.data());
    QCOMPARE(Find<QComboBox>("Experiments")->count(), 3);
    f.Window.Session().OpenFile(std::string(ZAMO_TEST_DATA_DIR) + "/right-only.zam");
    QCOMPARE(Find<QComboBox>("Experiments")->count(), 1);
    QCOMPARE(dialog_->Settings().Experiments, FitExperiments::Right);
    QVERIFY(Fit([](int) { return false; }));
    QCOMPARE(f.Platform.OneMessage(), QStringLiteral("Nothing to fit: no rate constant is free."));
    QVERIFY(Find("FitButton")->isEnabled() && !Find("ApplyButton")->isEnabled());
  }

  // "Fit" shows the core's fit of the same settings; "Apply" is one step; "Copy Results" copies.
  void FitApplyAndCopy() {
    MainWindowFixture& f = ShownWindow();
    const RateConstants before = f.Window.Project().K;
    QVERIFY(Open(f));
    QVERIFY(Fit([free = DefaultFreeSet(before, false)](int i) { return free[i] || i >= 15; }));
    const std::atomic<bool> stop{false};
    const KineticProject& p = f.Window.Project();
    const FitResult expected = FitRateConstants(dialog_->Settings(), {p.K, p.Left, p.Right}, nullptr, stop);
    QCOMPARE(static_cast<double>(dialog_->Result()->After.Total), static_cast<double>(expected.After.Total));
    QCOMPARE(Cell(16, 2), QString::asprintf("%.5Le", expected.K[16]));
    QCOMPARE(Find<QTableWidget>("Correlation")->rowCount(), 12);
    QVERIFY(p.K == before);
    QTest::mouseClick(Find("ApplyButton"), Qt::LeftButton);
    QVERIFY(p.K == expected.K);
    QCOMPARE(Cell(2, 1), QString::asprintf("%.5Le", expected.K[2]));  // the start follows the project
    QCOMPARE(f.Item(QStringLiteral("Undo1"))->text(), QStringLiteral("&Undo Least-Squares Fit"));
    QTest::mouseClick(Find("CopyButton"), Qt::LeftButton);
    QCOMPARE(f.Platform.Clipboard, QString::fromStdString(FitTabSeparated(dialog_->Settings(), *dialog_->Result())));
  }

  // A fit of everything with profiles is long enough to be stopped, and to close the main window during.
  void StopAndCloseDuringAFit() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(Open(f));
    QTest::mouseClick(Find<QCheckBox>("Profile"), Qt::LeftButton);
    Find<QComboBox>("Weighting")->setCurrentIndex(1);
    QVERIFY(Fit([](int) { return true; }, false));
    QVERIFY(dialog_->Running() && Find("StopButton")->isEnabled() && !Find("FitButton")->isEnabled());
    QTest::mouseClick(Find("StopButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog_->Running(), kFitTimeout);
    QVERIFY(!dialog_->Result()->Converged && Find("FitButton")->isEnabled());
    QVERIFY(Fit([](int) { return true; }, false));
    f.Window.close();
    QTRY_VERIFY_WITH_TIMEOUT(dialog_.isNull(), kFitTimeout);
    QVERIFY(f.Platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::LeastSquaresDialogTest)
#include "LeastSquaresDialogTest.moc"
