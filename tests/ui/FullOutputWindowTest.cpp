// The full output report window opened from the main window: its caption and lines for each
// experiment, the empty report of an absent experiment, and the copy of a selection. Its
// Save As and Print are tested with the main window's other files.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <optional>

#include "tests/ui/MainWindowFixture.h"
#include "ui/FullOutPut.h"

namespace zamo::testing {

namespace {

const QString kColumnHeader =
    QStringLiteral("PRODUCT     OBS%      CALC%      DIFF%     SQDIFF%    PRD%,obs   PRD%,calc");

// F4 in the main window, made active again for its keys; the report window it opens (the
// newest one), once it has become the active window itself.
TOutPutForm* OpenReport(MainWindowFixture& f) {
  f.Window.activateWindow();
  if (!QTest::qWaitForWindowActive(&f.Window)) return nullptr;
  const qsizetype before = f.Window.findChildren<TOutPutForm*>().size();
  f.Press(Qt::Key_F4);
  const QList<TOutPutForm*> reports = f.Window.findChildren<TOutPutForm*>();
  if (reports.size() != before + 1 || !QTest::qWaitForWindowActive(reports.last())) return nullptr;
  return reports.last();
}

QStringList Lines(const TOutPutForm* report) { return report->OutPut()->toPlainText().split(QLatin1Char('\n')); }

}  // namespace

class FullOutputWindowTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The report of the shown experiment (its lines are FullOutputText's, tested with the
  // core), read-only, empty for an absent experiment; every F4 opens a report of its own.
  void ReportOfTheShownExperiment_data() {
    QTest::addColumn<QString>("project");
    QTest::addColumn<bool>("left");
    QTest::addColumn<QString>("firstTime");  // "" for an empty report
    const QString rightOnly = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam");
    QTest::newRow("left") << "" << true << "TIME = 1800.0 s, 30.0 min,  0.5 h";
    QTest::newRow("right") << "" << false << "TIME = 1200.0 s, 20.0 min,  0.3 h";
    QTest::newRow("left absent") << rightOnly << true << "";
  }
  void ReportOfTheShownExperiment() {
    QFETCH(QString, project);
    QFETCH(bool, left);
    QFETCH(QString, firstTime);
    MainWindowFixture f;
    if (!project.isEmpty()) f.Window.OpenAtStart(project);
    QVERIFY(f.Show());
    f.Press(Qt::CTRL | (left ? Qt::Key_L : Qt::Key_R));
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    QCOMPARE(report->windowTitle(), QStringLiteral("Full Output of the Result - %1 Reactions")
                                        .arg(left ? QStringLiteral("Left") : QStringLiteral("Right")));
    QVERIFY(report->OutPut()->isReadOnly());
    const QStringList lines = Lines(report);
    QCOMPARE(lines.count(kColumnHeader), firstTime.isEmpty() ? 0 : 6);
    QVERIFY(firstTime.isEmpty() ? lines == QStringList{QString()} : lines.contains(firstTime));
    // Nothing to save or print while the report is empty.
    for (const char* button : {"SaveAsButton", "PrintButton"}) {
      QCOMPARE(report->findChild<QPushButton*>(button)->isEnabled(), !firstTime.isEmpty());
    }
    QVERIFY(OpenReport(f) != nullptr);
  }

  // Whatever key is pressed, a selection goes to the clipboard first; the separators of a
  // selection over several lines become line breaks. Without a selection the clipboard keeps
  // what it held.
  void KeyCopiesTheSelection_data() {
    QTest::addColumn<int>("to");  // from the start; 0: nothing selected
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("clipboard");
    // "Temperature = 210.1 Grad" (24), " " and "RATE CONSTANTS/S-1" (18), one break each.
    QTest::newRow("three lines, Page Down")
        << 45 << int(Qt::Key_PageDown) << "Temperature = 210.1 Grad\n \nRATE CONSTANTS/S-1";
    QTest::newRow("a word, End") << 11 << int(Qt::Key_End) << "Temperature";
    QTest::newRow("nothing selected, Down") << 0 << int(Qt::Key_Down) << "copied earlier";
  }
  void KeyCopiesTheSelection() {
    QFETCH(int, to);
    QFETCH(int, key);
    QFETCH(QString, clipboard);
    MainWindowFixture& f = ShownWindow();
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    QTextCursor cursor = report->OutPut()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    report->OutPut()->setTextCursor(cursor);
    f.Platform.Clipboard = QStringLiteral("copied earlier");
    QTest::keyClick(report->OutPut(), Qt::Key(key));
    QCOMPARE(f.Platform.Clipboard, clipboard);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::FullOutputWindowTest)
#include "FullOutputWindowTest.moc"
