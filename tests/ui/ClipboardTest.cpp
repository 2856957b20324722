// Copy and paste of one rate constant with the Edit menu's keys, pressed where the focus is:
// Copy puts the focused row's box, as shown, on the clipboard; Paste commits a number from
// the clipboard to the focused row like a typed value and refuses a text that is none.

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <optional>

#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"
#include "ui/UpDown.h"

namespace zamo::testing {

namespace {

const QString kApplicationCaption = QStringLiteral("Kinetic Calculation of Unimolecular Reactions");
const QString kSomeText = QStringLiteral("copied elsewhere");

// Gives a control of the window the focus the way a user does: a click into a box; a
// stepper, whose arrows would step, by the keyboard focus alone. "" leaves no control focused.
bool FocusOn(MainWindowFixture& f, const QString& name) {
  if (name.isEmpty()) {
    if (QWidget* focused = f.Window.focusWidget()) focused->clearFocus();
    return f.Window.focusWidget() == nullptr;
  }
  auto* control = f.Window.findChild<QWidget*>(name);
  if (control == nullptr) return false;
  if (auto* box = qobject_cast<MaskEdit*>(control)) {
    QTest::mouseClick(box, Qt::LeftButton);
  } else {
    control->setFocus(Qt::TabFocusReason);
  }
  return QTest::qWaitFor([control] { return control->hasFocus(); });
}

// A key as the user presses it: to the focused control, or to the window when none is.
void PressWhereFocused(MainWindowFixture& f, QKeyCombination key) {
  QWidget* focused = QApplication::focusWidget();
  QTest::keyClick(focused != nullptr ? focused : &f.Window, key.key(), key.keyboardModifiers());
}

QStringList BoxTexts(const MainWindowFixture& f) {
  QStringList texts;
  for (int row = 1; row <= 10; ++row) texts.append(f.Box(row)->text());
  return texts;
}

}  // namespace

class ClipboardTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  void CopyTakesTheFocusedRowAsShown_data() {
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("copied");
    QTest::newRow("second stepper of row 4") << false << "UpDown42"
                                             << "3.1000E-07";
    QTest::newRow("box of row 1") << false << "MaskEdit1"
                                  << "1.2600E-06";
    QTest::newRow("third stepper of row 10") << false << "UpDown103"
                                             << "2.6590E-04";
    QTest::newRow("right: first stepper of row 2 is k9") << true << "UpDown21"
                                                         << "1.7400E-05";
    QTest::newRow("right: box of row 3 is k10") << true << "MaskEdit3"
                                                << "9.9300E-07";
  }
  void CopyTakesTheFocusedRowAsShown() {
    QFETCH(bool, right);
    QFETCH(QString, control);
    QFETCH(QString, copied);
    MainWindowFixture& f = ShownWindow();
    if (right) f.Press(Qt::CTRL | Qt::Key_R);
    f.Platform.Clipboard = kSomeText;
    QVERIFY(FocusOn(f, control));
    PressWhereFocused(f, Qt::CTRL | Qt::Key_C);
    QCOMPARE(f.Platform.Clipboard, copied);
    QVERIFY(!f.Window.Project().Modified);
    QVERIFY(f.Platform.Messages.empty());
  }

