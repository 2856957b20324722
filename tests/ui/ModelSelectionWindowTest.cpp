// The wiring of the model-selection window: Ctrl+F9 opens it, "Run" shows the job's ranking,
// "Apply" is one step of Undo, "Copy Results" fills the clipboard, and closing it during a
// run does not hang. The ranking itself is the core's (ModelSelectionTest).

#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "optimize/SelectionReport.h"
#include "optimize/windows/ModelSelectionWindow.h"
#include "tests/ui/MainWindowFixture.h"

namespace zamo::testing {

namespace {

constexpr int kRunTimeout = 120000;  // ms; the example's 1,024 models take about a second

QPointer<ModelSelectionWindow> OpenWindow(MainWindowFixture& f) {
  f.Press(QKeyCombination(Qt::ControlModifier, Qt::Key_F9));
  QPointer<ModelSelectionWindow> window = f.Window.SelectionWindow();
  if (window == nullptr || !QTest::qWaitForWindowExposed(window)) return nullptr;
  return window;
}

QPushButton* Button(const ModelSelectionWindow& window, const char* name) {
  return window.findChild<QPushButton*>(QLatin1String(name));
}

[[nodiscard]] bool RunAndWait(ModelSelectionWindow& window) {
  QSignalSpy ended(&window, &ModelSelectionWindow::RunEnded);
  QTest::mouseClick(Button(window, "SelectionRun"), Qt::LeftButton);
  return ended.wait(kRunTimeout) || ended.count() > 0;
}

}  // namespace

class ModelSelectionWindowTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // An unticked candidate leaves the run; "Run" shows the report of its result; "Apply" puts
  // the best model in place as one step; "Copy Results" copies the report.
  void RunShowsTheRankingAndApplyIsOneStep() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<ModelSelectionWindow> window = OpenWindow(f);
    QVERIFY(window);
    auto* k7 = window->findChild<QCheckBox*>(QStringLiteral("Candidate7"));
    QTest::mouseClick(k7, Qt::LeftButton, {}, QPoint(4, k7->height() / 2));
    QVERIFY(RunAndWait(*window));
    const SelectionResult& result = *window->Result();
    QCOMPARE(result.ModelsFitted, 512);
    auto* models = window->findChild<QTableWidget*>(QStringLiteral("SelectionModels"));
    const SelectionReport report = MakeSelectionReport(result, -1);
    QCOMPARE(models->rowCount(), static_cast<int>(report.Models.size()) - 1);
    for (int column = 0; column < models->columnCount(); ++column) {
      QCOMPARE(models->item(0, column)->text(),
               QString::fromStdString(report.Models[1][static_cast<std::size_t>(column)]));
    }

    QTest::mouseClick(Button(*window, "SelectionApply"), Qt::LeftButton);
    QVERIFY(f.Window.Project().K == result.Best()->K);
    QCOMPARE(f.Item(QStringLiteral("Undo1"))->text(), QStringLiteral("&Undo Model Selection"));
    QTest::mouseClick(Button(*window, "SelectionCopy"), Qt::LeftButton);
    QCOMPARE(f.Platform.Clipboard, QString::fromStdString(SelectionTabSeparated(*window->Result())));
  }

  // Closing the window while it runs stops the run; nothing hangs and no box appears.
  void ClosingDuringARunStopsIt() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<ModelSelectionWindow> window = OpenWindow(f);
    QVERIFY(window);
    QTest::mouseClick(Button(*window, "SelectionRun"), Qt::LeftButton);
    QVERIFY(window->Running());
    QVERIFY(!Button(*window, "SelectionRun")->isEnabled());
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kRunTimeout);
    QVERIFY(f.Platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ModelSelectionWindowTest)
#include "ModelSelectionWindowTest.moc"
