// The edit dialog "Edit Zamo-Data": the project as it is, as text, read again on OK only when
// it was edited, left alone on Cancel, and kept open with its text when the reader refuses it.

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include "document/windows/Edit.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {
// Ctrl+K in the main window; the dialog once it takes keys; its text box; a line of it typed over.
static QPointer<TEditForm> OpenEditDialog(MainWindowFixture& f) {
  f.Press(Qt::CTRL | Qt::Key_K);
  auto* dialog = f.Window.findChild<TEditForm*>(QStringLiteral("EditForm"));
  return dialog != nullptr && QTest::qWaitForWindowActive(dialog) ? dialog : nullptr;
}
static QPlainTextEdit* Memo(const TEditForm* dialog) { return dialog->findChild<QPlainTextEdit*>("EMemo"); }
static void RetypeLine(const TEditForm* dialog, int index, const QString& text) {
  QTextCursor line(Memo(dialog)->document()->findBlockByNumber(index));
  line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  Memo(dialog)->setTextCursor(line);
  QTest::keyClicks(Memo(dialog), text);
}
class EditDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The text includes a step of k1 in the panel; only OK after an edit reads it.
  void OkReadsAnEditedTextOnly_data() {
    QTest::addColumn<QString>("edit");  // the new first rate line; "" moves about only
    QTest::addColumn<QString>("button");
    const QString edit = QStringLiteral("3.000E-06  3.623E-05");
    QTest::newRow("OK after an edit") << edit << "BitBtn1OK";
    QTest::newRow("OK, moved about only") << QString() << "BitBtn1OK";
    QTest::newRow("Abbrechen after an edit") << edit << "BitBtnCancel2";
    QTest::newRow("close box after an edit") << edit << "";
  }
  void OkReadsAnEditedTextOnly() {
    QFETCH(QString, edit);
    QFETCH(QString, button);
    MainWindowFixture& f = ShownWindow();
    f.ClickArrow(f.Stepper(1, 1), true);
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    QVERIFY(Memo(dialog)->toPlainText().contains("\n1.27000E-06  3.62300E-05\n"));
    RetypeLine(dialog, 22, edit);
    auto* pressed = dialog->findChild<QPushButton*>(button);
    pressed != nullptr ? QTest::mouseClick(pressed, Qt::LeftButton) : void(dialog->close());
    QTRY_VERIFY(dialog.isNull());
    const bool read = !edit.isEmpty() && button == QStringLiteral("BitBtn1OK");
    QCOMPARE(f.Box(1)->text() + f.Item("Undo1")->text(), read ? "3.0000E-06&Undo Zamo-Data" : "1.2700E-06&Undo k1");
  }
  // The reader's message is shown and the dialog stays with its text; mended, it is read.
  void RefusedEditKeepsTheDialogOpen() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    RetypeLine(dialog, 1, QStringLiteral("Broken System"));
    RetypeLine(dialog, 11, QStringLiteral("eight"));  // the number of reactants
    QTest::mouseClick(dialog->findChild<QPushButton*>("BitBtn1OK"), Qt::LeftButton);
    QCOMPARE(f.Platform.OneMessage(), QStringLiteral("line 12: 'eight' ist kein gültiger Integerwert."));
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(Memo(dialog)->toPlainText().contains("\neight\n"));
    RetypeLine(dialog, 11, QStringLiteral("8"));
    QTest::mouseClick(dialog->findChild<QPushButton*>("BitBtn1OK"), Qt::LeftButton);
    QCOMPARE(f.Caption(), QStringLiteral("Mavrin - Left Reactions: Broken System (T = 210.1)"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::EditDialogTest)
#include "EditDialogTest.moc"
