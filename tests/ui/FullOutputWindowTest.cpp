// The full output report window opened from the main window: its caption and lines for each
// experiment, the empty report of an absent experiment, and the copy of a selection.

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <optional>

#include "tests/ui/MainWindowFixture.h"
#include "ui/FullOutPut.h"

namespace zamo::testing {

namespace {

const QStringList kSpeciesLabels = {"A (TMCP)  ", "B (ICP)   ", "C (k2,k9) ", "D (k3,k10)",
                                    "E (k4,k11)", "F (k5,k12)", "G (k6,...)", "H (k7,...)"};
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
  // Times in seconds, minutes and hours ("#0.0"); the product shares are taken relative to
  // everything but the start species: A on the left, B on the right.
  void ReportOfTheShownExperiment_data() {
    QTest::addColumn<bool>("left");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("times");
    QTest::newRow("left") << true << "Full Output of the Result - Left Reactions"
                          << QStringList{"1800.0 s, 30.0 min,  0.5 h",   "3600.0 s, 60.0 min,  1.0 h",
                                         "7200.0 s, 120.0 min,  2.0 h",  "10800.0 s, 180.0 min,  3.0 h",
                                         "19800.0 s, 330.0 min,  5.5 h", "36000.0 s, 600.0 min,  10.0 h"};
    QTest::newRow("right") << false << "Full Output of the Result - Right Reactions"
                           << QStringList{"1200.0 s, 20.0 min,  0.3 h",  "2400.0 s, 40.0 min,  0.7 h",
                                          "3600.0 s, 60.0 min,  1.0 h",  "5400.0 s, 90.0 min,  1.5 h",
                                          "9000.0 s, 150.0 min,  2.5 h", "18000.0 s, 300.0 min,  5.0 h"};
  }
  void ReportOfTheShownExperiment() {
    QFETCH(bool, left);
    QFETCH(QString, caption);
    QFETCH(QStringList, times);
    MainWindowFixture& f = ShownWindow();
    if (!left) f.Press(Qt::CTRL | Qt::Key_R);
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    QCOMPARE(report->windowTitle(), caption);
    QVERIFY(report->OutPut()->isReadOnly());
    const QStringList lines = Lines(report);
    QCOMPARE(lines.mid(0, 4),
             (QStringList{"Temperature = 210.1 Grad", " ", "RATE CONSTANTS/S-1", "k1 = 1.2600E-06   k8 = 3.6230E-05"}));
    QCOMPARE(lines.count(kColumnHeader), 6);

    QStringList shownTimes;
    for (int i = 0; i < lines.size(); ++i) {
      if (lines[i].startsWith(QLatin1String("TIME = "))) shownTimes.append(lines[i].mid(7));
      if (lines[i] != kColumnHeader) continue;
      QVERIFY(i + 8 < lines.size());
      for (int s = 0; s < 8; ++s) {
        QVERIFY2(lines[i + 1 + s].startsWith(kSpeciesLabels[s]), qPrintable(lines[i + 1 + s]));
      }
    }
    QCOMPARE(shownTimes, times);

    // The numbers of the report are FullOutputText's, tested with the core.
    QVERIFY(lines.contains(QStringLiteral("Summ.Error of each reactant:")));
  }

  // Every F4 opens a report of its own: the empty one stays empty beside the next.
  void EmptyWhenTheShownExperimentIsAbsent() {
    MainWindowFixture& f = ShownWindow();
    f.Platform.FileAnswers = {QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam")};
    f.Press(Qt::CTRL | Qt::Key_O);
    QVERIFY(f.Platform.Messages.empty());
    QVERIFY(!f.Window.Project().Left.Present);
    QVERIFY(f.Window.Project().Right.Present);
    f.Press(Qt::CTRL | Qt::Key_L);
    TOutPutForm* absent = OpenReport(f);
    QVERIFY(absent != nullptr);
    QCOMPARE(absent->windowTitle(), QStringLiteral("Full Output of the Result - Left Reactions"));
    QCOMPARE(absent->OutPut()->toPlainText(), QString());

    f.Window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.Window));
    f.Press(Qt::CTRL | Qt::Key_R);
    TOutPutForm* present = OpenReport(f);
    QVERIFY(present != nullptr && present != absent);
    QCOMPARE(Lines(present).count(kColumnHeader), 6);
    QCOMPARE(absent->OutPut()->toPlainText(), QString());
  }

  // Whatever key is pressed, a selection goes to the clipboard first; the separators of a
  // selection over several lines become line breaks. Without a selection the clipboard keeps
  // what it held.
  void KeyCopiesTheSelection_data() {
    QTest::addColumn<int>("from");  // -1: nothing selected
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("clipboard");
    const QString earlier = QStringLiteral("copied earlier");
    // "Temperature = 210.1 Grad" (24), " " and "RATE CONSTANTS/S-1" (18), one break each.
    QTest::newRow("first line, Down") << 0 << 24 << false << int(Qt::Key_Down) << "Temperature = 210.1 Grad";
    QTest::newRow("three lines, Page Down")
        << 0 << 45 << false << int(Qt::Key_PageDown) << "Temperature = 210.1 Grad\n \nRATE CONSTANTS/S-1";
    QTest::newRow("dragged with the mouse, End") << 0 << 11 << true << int(Qt::Key_End) << "Temperature";
    QTest::newRow("nothing selected, Down") << -1 << -1 << false << int(Qt::Key_Down) << earlier;
  }
  void KeyCopiesTheSelection() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, byMouse);
    QFETCH(int, key);
    QFETCH(QString, clipboard);
    MainWindowFixture& f = ShownWindow();
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    QPlainTextEdit* text = report->OutPut();
    QTextCursor cursor = text->textCursor();
    if (byMouse) {
      cursor.setPosition(from);
      const QPoint start = text->cursorRect(cursor).center();
      cursor.setPosition(to);
      const QPoint end = text->cursorRect(cursor).center();
      QTest::mousePress(text->viewport(), Qt::LeftButton, {}, start);
      QTest::mouseMove(text->viewport(), end);
      QTest::mouseRelease(text->viewport(), Qt::LeftButton, {}, end);
    } else if (from >= 0) {
      cursor.setPosition(from);
      cursor.setPosition(to, QTextCursor::KeepAnchor);
      text->setTextCursor(cursor);
    }
    QCOMPARE(text->textCursor().hasSelection(), from >= 0);
    f.Platform.Clipboard = QStringLiteral("copied earlier");
    QTest::keyClick(text, Qt::Key(key));
    QCOMPARE(f.Platform.Clipboard, clipboard);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::FullOutputWindowTest)
#include "FullOutputWindowTest.moc"
