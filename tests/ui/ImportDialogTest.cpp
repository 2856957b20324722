// The import dialog "Import Zamo-Data-File" wired to its choosers, messages, the session's import
// and save, and Cancel. What the files hold, the checks and the import itself are the core's.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "document/TextFile.h"
#include "document/windows/NewFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

namespace {

const QString kRightFile = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-ipcp-210.dat");

// Ctrl+I in the main window, then the new dialog once it takes keys.
QPointer<TNewFileForm> OpenImportDialog(MainWindowFixture& f) {
  f.Press(Qt::CTRL | Qt::Key_I);
  auto* dialog = f.Window.findChild<TNewFileForm*>(QStringLiteral("NewFileForm"));
  if (dialog == nullptr || !QTest::qWaitForWindowActive(dialog)) return nullptr;
  return dialog;
}

template <class T = QLabel>
T* Control(const QWidget* dialog, const char* name) {
  return dialog->findChild<T*>(QString::fromLatin1(name));
}

void Click(const QWidget* dialog, const char* button) {
  QTest::mouseClick(Control<QPushButton>(dialog, button), Qt::LeftButton);
}

// A data file in the chooser of the left or the right reaction; without one, the chooser is
// cancelled.
void Load(MainWindowFixture& f, const QWidget* dialog, bool left, const QString& path = {}) {
  if (path.isEmpty()) {
    f.Platform.FileAnswers.emplace_back();
  } else {
    f.Platform.FileAnswers.emplace_back(path);
  }
  Click(dialog, left ? "BitBtn3" : "BitBtn4");
}

}  // namespace

class ImportDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The import replaces the project, shows the experiment imported and saves it under the name
  // the session gives; the analysis warning is shown and the import goes on.
  void ImportOfOneExperiment_data() {
    QTest::addColumn<bool>("left");
    QTest::addColumn<QString>("source");  // a data file, or what a spreadsheet copies
    QTest::newRow("right file") << false << kRightFile;
    QTest::newRow("right file as left: warned") << true << kRightFile;
    QTest::newRow("pasted left table") << true << "clipboard";
  }
  void ImportOfOneExperiment() {
    QFETCH(bool, left);
    QFETCH(QString, source);
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("imported.zam"));
    QFile table(QStringLiteral(ZAMO_TEST_DATA_DIR "/example-left-decimal-comma-semicolon.txt"));
    QVERIFY(table.open(QIODevice::ReadOnly));
    MainWindowFixture& f = ShownWindow();
    f.Platform.Clipboard = QString::fromUtf8(table.readAll());
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    QTest::keyClicks(Control<QLineEdit>(dialog, "Titel"), QStringLiteral(" 2"));
    source == QStringLiteral("clipboard") ? Click(dialog, "PasteLeftTable") : Load(f, dialog, left, source);
    f.Platform.FileAnswers = {saved};
    Click(dialog, "BitBtn1OK");
    const bool warned = left && source == kRightFile;
    QCOMPARE(f.Platform.OneMessage(), warned ? "Error by Analysing the File" : "<0 messages> ");
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Platform.FileDialogs.back().InitialName, QStringLiteral("TMCP-ICP Kinetic System 2 (210).zam"));
    QCOMPARE(f.Caption(),
             QStringLiteral("Zamo - %1 Reactions: TMCP-ICP Kinetic System 2 (T = 210.1)").arg(left ? "Left" : "Right"));
    QCOMPARE(left ? f.Window.Project().LeftDataFile : f.Window.Project().RightDataFile, source.toStdString());
    QCOMPARE(f.Window.ProjectText(), ReadTextFile(saved.toStdString()));
  }

  // The check's message, or a refused table's and then the check's, is shown, or Abbrechen is
  // the answer to the save question of Open about a modified project: the dialog stays open;
  // Abbrechen or the close box then leaves it. The project stays as it was, whatever the dialog
  // loaded (a project of the right experiment alone gains no left one).
  void RefusalsAndCancelKeepTheProject_data() {
    QTest::addColumn<QString>("input");  // what is loaded or pasted
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("closeBox");
    const QString noFile = QStringLiteral("You have to Load a Zamo-Data-File");
    QTest::newRow("nothing loaded") << "" << QStringList{noFile} << true;
    QTest::newRow("both files, no temperature") << "files" << QStringList{"Please enter the TEMPERATURE"} << false;
    QTest::newRow("pasted table") << "paste"
                                  << QStringList{"clipboard:3:13: the row ends before column 6 (E in %); a row holds "
                                                 "the time in minutes, then A to G in %",
                                                 noFile}
                                  << true;
    QTest::newRow("modified, save question cancelled") << "modified" << QStringList{} << true;
  }
  void RefusalsAndCancelKeepTheProject() {
    QFETCH(QString, input);
    QFETCH(QStringList, messages);
    QFETCH(bool, closeBox);
    MainWindowFixture f;
    f.Window.OpenAtStart(QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam"));
    QVERIFY(f.Show());
    const bool modified = input == QStringLiteral("modified");
    if (modified) f.ClickArrow(f.Stepper(1, 1), true);
    const TextLines before = f.Window.ProjectText();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    f.Platform.PromptAnswers = {PromptAnswer::Cancel};
    f.Platform.Clipboard = QStringLiteral("t\tA\tB\tC\tD\tE\tF\tG\n0\t0\t100\t0\t0\t0\t0\t0\n30\t1\t2,5\t3\t4\n");
    if (input == QStringLiteral("paste")) Click(dialog, "PasteRightTable");
    if (input.isEmpty()) Load(f, dialog, true);  // a cancelled chooser loads nothing
    if (input == QStringLiteral("files") || modified) {
      Load(f, dialog, true, QStringLiteral(ZAMO_TEST_DATA_DIR "/left-tmcp-210.dat"));
      Load(f, dialog, false, kRightFile);
    }
    if (!modified) Control<MaskEdit>(dialog, "TemperatureValue")->clear();
    Click(dialog, "BitBtn1OK");
    QStringList shown;
    for (const FakePlatform::Message& m : f.Platform.Messages) shown.append(m.Text);
    QCOMPARE(shown, messages);
    QCOMPARE(f.Platform.Prompts, modified ? 1 : 0);
    if (!modified) QCOMPARE(f.Platform.Messages.back().Caption, QStringLiteral("Try Again"));
    QVERIFY(dialog && dialog->isVisible());
    closeBox ? void(dialog->close()) : Click(dialog, "BitBtn2");
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(f.Window.ProjectText() == before && !f.Window.Project().Left.Present);
    QCOMPARE(f.Window.Project().Modified, modified);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ImportDialogTest)
#include "ImportDialogTest.moc"
