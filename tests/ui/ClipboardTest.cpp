// Copy and paste of one rate constant with the Edit menu's keys, pressed where the focus is: the
// focused row's box as shown, and a number committed to the focused row like a typed value.

#include <QApplication>
#include <QTest>

#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

// Focuses a control as a user does (a stepper's arrows would step; "" is none), presses a key.
static bool PressOn(MainWindowFixture& f, const QString& name, QKeyCombination key) {
  auto* control = name.isEmpty() ? nullptr : f.Window.findChild<QWidget*>(name);
  if (auto* box = qobject_cast<MaskEdit*>(control)) QTest::mouseClick(box, Qt::LeftButton);
  if (control != nullptr) control->setFocus(Qt::TabFocusReason);
  if (QWidget* focused = f.Window.focusWidget(); control == nullptr && focused != nullptr) focused->clearFocus();
  if (!QTest::qWaitFor([control] { return QApplication::focusWidget() == control; })) return false;
  QTest::keyClick(control != nullptr ? control : &f.Window, key.key(), key.keyboardModifiers());
  return true;
}
class ClipboardTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The Quit button is no row: the key does nothing. A blank place is copied as shown.
  void CopyTakesTheFocusedRowAsShown_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("copied");
    QTest::newRow("second stepper of row 4") << "UpDown42" << QStringLiteral("3.1000E-07");
    QTest::newRow("box of row 1, sign deleted") << "MaskEdit1" << QStringLiteral("1.2600E_06");
    QTest::newRow("Quit button") << "QuitButton" << QStringLiteral("copied elsewhere");
  }
  void CopyTakesTheFocusedRowAsShown() {
    QFETCH(QString, control);
    QFETCH(QString, copied);
    MainWindowFixture& f = ShownWindow();
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Delete}) {
      if (control == QStringLiteral("MaskEdit1")) QTest::keyClick(f.Box(1), key);
    }
    f.Platform.Clipboard = QStringLiteral("copied elsewhere");
    QVERIFY(PressOn(f, control, Qt::CTRL | Qt::Key_C));
    QCOMPARE(f.Platform.Clipboard, copied);
  }
  void PasteCommitsANumber_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("constant");  // on the right experiment; 0: none changes
    QTest::addColumn<QString>("message");
    QTest::newRow("stepper of row 4, white space around") << "UpDown42" << QStringLiteral(" \t2.5e-5\r\n") << 11 << "";
    QTest::newRow("box of row 2") << "MaskEdit2" << QStringLiteral("2.5E-05") << 9 << "";
    QTest::newRow("nothing focused") << "" << QStringLiteral("2.5E-05") << 0 << "";
    QTest::newRow("no number") << "UpDown42" << QStringLiteral("1,5E-06") << 0
                               << "'1,5E-06' ist kein gültiger Gleitkommawert.";
  }
  void PasteCommitsANumber() {
    QFETCH(QString, control);
    QFETCH(QString, clipboard);
    QFETCH(int, constant);
    QFETCH(QString, message);
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::CTRL | Qt::Key_R);
    RateConstants expected = f.Window.Project().K;
    if (constant > 0) expected[constant] = 2.5e-5L;
    f.Platform.Clipboard = clipboard;
    QVERIFY(PressOn(f, control, Qt::CTRL | Qt::Key_V));
    QCOMPARE(f.Platform.OneMessage(), message.isEmpty() ? QStringLiteral("<0 messages> ") : message);
    for (int i = 1; i <= kRateConstantCount; ++i) QVERIFY(CloseTo(f.Window.Project().K[i], expected[i]));
    QCOMPARE(f.Window.Project().Modified, constant > 0);
    if (constant > 0) QCOMPARE(f.Box(constant == 9 ? 2 : 4)->text(), QStringLiteral("2.5000E-05"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ClipboardTest)
#include "ClipboardTest.moc"
