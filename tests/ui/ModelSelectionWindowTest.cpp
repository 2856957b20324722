// The wiring of the model-selection window, opened by Ctrl+F9. The ranking itself is the
// core's (ModelSelectionTest).

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

constexpr int kRunTimeout = 120000;  // ms; the example's 1,024 models take about a second

class ModelSelectionWindowTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // An unticked candidate leaves the run; "Apply" is one step; "Copy Results" copies the report;
  // closing the window during a second run stops it without a box.
  void RunApplyCopyAndCloseDuringARun() {
    MainWindowFixture& f = ShownWindow();
    f.Press(QKeyCombination(Qt::ControlModifier, Qt::Key_F9));
    const QPointer<ModelSelectionWindow> window = f.Window.SelectionWindow();
    QVERIFY(window != nullptr && QTest::qWaitForWindowExposed(window));
    const auto button = [&window](const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); };
    auto* k7 = window->findChild<QCheckBox*>(QStringLiteral("Candidate7"));
    QTest::mouseClick(k7, Qt::LeftButton, {}, QPoint(4, k7->height() / 2));
    QSignalSpy ended(window.data(), &ModelSelectionWindow::RunEnded);
    QTest::mouseClick(button("SelectionRun"), Qt::LeftButton);
    QVERIFY(ended.wait(kRunTimeout) || ended.count() > 0);
    const SelectionResult& result = *window->Result();
    QCOMPARE(result.ModelsFitted, 512);
    const SelectionReport report = MakeSelectionReport(result, -1);
    const auto* models = window->findChild<QTableWidget*>(QStringLiteral("SelectionModels"));
    QCOMPARE(models->rowCount(), static_cast<int>(report.Models.size()) - 1);
    QCOMPARE(models->item(0, 1)->text(), QString::fromStdString(report.Models[1][1]));

    QTest::mouseClick(button("SelectionApply"), Qt::LeftButton);
    QVERIFY(f.Window.Project().K == result.Best()->K);
    QCOMPARE(f.Item(QStringLiteral("Undo1"))->text(), QStringLiteral("&Undo Model Selection"));
    QTest::mouseClick(button("SelectionCopy"), Qt::LeftButton);
    QCOMPARE(f.Platform.Clipboard, QString::fromStdString(SelectionTabSeparated(*window->Result())));

    QTest::mouseClick(button("SelectionRun"), Qt::LeftButton);
    QVERIFY(window->Running() && !button("SelectionRun")->isEnabled());
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kRunTimeout);
    QVERIFY(f.Platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ModelSelectionWindowTest)
#include "ModelSelectionWindowTest.moc"
