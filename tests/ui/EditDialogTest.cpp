// The edit dialog "Edit Zamo-Data": the project as it is, as text, read again on OK only when
// it was edited, left alone on Cancel, and kept open with its text when the reader refuses it.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <optional>

#include "document/ExampleProject.h"
#include "document/windows/Edit.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"
#include "ui/TextBytes.h"

namespace zamo::testing {

namespace {

const QString kApplicationCaption = QStringLiteral("Kinetic Calculation of Unimolecular Reactions");
const QString kExampleCaption = QStringLiteral("Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");

// Indexes (from 0) of lines of the example's text.
constexpr int kTitleLine = 1;
constexpr int kTemperatureLine = 9;
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

// Types over one line of the text box as a user does: to the top, down to the line, select it.
void RetypeLine(const TEditForm* dialog, int index, const QString& text) {
  QPlainTextEdit* memo = Memo(dialog);
  QTest::mouseClick(memo->viewport(), Qt::LeftButton);
  QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
  for (int i = 0; i < index; ++i) QTest::keyClick(memo, Qt::Key_Down);
  QTest::keyClick(memo, Qt::Key_Home);
  QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
  QTest::keyClicks(memo, text);
}

// One step up of k1 in the panel, an unsaved change (1.2600E-06 becomes 1.2700E-06).
void StepK1(MainWindowFixture& f) { f.ClickArrow(f.Stepper(1, 1), true); }

}  // namespace

class EditDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The text is the project as it is, a change made in the panel included.
  void ShowsTheProjectAsItIs() {
    MainWindowFixture& f = ShownWindow();
    StepK1(f);
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Zamo-Data"));
    QCOMPARE(dialog->size(), QSize(546, 548));
    QVERIFY(!dialog->isModal());
    QVERIFY(Memo(dialog)->toPlainText().contains(QStringLiteral("\n1.27000E-06  3.62300E-05\n")));
    // A second command opens a second dialog.
    QVERIFY(BackToMainWindow(f));
    const QPointer<TEditForm> second = OpenEditDialog(f);
    QVERIFY(second);
    QVERIFY(second != dialog);
  }

  void OkAfterAnEditReadsTheText_data() {
    QTest::addColumn<bool>("stepFirst");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("k1");
    QTest::addColumn<QString>("box1");
    QTest::newRow("temperature, after a step in the panel")
        << true << kTemperatureLine << "200.5"
        << "Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 200.5)" << 1.27e-6 << "1.2700E-06";
    QTest::newRow("k1 and k8") << false << kFirstRateLine << "3.000E-06  3.623E-05" << kExampleCaption << 3e-6
                               << "3.0000E-06";
  }
  void OkAfterAnEditReadsTheText() {
    QFETCH(bool, stepFirst);
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(double, k1);
    QFETCH(QString, box1);
    MainWindowFixture& f = ShownWindow();
    if (stepFirst) StepK1(f);
    const QStringList deviations = f.DeviationTexts();
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    RetypeLine(dialog, line, text);
    const TextLines edited = MemoLines(dialog);
    Click(dialog, QStringLiteral("BitBtn1OK"));
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(f.Platform.Messages.empty());
    QCOMPARE(f.Window.ProjectText(), edited);
    QCOMPARE(f.Caption(), caption);
    QVERIFY(std::fabs(f.Window.Project().K[1] - static_cast<Real>(k1)) <= 1e-12L * static_cast<Real>(k1));
    QCOMPARE(f.Box(1)->text(), box1);
    QVERIFY(f.Window.Project().Modified);
    // The curves follow the text read: a new k1 moves the deviations, the step kept does not.
    QCOMPARE(f.DeviationTexts() != deviations, line == kFirstRateLine);
  }