  // A blank place of the box goes to the clipboard as the box shows it; the box keeps the
  // focus and its text, since the key is the menu's and not the box's.
  void CopyShowsBlankPlaces() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(FocusOn(f, QStringLiteral("MaskEdit1")));
    MaskEdit* box = f.Box(1);
    QTest::keyClick(box, Qt::Key_End);
    for (int i = 0; i < 3; ++i) QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->ShownText(), QStringLiteral("1.2600E_06"));
    PressWhereFocused(f, Qt::CTRL | Qt::Key_C);
    QCOMPARE(f.Platform.Clipboard, QStringLiteral("1.2600E_06"));
    QVERIFY(box->hasFocus());
    QCOMPARE(box->ShownText(), QStringLiteral("1.2600E_06"));
    QVERIFY(f.Platform.Messages.empty());
  }

  void NoFocusedRowDoesNothing_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("paste");
    QTest::newRow("Copy, Quit button focused") << "QuitButton"
                                               << "5.0E-01" << false;
    QTest::newRow("Copy, nothing focused") << ""
                                           << "5.0E-01" << false;
    QTest::newRow("Paste of a number, Quit button focused") << "QuitButton"
                                                            << "5.0E-01" << true;
    QTest::newRow("Paste of a number, nothing focused") << ""
                                                        << "5.0E-01" << true;
    QTest::newRow("Paste of no number, nothing focused") << ""
                                                         << "abc" << true;
  }
  void NoFocusedRowDoesNothing() {
    QFETCH(QString, focus);
    QFETCH(QString, clipboard);
    QFETCH(bool, paste);
    MainWindowFixture& f = ShownWindow();
    const RateConstants before = f.Window.Project().K;
    const QStringList boxes = BoxTexts(f);
    const QStringList deviations = f.DeviationTexts();
    f.Platform.Clipboard = clipboard;
    QVERIFY(FocusOn(f, focus));
    PressWhereFocused(f, paste ? (Qt::CTRL | Qt::Key_V) : (Qt::CTRL | Qt::Key_C));
    QCOMPARE(f.Platform.Clipboard, clipboard);
    QVERIFY(f.Window.Project().K == before);
    QCOMPARE(BoxTexts(f), boxes);
    QCOMPARE(f.DeviationTexts(), deviations);
    QVERIFY(!f.Window.Project().Modified);
    QVERIFY(f.Platform.Messages.empty());
    QVERIFY(f.Window.isVisible());
  }

  void PasteCommitsANumber_data() {
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("constant");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("into the box of row 1") << false << "MaskEdit1" << 1 << "3.5E-06" << 1 << 3.5e-6 << "3.5000E-06";
    QTest::newRow("white space around it") << false << "UpDown42" << 4 << " \t2.5e-5\r\n"
                                           << 4 << 2.5e-5 << "2.5000E-05";
    QTest::newRow("a copied box text into k8")
        << false << "UpDown81" << 8 << "1.2600E-06" << 8 << 1.26e-6 << "1.2600E-06";
    QTest::newRow("above 1 becomes 1") << false << "MaskEdit2" << 2 << "7" << 2 << 1.0 << "1.0000E+00";
    QTest::newRow("below 0 becomes 0") << false << "UpDown103" << 10 << "-1.5E-03" << 16 << 0.0 << "0.0000E+00";
    QTest::newRow("right: row 2 is k9") << true << "MaskEdit2" << 2 << "4.2E-05" << 9 << 4.2e-5 << "4.2000E-05";
  }
  void PasteCommitsANumber() {
    QFETCH(bool, right);
    QFETCH(QString, control);
    QFETCH(int, row);
    QFETCH(QString, clipboard);
    QFETCH(int, constant);
    QFETCH(double, stored);
    QFETCH(QString, shown);
    MainWindowFixture& f = ShownWindow();
    if (right) f.Press(Qt::CTRL | Qt::Key_R);
    RateConstants expected = f.Window.Project().K;
    expected[constant] = static_cast<Real>(stored);
    QStringList boxes = BoxTexts(f);
    boxes[row - 1] = shown;
    const QStringList deviations = f.DeviationTexts();

    f.Platform.Clipboard = clipboard;
    QVERIFY(FocusOn(f, control));
    PressWhereFocused(f, Qt::CTRL | Qt::Key_V);
    QVERIFY(f.Platform.Messages.empty());
    for (int i = 1; i <= kRateConstantCount; ++i) {
      QVERIFY2(CloseTo(f.Window.Project().K[i], expected[i]), qPrintable(QStringLiteral("k%1").arg(i)));
    }
    QCOMPARE(BoxTexts(f), boxes);
    QVERIFY(f.Window.Project().Modified);
    QVERIFY(f.DeviationTexts() != deviations);
    QCOMPARE(f.Platform.Clipboard, clipboard);
  }

  void PasteOfNoNumberChangesNothing_data() {
    QTest::addColumn<bool>("stepFirst");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty clipboard") << false << "MaskEdit1"
                                     << ""
                                     << "'' ist kein gültiger Gleitkommawert.";
    QTest::newRow("a word") << false << "UpDown42"
                            << "abc"
                            << "'abc' ist kein gültiger Gleitkommawert.";
    QTest::newRow("decimal comma") << false << "MaskEdit1"
                                   << "1,5E-06"
                                   << "'1,5E-06' ist kein gültiger Gleitkommawert.";
    QTest::newRow("a box with a blank place") << false << "MaskEdit1"
                                              << "1.2600E_06"
                                              << "'1.2600E_06' ist kein gültiger Gleitkommawert.";
    QTest::newRow("empty clipboard after a step") << true << "MaskEdit1"
                                                  << ""
                                                  << "'' ist kein gültiger Gleitkommawert.";
  }
  void PasteOfNoNumberChangesNothing() {
    QFETCH(bool, stepFirst);
    QFETCH(QString, control);
    QFETCH(QString, clipboard);
    QFETCH(QString, message);
    MainWindowFixture& f = ShownWindow();
    if (stepFirst) f.ClickArrow(f.Stepper(1, 1), true);
    const RateConstants before = f.Window.Project().K;
    const QStringList boxes = BoxTexts(f);
    const QStringList deviations = f.DeviationTexts();
    f.Platform.Clipboard = clipboard;
    QVERIFY(FocusOn(f, control));
    PressWhereFocused(f, Qt::CTRL | Qt::Key_V);
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, message);
    QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    QVERIFY(f.Window.Project().K == before);
    QCOMPARE(BoxTexts(f), boxes);
    QCOMPARE(f.DeviationTexts(), deviations);
    QCOMPARE(f.Window.Project().Modified, stepFirst);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ClipboardTest)
#include "ClipboardTest.moc"
