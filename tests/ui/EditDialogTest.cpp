// The edit dialog "Edit Zamo-Data": the project as it is, as text, read again
// on OK only when it was edited, left alone on Cancel, and kept open with its
// text when the reader refuses it.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "document/ExampleProject.h"
#include "document/windows/Edit.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

namespace {

const QString kApplicationCaption = QStringLiteral("Kinetic Calculation of Unimolecular Reactions");
const QString kExampleCaption = QStringLiteral("Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");

// Indexes (from 0) of lines of the example's text.
constexpr int kTitleLine = 1;
constexpr int kReactantCountLine = 11;
constexpr int kFirstRateLine = 22;

// Ctrl+K in the main window, then the new dialog once it takes keys.
QPointer<TEditForm> OpenEditDialog(MainWindowFixture& f) {
  f.Press(Qt::CTRL | Qt::Key_K);
  const QList<TEditForm*> open = f.Window.findChildren<TEditForm*>(QStringLiteral("EditForm"));
  if (open.isEmpty() || !QTest::qWaitForWindowActive(open.back())) return nullptr;
  return open.back();
}

QPlainTextEdit* Memo(const TEditForm* dialog) { return dialog->findChild<QPlainTextEdit*>(QStringLiteral("EMemo")); }

// The text box's lines, as the project text OK reads.
TextLines MemoLines(const TEditForm* dialog) {
  TextLines lines;
  for (const QString& line : Memo(dialog)->toPlainText().split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
  return lines;
}

void Click(const TEditForm* dialog, const QString& button) {
  QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
}

// Types over one line of the text box as a user does: to the top, down to the
// line, select it.
void RetypeLine(const TEditForm* dialog, int index, const QString& text) {
  QPlainTextEdit* memo = Memo(dialog);
  QTest::mouseClick(memo->viewport(), Qt::LeftButton);
  QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
  for (int i = 0; i < index; ++i) QTest::keyClick(memo, Qt::Key_Down);
  QTest::keyClick(memo, Qt::Key_Home);
  QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
  QTest::keyClicks(memo, text);
}

// One step up of k1 in the panel, an unsaved change (1.2600E-06
// becomes 1.2700E-06).
void StepK1(MainWindowFixture& f) { f.ClickArrow(f.Stepper(1, 1), true); }

}  // namespace

class EditDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The text is the project as it is, a change made in the panel included;
  // every command opens a dialog of its own.
  void ShowsTheProjectAsItIs() {
    MainWindowFixture& f = ShownWindow();
    StepK1(f);
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Zamo-Data"));
    QVERIFY(!dialog->isModal());
    QVERIFY(Memo(dialog)->toPlainText().contains(QStringLiteral("\n1.27000E-06  3.62300E-05\n")));
    QVERIFY(BackToMainWindow(f));
    const QPointer<TEditForm> second = OpenEditDialog(f);
    QVERIFY(second && second != dialog);
  }

  // OK hands an edited text to the session and shows the project read; without
  // an edit (moving about is none), and after Abbrechen or the close box, the
  // project is left alone.
  void OkReadsAnEditedTextOnly_data() {
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("button");  // "" for the close box
    QTest::newRow("OK after an edit") << true << "BitBtn1OK";
    QTest::newRow("OK, moved about only") << false << "BitBtn1OK";
    QTest::newRow("Abbrechen after an edit") << true << "BitBtnCancel2";
    QTest::newRow("close box after an edit") << true << "";
  }
  void OkReadsAnEditedTextOnly() {
    QFETCH(bool, edit);
    QFETCH(QString, button);
    MainWindowFixture& f = ShownWindow();
    StepK1(f);
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    if (edit) {
      RetypeLine(dialog, kFirstRateLine, QStringLiteral("3.000E-06  3.623E-05"));
    } else {
      QTest::mouseClick(Memo(dialog)->viewport(), Qt::LeftButton);
      QTest::keyClick(Memo(dialog), Qt::Key_PageDown);
    }
    const TextLines shown = MemoLines(dialog);
    if (button.isEmpty()) {
      dialog->close();
    } else {
      Click(dialog, button);
    }
    QTRY_VERIFY(dialog.isNull());
    const bool read = edit && button == QStringLiteral("BitBtn1OK");
    QVERIFY(f.Platform.Messages.empty());
    QCOMPARE(f.Box(1)->text(), read ? QStringLiteral("3.0000E-06") : QStringLiteral("1.2700E-06"));
    QCOMPARE(f.Window.ProjectText() == shown, read);
    QCOMPARE(f.Item(QStringLiteral("Undo1"))->text(),
             read ? QStringLiteral("&Undo Zamo-Data") : QStringLiteral("&Undo k1"));
  }

  // The reader's message is shown and the dialog stays with its text; mended,
  // it is read.
  void RefusedEditKeepsTheDialogOpen() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    RetypeLine(dialog, kTitleLine, QStringLiteral("Broken System"));
    RetypeLine(dialog, kReactantCountLine, QStringLiteral("eight"));
    const QString edited = Memo(dialog)->toPlainText();
    Click(dialog, QStringLiteral("BitBtn1OK"));
    QCOMPARE(f.Platform.OneMessage(), QStringLiteral("line 12: 'eight' ist kein gültiger Integerwert."));
    QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(Memo(dialog)->toPlainText(), edited);
    QCOMPARE(f.Caption(), kExampleCaption);
    QVERIFY(!f.Window.Project().Modified);

    RetypeLine(dialog, kReactantCountLine, QStringLiteral("8"));
    Click(dialog, QStringLiteral("BitBtn1OK"));
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Caption(), QStringLiteral("Mavrin - Left Reactions: Broken System (T = 210.1)"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::EditDialogTest)
#include "EditDialogTest.moc"
