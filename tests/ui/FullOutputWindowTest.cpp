// The full output report window: the report of the shown experiment (its lines are the core's),
// empty for an absent one, and the copy of a selection; Save As and Print are DataExchangeTest's.

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "tests/ui/MainWindowFixture.h"
#include "ui/FullOutPut.h"

namespace zamo::testing {
// F4 in the main window, made active again for its keys; the new report window, once active.
static TOutPutForm* OpenReport(MainWindowFixture& f) {
  if (!BackToMainWindow(f)) return nullptr;
  f.Press(Qt::Key_F4);
  const QList<TOutPutForm*> reports = f.Window.findChildren<TOutPutForm*>();
  return !reports.isEmpty() && QTest::qWaitForWindowActive(reports.last()) ? reports.last() : nullptr;
}
class FullOutputWindowTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // Whatever key is pressed, a selection goes to the clipboard first, its separators as line
  // breaks; without a selection the clipboard keeps its text.
  void ReportOfTheShownExperimentCopiesItsSelection() {
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::CTRL | Qt::Key_R);
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    QVERIFY(report->OutPut()->toPlainText().contains("\nTIME = 1200.0 s, 20.0 min,  0.3 h\n"));
    f.Platform.Clipboard = QStringLiteral("kept");
    QTest::keyClick(report->OutPut(), Qt::Key_Down);
    QCOMPARE(f.Platform.Clipboard, QStringLiteral("kept"));
    report->OutPut()->selectAll();
    QTest::keyClick(report->OutPut(), Qt::Key_Down);
    QVERIFY(f.Platform.Clipboard.startsWith("Temperature = 210.1 Grad\n \nRATE CONSTANTS/S-1\n"));
  }
  void EmptyReportOfAnAbsentExperiment() {  // nothing to save or print
    MainWindowFixture f;
    f.Window.OpenAtStart(QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam"));
    QVERIFY(f.Show());
    f.Press(Qt::CTRL | Qt::Key_L);
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    QCOMPARE(report->OutPut()->toPlainText(), QString());
    for (const char* button : {"SaveAsButton", "PrintButton"})
      QVERIFY(!report->findChild<QPushButton*>(button)->isEnabled());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::FullOutputWindowTest)
#include "FullOutputWindowTest.moc"