  void OkWithoutAnEditKeepsThePanel_data() {
    QTest::addColumn<bool>("stepFirst");
    QTest::newRow("after a step in the panel") << true;
    QTest::newRow("unchanged project") << false;
  }
  void OkWithoutAnEditKeepsThePanel() {
    QFETCH(bool, stepFirst);
    MainWindowFixture& f = ShownWindow();
    if (stepFirst) StepK1(f);
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    // Moving about in the text is no edit.
    QTest::mouseClick(Memo(dialog)->viewport(), Qt::LeftButton);
    QTest::keyClick(Memo(dialog), Qt::Key_PageDown);
    Click(dialog, QStringLiteral("BitBtn1OK"));
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Window.Project().K[1], stepFirst ? 1.27e-6L : 1.26e-6L);
    QCOMPARE(f.Box(1)->text(), stepFirst ? QStringLiteral("1.2700E-06") : QStringLiteral("1.2600E-06"));
    QCOMPARE(f.Window.Project().Modified, stepFirst);
    QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
    QCOMPARE(f.Caption(), kExampleCaption);
  }

  void CancelAfterAnEditChangesNothing_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Abbrechen") << false;
    QTest::newRow("close box") << true;
  }
  void CancelAfterAnEditChangesNothing() {
    QFETCH(bool, closeBox);
    MainWindowFixture& f = ShownWindow();
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    RetypeLine(dialog, kTemperatureLine, QStringLiteral("200.5"));
    RetypeLine(dialog, kFirstRateLine, QStringLiteral("3.000E-06  3.623E-05"));
    if (closeBox) {
      dialog->close();
    } else {
      Click(dialog, QStringLiteral("BitBtnCancel2"));
    }
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Caption(), kExampleCaption);
    QCOMPARE(f.Window.Project().Temperature, 210.1L);
    QCOMPARE(f.Window.Project().K[1], 1.26e-6L);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2600E-06"));
    QVERIFY(!f.Window.Project().Modified);
    QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
    // The edit is gone with the dialog.
    QVERIFY(BackToMainWindow(f));
    const QPointer<TEditForm> again = OpenEditDialog(f);
    QVERIFY(again);
    QVERIFY(!Memo(again)->toPlainText().contains(QStringLiteral("200.5")));
  }

  // The title is read before the broken line; it must not reach the open project either.
  void RefusedEditKeepsTheDialogOpen_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("reactant count as a word") << kReactantCountLine << "eight"
                                              << "line 12: 'eight' ist kein gültiger Integerwert.";
  }
  void RefusedEditKeepsTheDialogOpen() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(QString, message);
    MainWindowFixture& f = ShownWindow();
    StepK1(f);
    const QPointer<TEditForm> dialog = OpenEditDialog(f);
    QVERIFY(dialog);
    RetypeLine(dialog, kTitleLine, QStringLiteral("Broken System"));
    RetypeLine(dialog, line, text);
    const QString edited = Memo(dialog)->toPlainText();
    Click(dialog, QStringLiteral("BitBtn1OK"));

    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, message);
    QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    QTest::qWait(10);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(Memo(dialog)->toPlainText(), edited);
    QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
    QCOMPARE(f.Window.Project().Title, std::string("TMCP-ICP Kinetic System"));
    QCOMPARE(f.Window.Project().Temperature, 210.1L);
    QCOMPARE(f.Window.Project().ReactantCount, 8);
    QCOMPARE(f.Window.Project().K[1], 1.27e-6L);
    QCOMPARE(f.Caption(), kExampleCaption);
    QVERIFY(f.Window.Project().Modified);

    // Mended, the same text is read.
    RetypeLine(dialog, kTemperatureLine, QStringLiteral("205.5"));
    RetypeLine(dialog, kReactantCountLine, QStringLiteral("8"));
    const TextLines mended = MemoLines(dialog);
    Click(dialog, QStringLiteral("BitBtn1OK"));
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Caption(), QStringLiteral("Mavrin - Left Reactions: Broken System (T = 205.5)"));
    QCOMPARE(f.Window.Project().K[1], 1.27e-6L);
    QCOMPARE(f.Window.ProjectText(), mended);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::EditDialogTest)
#include "EditDialogTest.moc"
