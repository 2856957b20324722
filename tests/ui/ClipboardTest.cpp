// Copy and paste of one rate constant with the Edit menu's keys, pressed where the focus is:
// Copy puts the focused row's box, as shown, on the clipboard; Paste commits a number from
// the clipboard to the focused row like a typed value and refuses a text that is none.

#include <QApplication>
#include <QPushButton>
#include <QTest>

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
  // A stepper's or a box's row; the Quit button or no control is no row, and the key does
  // nothing.
  void CopyTakesTheFocusedRowAsShown_data() {
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("copied");
    QTest::newRow("second stepper of row 4") << false << "UpDown42" << QStringLiteral("3.1000E-07");
    QTest::newRow("box of row 1") << false << "MaskEdit1" << QStringLiteral("1.2600E-06");
    QTest::newRow("right: first stepper of row 2 is k9") << true << "UpDown21" << QStringLiteral("1.7400E-05");
    QTest::newRow("Quit button") << false << "QuitButton" << kSomeText;
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
    PressWhereFocused(f, Qt::CTRL | Qt::Key_C);
    QCOMPARE(f.Platform.Clipboard, QStringLiteral("1.2600E_06"));
    QVERIFY(box->hasFocus());
    QCOMPARE(box->ShownText(), QStringLiteral("1.2600E_06"));
  }

  // Committed like a typed value, limited to 0..1, and shown; with no row focused nothing.
  void PasteCommitsANumber_data() {
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("constant");  // 0: none changes
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("into the box of row 1") << false << "MaskEdit1"
                                           << "3.5E-06" << 1 << 3.5e-6 << "3.5000E-06";
    QTest::newRow("white space around it") << false << "UpDown42"
                                           << " \t2.5e-5\r\n"
                                           << 4 << 2.5e-5 << "2.5000E-05";
    QTest::newRow("above 1 becomes 1") << false << "MaskEdit2"
                                       << "7" << 2 << 1.0 << "1.0000E+00";
    QTest::newRow("right: row 2 is k9") << true << "MaskEdit2"
                                        << "4.2E-05" << 9 << 4.2e-5 << "4.2000E-05";
    QTest::newRow("nothing focused") << false << ""
                                     << "5.0E-01" << 0 << 0.0 << "";
  }
  void PasteCommitsANumber() {
    QFETCH(bool, right);
    QFETCH(QString, control);
    QFETCH(QString, clipboard);
    QFETCH(int, constant);
    QFETCH(double, stored);
    QFETCH(QString, shown);
    MainWindowFixture& f = ShownWindow();
    if (right) f.Press(Qt::CTRL | Qt::Key_R);
    RateConstants expected = f.Window.Project().K;
    if (constant > 0) expected[constant] = static_cast<Real>(stored);
    const QStringList deviations = f.DeviationTexts();
    f.Platform.Clipboard = clipboard;
    QVERIFY(FocusOn(f, control));
    PressWhereFocused(f, Qt::CTRL | Qt::Key_V);
    QVERIFY(f.Platform.Messages.empty());
    for (int i = 1; i <= kRateConstantCount; ++i) {
      QVERIFY2(CloseTo(f.Window.Project().K[i], expected[i]), qPrintable(QStringLiteral("k%1").arg(i)));
    }
    QCOMPARE(f.Window.Project().Modified, constant > 0);
    QCOMPARE(f.DeviationTexts() != deviations, constant > 0);
    if (constant > 0) QVERIFY(BoxTexts(f).contains(shown));
  }

  // The conversion's message in the error box; its refusals are the conversion's to test.
  void PasteOfNoNumberChangesNothing() {
    MainWindowFixture& f = ShownWindow();
    const QStringList boxes = BoxTexts(f);
    f.Platform.Clipboard = QStringLiteral("1,5E-06");
    QVERIFY(FocusOn(f, QStringLiteral("UpDown42")));
    PressWhereFocused(f, Qt::CTRL | Qt::Key_V);
    QCOMPARE(f.Platform.OneMessage(), QStringLiteral("'1,5E-06' ist kein gültiger Gleitkommawert."));
    QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    QCOMPARE(BoxTexts(f), boxes);
    QVERIFY(!f.Window.Project().Modified);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ClipboardTest)
#include "ClipboardTest.moc"
