// The rate-constant panel of the main window wired to its session, which steps and converts.

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "document/ProjectReader.h"
#include "model/EvaluateDeviation.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"
#include "ui/UpDown.h"

namespace zamo::testing {

// The deviation labels show the texts of the shown experiment's sums.
static QStringList ExpectedDeviations(const MainWindowFixture& f) {
  const KineticProject& p = f.Window.Project();
  const DeviationLabelTexts d = DeviationLabels(p.DeviationOf(p.ShowLeft ? Side::Left : Side::Right));
  QStringList texts{QString::fromStdString(d.Total)};
  for (int s = 1; s <= 16; ++s) texts.append(QString::fromStdString(s <= 8 ? d.Signed[s] : d.Absolute[s - 8]));
  return texts;
}

class RatePanelTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // Rows and deviations follow the shown experiment; a negative constant (no file gives one)
  // shows its sign, and leaving a box that shows five of its seven digits must not round it.
  void RowsFollowTheShownExperiment() {
    MainWindowFixture& f = ShownWindow();
    const QString right = "1.2600E-06 1.7400E-05 9.9300E-07 0.0000E+00 0.0000E+00 0.0000E+00 7.3200E-05 ";
    const QString left = "1.2600E-06 1.0300E-05 8.5000E-08 3.1000E-07 2.3350E-05 0.0000E+00 1.9800E-05 ";
    for (const bool toLeft : {false, true}) {
      f.Press(toLeft ? Qt::CTRL | Qt::Key_L : Qt::CTRL | Qt::Key_R);
      QStringList shown;
      for (int row = 1; row <= 10; ++row) shown.append(f.Box(row)->text());
      QCOMPARE(shown.join(' '), (toLeft ? left : right) + "3.6230E-05 2.1540E-05 2.6590E-04");
      QCOMPARE(f.Label(2)->text(), toLeft ? "k2   =" : "k9   =");
      QCOMPARE(f.DeviationTexts(), ExpectedDeviations(f));
    }
    RateConstants k = f.Window.Project().K;
    k[4] = -1.234567e-12L;
    f.Window.Session().PutConstantsInPlace(k, "Optimization");
    QCOMPARE(f.Box(4)->displayText(), QStringLiteral("-1.2346E-12"));
    QTest::mouseClick(f.Box(4), Qt::LeftButton);
    QTest::keyClick(f.Box(4), Qt::Key_Tab);
    QCOMPARE(f.Window.Project().K[4], -1.234567e-12L);
  }

  // Each arrow steps its digit of the mantissa up or down; the deviations follow on release only. A
  // stepper shows a mark while it has the focus. Its counter runs from -10000 to 10000: a step
  // beyond an end is ignored and reported to no one.
  void SteppersStepTheMantissa() {
    MainWindowFixture& f = ShownWindow();
    const QStringList before = f.DeviationTexts();
    QTest::mousePress(f.Stepper(1, 1)->UpButton(), Qt::LeftButton);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2700E-06"));
    QCOMPARE(f.DeviationTexts(), before);
    QTest::mouseRelease(f.Stepper(1, 1)->UpButton(), Qt::LeftButton);
    QCOMPARE(f.DeviationTexts(), ExpectedDeviations(f));
    f.ClickArrow(f.Stepper(1, 2), false);
    f.ClickArrow(f.Stepper(1, 3), true);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2691E-06"));
    const QImage plain = f.Stepper(1, 2)->grab().toImage();
    f.Stepper(1, 2)->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(f.Stepper(1, 2)->grab().toImage() != plain);
    f.Box(3)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(f.Stepper(1, 2)->grab().toImage(), plain);
    UpDown alone(QStringLiteral("UpDownAlone"));
    QSignalSpy steps(&alone, &UpDown::stepped);
    for (int i = 0; i < 10001; ++i) QTest::keyPress(&alone, Qt::Key_Up);
    QCOMPARE(alone.Position(), 10000);
    for (int i = 0; i < 20001; ++i) QTest::keyPress(&alone, Qt::Key_Down);
    QCOMPARE(alone.Position(), -10000);
    QCOMPARE(steps.count(), 30000);
  }

  // Typed into row 2 (k9 on the right) and left with Tab, Enter (which keeps the focus), or
  // pending before a command: Save writes it, and closing asks about it.
  void TypedValueIsStored_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"Tab", "Enter", "Ctrl+S", "close box"}) QTest::newRow(how) << QString(how);
  }
  void TypedValueIsStored() {
    QFETCH(QString, how);
    QTemporaryDir folder;
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::CTRL | Qt::Key_R);
    RateConstants expected = f.Window.Project().K;
    expected[9] = 4.5e-7L;
    f.TypeInto(2, QStringLiteral("4.5000E-07"), how == QStringLiteral("Tab"));
    f.Platform.FileAnswers = {folder.filePath("typed.zam")};
    f.Platform.PromptAnswers = {PromptAnswer::Cancel};
    if (how == QStringLiteral("Enter")) QTest::keyClick(f.Box(2), Qt::Key_Return);
    if (how == QStringLiteral("Ctrl+S")) f.Press(Qt::CTRL | Qt::Key_S);
    if (how == QStringLiteral("close box")) f.Window.close();
    QVERIFY(f.Window.Project().K == expected);
    QCOMPARE(f.Window.focusWidget() == f.Box(2), how != QStringLiteral("Tab"));
    QCOMPARE(f.Platform.Prompts, how == QStringLiteral("close box") ? 1 : 0);
    if (how == QStringLiteral("Ctrl+S"))
      QCOMPARE(ReadProjectFile(folder.filePath("typed.zam").toStdString()).Data.K, expected);
  }

  // A blank sign place is refused with a beep and the box's message, and the box keeps the
  // focus until Esc restores it, also when a command comes first; a text that is no number
  // shows the conversion's message and the stored value again.
  void RefusedBoxTextKeepsTheConstant_data() {
    QTest::addColumn<QString>("then");  // typed at the blanked sign place, or the command given
    QTest::newRow("blank sign place") << "";
    QTest::newRow("blank sign place, Ctrl+S") << "Ctrl+S";
    QTest::newRow("no number") << "x";
  }
  void RefusedBoxTextKeepsTheConstant() {
    QFETCH(QString, then);
    MainWindowFixture& f = ShownWindow();
    MaskEdit* box = f.Box(1);
    QTest::mouseClick(box, Qt::LeftButton);
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Delete})
      QTest::keyClick(box, key);
    const bool number = then != QStringLiteral("x");
    if (!number) QTest::keyClicks(box, then);
    then == QStringLiteral("Ctrl+S") ? f.Press(Qt::CTRL | Qt::Key_S) : QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(f.Platform.Beeps, number ? 1 : 0);
    QCOMPARE(f.Platform.OneMessage(),
             number ? "Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um die Änderungen rückgängig zu machen."
                    : "'1.2600Ex06' ist kein gültiger Gleitkommawert.");
    QTRY_COMPARE(box->hasFocus(), number);
    if (box->hasFocus()) QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QStringLiteral("1.2600E-06"));
    QVERIFY(f.Platform.FileDialogs.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::RatePanelTest)
#include "RatePanelTest.moc"
