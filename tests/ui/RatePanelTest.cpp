// The rate-constant panel inside the main window: what its rows and deviation labels show,
// stepping, typing, and the refusals of a box.

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"
#include "ui/UpDown.h"

namespace zamo::testing {

namespace {

// The deviation labels as the shown experiment's sums give them: the total to two places,
// the signed and the absolute sums of A..H to three, a space where a minus would stand.
QStringList ExpectedDeviations(const MainWindowFixture& f) {
  const KineticProject& p = f.Window.Project();
  const DeviationSummary& d = p.DeviationOf(p.ShowLeft ? Side::Left : Side::Right);
  const auto three = [](Real v) {
    return (v < 0 ? QString() : QStringLiteral(" ")) + QString::number(static_cast<double>(v), 'f', 3);
  };
  QStringList texts{QString::number(static_cast<double>(d.TotalSquares), 'f', 2)};
  for (int s = 1; s <= kSpeciesCount; ++s) texts.append(three(d.SignedSum[s]));
  for (int s = 1; s <= kSpeciesCount; ++s) texts.append(three(d.AbsoluteSum[s]));
  return texts;
}

void ShowRight(MainWindowFixture& f) { f.Press(Qt::CTRL | Qt::Key_R); }
void ShowLeft(MainWindowFixture& f) { f.Press(Qt::CTRL | Qt::Key_L); }

// Puts the cursor in front of the exponent's sign of a row's box.
MaskEdit* CursorOnSignPlace(MainWindowFixture& f, int row) {
  MaskEdit* box = f.Box(row);
  QTest::mouseClick(box, Qt::LeftButton);
  QTest::keyClick(box, Qt::Key_End);
  for (int i = 0; i < 3; ++i) QTest::keyClick(box, Qt::Key_Left);
  if (box->cursorPosition() != 7) QTest::qFail("the cursor is not on the sign place", __FILE__, __LINE__);
  return box;
}

}  // namespace

class RatePanelTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // Each row shows the constant of the shown experiment; the deviations follow it.
  void RowsFollowTheShownExperiment_data() {
    QTest::addColumn<bool>("left");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("left") << true << QStringList{"k1   = ", "k2   =", "k3   =",  "k4   =", "k5   =",
                                                 "k6   =",  "k7   =", "k8   = ", "k15 = ", "k16 = "}
                          << QStringList{"1.2600E-06", "1.0300E-05", "8.5000E-08", "3.1000E-07", "2.3350E-05",
                                         "0.0000E+00", "1.9800E-05", "3.6230E-05", "2.1540E-05", "2.6590E-04"};
    QTest::newRow("right") << false << QStringList{"k1   = ", "k9   =", "k10 =",   "k11 =",  "k12 =",
                                                   "k13 =",   "k14 =",  "k8   = ", "k15 = ", "k16 = "}
                           << QStringList{"1.2600E-06", "1.7400E-05", "9.9300E-07", "0.0000E+00", "0.0000E+00",
                                          "0.0000E+00", "7.3200E-05", "3.6230E-05", "2.1540E-05", "2.6590E-04"};
  }
  void RowsFollowTheShownExperiment() {
    QFETCH(bool, left);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, boxes);
    MainWindowFixture& f = ShownWindow();
    // There and back again, so that both directions of the switch are covered.
    ShowRight(f);
    if (left) ShowLeft(f);
    for (int row = 1; row <= 10; ++row) {
      QCOMPARE(f.Label(row)->text(), captions.at(row - 1));
      QCOMPARE(f.Box(row)->text(), boxes.at(row - 1));
    }
    QCOMPARE(f.DeviationTexts(), ExpectedDeviations(f));
    QCOMPARE(f.Label(16)->text(), left ? QStringLiteral("7.70") : QStringLiteral("12.55"));
  }

  // Each arrow steps its digit of the mantissa (the steps are the session's); the
  // deviations follow on release only.
  void ArrowStepsTheMantissa_data() {
    QTest::addColumn<int>("stepper");
    QTest::addColumn<QString>("shown");
    QTest::newRow("UpDown11: second digit") << 1 << "1.2700E-06";
    QTest::newRow("UpDown12: third digit") << 2 << "1.2610E-06";
    QTest::newRow("UpDown13: fourth digit") << 3 << "1.2601E-06";
  }
  void ArrowStepsTheMantissa() {
    QFETCH(int, stepper);
    QFETCH(QString, shown);
    MainWindowFixture& f = ShownWindow();
    const QStringList before = f.DeviationTexts();
    QToolButton* arrow = f.Stepper(1, stepper)->UpButton();
    QTest::mousePress(arrow, Qt::LeftButton);
    QCOMPARE(f.Box(1)->text(), shown);
    QCOMPARE(f.DeviationTexts(), before);
    QVERIFY(!f.Window.Project().Modified);
    QTest::mouseRelease(arrow, Qt::LeftButton);
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.DeviationTexts(), ExpectedDeviations(f));
    QCOMPARE(f.Box(1)->text(), shown);
  }

  // The arrows never take the focus; the stepper shows that it has it.
  void FocusedStepperShowsAMark() {
    MainWindowFixture& f = ShownWindow();
    UpDown* stepper = f.Stepper(3, 2);
    const QImage plain = stepper->grab().toImage();
    stepper->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(stepper->hasFocus());
    QVERIFY(stepper->grab().toImage() != plain);
    f.Box(3)->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(!stepper->hasFocus());
    QCOMPARE(stepper->grab().toImage(), plain);
  }

  // The stepper's counter runs from -10000 to 10000: a step beyond an end is ignored and
  // reported to no one, so the constant stays.
  void CounterStopsAtItsEnds() {
    UpDown stepper(QStringLiteral("UpDownAlone"));
    stepper.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stepper));
    QSignalSpy steps(&stepper, &UpDown::stepped);
    for (int i = 0; i < 10001; ++i) QTest::keyPress(&stepper, Qt::Key_Up);
    QCOMPARE(stepper.Position(), 10000);
    for (int i = 0; i < 20001; ++i) QTest::keyPress(&stepper, Qt::Key_Down);
    QCOMPARE(stepper.Position(), -10000);
    QTest::mouseClick(stepper.DownButton(), Qt::LeftButton);
    QCOMPARE(stepper.Position(), -10000);
    QCOMPARE(steps.count(), 30000);
    QTest::mouseClick(stepper.UpButton(), Qt::LeftButton);
    QCOMPARE(stepper.Position(), -9999);
  }

  void TypedValueIsStored_data() {
    QTest::addColumn<bool>("left");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("changed");
    QTest::addColumn<int>("untouched");
    QTest::newRow("left row 2 is k2") << true << 2 << "5.0000E-04" << 2 << 9;
    QTest::newRow("right row 2 is k9") << false << 2 << "5.0000E-04" << 9 << 2;
    QTest::newRow("right row 9 is k15") << false << 9 << "4.2000E-05" << 15 << 2;
  }
  void TypedValueIsStored() {
    QFETCH(bool, left);
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(int, changed);
    QFETCH(int, untouched);
    MainWindowFixture& f = ShownWindow();
    if (!left) ShowRight(f);
    const QStringList before = f.DeviationTexts();
    const Real other = f.Window.Project().K[untouched];
    f.TypeInto(row, typed);
    QVERIFY(CloseTo(f.Window.Project().K[changed], typed.toDouble()));
    QCOMPARE(f.Window.Project().K[untouched], other);
    QVERIFY(f.Window.Project().Modified);
    QVERIFY(f.DeviationTexts() != before);
    QCOMPARE(f.DeviationTexts(), ExpectedDeviations(f));
    QVERIFY(f.Platform.Messages.empty());
  }

  // The box shows five digits of a constant that has seven; leaving it must not round it.
  void LeavingAnUnchangedBoxStoresNothing() {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("seven-digits.zam")).toStdString();
    WriteTextFileAtomically(path, ExampleTextWith({{22, "1.234567E-06  3.623E-05"}}));
    MainWindowFixture f;
    f.Window.OpenAtStart(QString::fromStdString(path));
    QVERIFY(f.Show());
    const Real k1 = f.Window.Project().K[1];
    QVERIFY(CloseTo(k1, 1.234567e-6L));
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2346E-06"));

    QTest::mouseClick(f.Box(1), Qt::LeftButton);
    QTRY_VERIFY(f.Box(1)->hasFocus());
    QTest::keyClick(f.Box(1), Qt::Key_Tab);
    QVERIFY(!f.Box(1)->hasFocus());
    QCOMPARE(f.Window.Project().K[1], k1);
    QVERIFY(!f.Window.Project().Modified);
  }

  // A blank sign place is refused with a beep and the box's message, and the box keeps the
  // focus until Esc restores it; a text that is no number shows the conversion's message
  // and the stored value again. Neither changes the constant.
  void RefusedBoxTextKeepsTheConstant_data() {
    QTest::addColumn<QString>("typed");  // at the sign place; "" deletes it
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("message");
    QTest::newRow("blank sign place")
        << "" << 1 << "Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um die Änderungen rückgängig zu machen.";
    QTest::newRow("no number") << "x" << 0 << "'1.2600Ex06' ist kein gültiger Gleitkommawert.";
  }
  void RefusedBoxTextKeepsTheConstant() {
    QFETCH(QString, typed);
    QFETCH(int, beeps);
    QFETCH(QString, message);
    MainWindowFixture& f = ShownWindow();
    MaskEdit* box = CursorOnSignPlace(f, 1);
    typed.isEmpty() ? QTest::keyClick(box, Qt::Key_Delete) : QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(f.Platform.Beeps, beeps);
    QCOMPARE(f.Platform.OneMessage(), message);
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Kinetic Calculation of Unimolecular Reactions"));
    QTRY_COMPARE(box->hasFocus(), beeps > 0);
    if (box->hasFocus()) QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QStringLiteral("1.2600E-06"));
    QVERIFY(CloseTo(f.Window.Project().K[1], 1.26e-6L));
    QVERIFY(!f.Window.Project().Modified);
  }

  // A value typed into a box counts before a command, as if the box had been left, and
  // Enter commits it too: Save writes it, and closing asks about it.
  void PendingTextCountsBeforeTheCommand_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+S") << "Ctrl+S";
    QTest::newRow("close box") << "close box";
    QTest::newRow("Enter") << "Enter";
  }
  void PendingTextCountsBeforeTheCommand() {
    QFETCH(QString, how);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("typed.zam"));
    MainWindowFixture& f = ShownWindow();
    f.TypeInto(3, QStringLiteral("4.5000E-07"), false);
    QCOMPARE(f.Window.focusWidget(), f.Box(3));
    if (how == QStringLiteral("Ctrl+S")) {
      f.Platform.FileAnswers = {path};
      f.Press(Qt::CTRL | Qt::Key_S);
      QCOMPARE(ReadProjectFile(path.toStdString()).Data.K[3], 4.5e-7L);
    } else if (how == QStringLiteral("Enter")) {
      QTest::keyClick(f.Box(3), Qt::Key_Return);
      QCOMPARE(f.Window.focusWidget(), f.Box(3));
      QCOMPARE(f.DeviationTexts(), ExpectedDeviations(f));
    } else {
      f.Platform.PromptAnswers = {PromptAnswer::Cancel};
      f.Window.close();
      QCOMPARE(f.Platform.Prompts, 1);
      QVERIFY(f.Window.isVisible());
    }
    QCOMPARE(f.Window.Project().K[3], 4.5e-7L);
    QCOMPARE(f.Box(3)->text(), QStringLiteral("4.5000E-07"));
  }

  // A text whose sign place is blank refuses the command as leaving the box would.
  void RefusedPendingTextStopsTheCommand() {
    MainWindowFixture& f = ShownWindow();
    MaskEdit* box = CursorOnSignPlace(f, 1);
    QTest::keyClick(box, Qt::Key_Delete);
    f.Press(Qt::CTRL | Qt::Key_S);
    QCOMPARE(f.Platform.Beeps, 1);
    QVERIFY(f.Platform.FileDialogs.empty());
    QCOMPARE(f.Window.Project().K[1], 1.26e-6L);
  }

  // A negative constant (no file gives one: the readers refuse it) is shown with its sign.
  void NegativeConstantShowsItsValue() {
    MainWindowFixture& f = ShownWindow();
    RateConstants k = f.Window.Project().K;
    k[4] = -1e-12L;
    f.Window.Session().PutConstantsInPlace(k, "Optimization");
    QCOMPARE(f.Box(4)->text(), QStringLiteral("-1.0000E-12"));
    QCOMPARE(f.Box(4)->displayText(), QStringLiteral("-1.0000E-12"));
    QCOMPARE(f.Box(5)->text(), QStringLiteral("2.3350E-05"));
    // Back to a positive value, the box takes its usual shape again.
    f.Window.Session().OpenExample();
    QCOMPARE(f.Box(4)->displayText(), QStringLiteral("3.1000E-07"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::RatePanelTest)
#include "RatePanelTest.moc"
