// The import dialog "Import Zamo-Data-File": its fields and choosers, the checks and the
// warning it shows, the import handed to the session and saved under a new name, and Cancel
// leaving the open project as it was. What the files hold is the core's to read.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "document/TextFile.h"
#include "document/windows/NewFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

namespace {

const QString kLeftFile = QStringLiteral(ZAMO_TEST_DATA_DIR "/left-tmcp-210.dat");
const QString kRightFile = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-ipcp-210.dat");
const QString kNoFile = QStringLiteral("You have to Load a Zamo-Data-File");

// Ctrl+I in the main window, then the new dialog once it takes keys.
QPointer<TNewFileForm> OpenImportDialog(MainWindowFixture& f) {
  f.Press(Qt::CTRL | Qt::Key_I);
  auto* dialog = f.Window.findChild<TNewFileForm*>(QStringLiteral("NewFileForm"));
  if (dialog == nullptr || !QTest::qWaitForWindowActive(dialog)) return nullptr;
  return dialog;
}

template <class T = QLineEdit>
T* Control(const QWidget* dialog, const char* name) {
  return dialog->findChild<T*>(QString::fromLatin1(name));
}

void Click(const QWidget* dialog, const char* button) {
  QTest::mouseClick(Control<QPushButton>(dialog, button), Qt::LeftButton);
}

// A data file chosen in the chooser of the left or the right reaction.
void Load(MainWindowFixture& f, const QWidget* dialog, bool left, const QString& path) {
  f.Platform.FileAnswers.push_back(path);
  Click(dialog, left ? "BitBtn3" : "BitBtn4");
}

// Selects all of a field and types over it; an empty text clears it.
void Retype(QLineEdit* field, const QString& text) {
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClick(field, Qt::Key_Home);
  QTest::keyClick(field, Qt::Key_End, Qt::ShiftModifier);
  text.isEmpty() ? QTest::keyClick(field, Qt::Key_Delete) : QTest::keyClicks(field, text);
}

// What an import must not touch before it succeeds.
struct Snapshot {
  explicit Snapshot(MainWindowFixture& f)
      : K(f.Window.Project().K),
        Text(f.Window.ProjectText()),
        Caption(f.Caption()),
        Modified(f.Window.Project().Modified),
        Left(f.Window.Project().Left.Present) {}
  void Verify(MainWindowFixture& f) const {
    QVERIFY(f.Window.Project().K == K);
    QCOMPARE(f.Window.ProjectText(), Text);
    QCOMPARE(f.Caption(), Caption);
    QCOMPARE(f.Window.Project().Modified, Modified);
    QCOMPARE(f.Window.Project().Left.Present, Left);
  }
  RateConstants K;
  TextLines Text;
  QString Caption;
  bool Modified;
  bool Left;
};

}  // namespace

class ImportDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The fields start from the open project; cancelled choosers load nothing.
  void OpensWithTheProjectsNames() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Import Zamo-Data-File"));
    QCOMPARE(Control(dialog, "Titel")->text(), QStringLiteral("TMCP-ICP Kinetic System"));
    QCOMPARE(Control(dialog, "Author")->text(), QStringLiteral("A. Sample, B. Example, C. Demo"));
    QCOMPARE(Control(dialog, "LeftName")->text(), QStringLiteral("1,3,3-Trimethylcyclopropene"));
    QCOMPARE(Control(dialog, "RightName")->text(), QStringLiteral("1-Isopropylcyclopropene"));
    QCOMPARE(Control<MaskEdit>(dialog, "NumOfKValue")->text(), QStringLiteral("16"));
    QVERIFY(!Control<MaskEdit>(dialog, "NumOfKValue")->isEnabled());

    f.Platform.FileAnswers = {std::nullopt, std::nullopt};
    Click(dialog, "BitBtn3");
    Click(dialog, "BitBtn4");
    QCOMPARE(f.Platform.FileDialogs.size(), 2u);
    QCOMPARE(f.Platform.FileDialogs[0].Title, QStringLiteral("Load the first Zamo-Data-File for the Left Reactions"));
    QCOMPARE(f.Platform.FileDialogs[1].Title, QStringLiteral("Load the second Zamo-Data-File for the Right Reactions"));
    QCOMPARE(f.Platform.FileDialogs[0].DefaultSuffix, QStringLiteral("dat"));
    QCOMPARE(Control<QLabel>(dialog, "LeftFileName")->text(), QStringLiteral("*.dat"));
    QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), QStringLiteral("*.dat"));
  }

  // The import replaces the project, shows the experiment imported and asks for its name.
  void ImportOfTheRightFileOnly() {
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("imported.zam"));
    MainWindowFixture& f = ShownWindow();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Retype(Control(dialog, "Titel"), QStringLiteral("Imported System"));
    Load(f, dialog, false, kRightFile);
    QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), kRightFile);
    QCOMPARE(Control<MaskEdit>(dialog, "TemperatureValue")->text(), QStringLiteral("210.1"));
    QVERIFY(f.Window.Project().Left.Present);  // loaded, not yet imported

    f.Platform.FileAnswers = {saved};
    Click(dialog, "BitBtn1OK");
    QVERIFY(f.Platform.Messages.empty());
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Platform.FileDialogs.at(1).Title, QStringLiteral("Save Zamo-File As"));
    QCOMPARE(f.Platform.FileDialogs.at(1).InitialName, QStringLiteral("Imported System (210).zam"));
    QCOMPARE(f.Caption(), QStringLiteral("Zamo - Right Reactions: Imported System (T = 210.1)"));
    QVERIFY(!f.Window.Project().Left.Present);
    QCOMPARE(f.Label(2)->text(), QStringLiteral("k9   ="));
    QCOMPARE(f.ZoomBar()->value(), 315);
    QVERIFY(f.Item(QStringLiteral("LeftReactions1"))->isEnabled());
    QVERIFY(!f.Item(QStringLiteral("RightReactions1"))->isEnabled());
    QVERIFY(!f.Window.Project().Modified);
    QCOMPARE(f.Window.ProjectText(), ReadTextFile(saved.toStdString()));
  }

  // A modified project is replaced only after the save question of Open; the import is one
  // step of the history.
  void ImportAsksAboutAModifiedProjectAndCanBeUndone_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("Abbrechen: the dialog stays") << true;
    QTest::newRow("Nein: imported") << false;
  }
  void ImportAsksAboutAModifiedProjectAndCanBeUndone() {
    QFETCH(bool, cancel);
    MainWindowFixture& f = ShownWindow();
    f.ClickArrow(f.Stepper(1, 1), true);
    const Snapshot before(f);
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Load(f, dialog, false, kRightFile);
    f.Platform.PromptAnswers = {cancel ? PromptAnswer::Cancel : PromptAnswer::No};
    f.Platform.FileAnswers.push_back(std::nullopt);  // the imported project left unsaved
    Click(dialog, "BitBtn1OK");
    QCOMPARE(f.Platform.Prompts, 1);
    if (cancel) {
      QVERIFY(dialog && dialog->isVisible());
      before.Verify(f);
      return;
    }
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(!f.Window.Project().Left.Present);
    QCOMPARE(f.Item(QStringLiteral("Undo1"))->text(), QStringLiteral("&Undo Import"));
    QVERIFY(BackToMainWindow(f));
    f.Press(Qt::CTRL | Qt::Key_Z);
    before.Verify(f);
  }

  // The analysis warning is shown and the import goes on.
  void AnalysisWarningLetsTheImportGoOn() {
    QTemporaryDir folder;
    MainWindowFixture& f = ShownWindow();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Load(f, dialog, true, kRightFile);  // the right reaction's file as the left one
    f.Platform.FileAnswers = {folder.filePath(QStringLiteral("warned.zam"))};
    Click(dialog, "BitBtn1OK");
    QCOMPARE(f.Platform.OneMessage(), QStringLiteral("Error by Analysing the File"));
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Error"));
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(f.Caption().startsWith(QStringLiteral("Zamo - Left Reactions: ")));
    QVERIFY(!f.Window.Project().Right.Present);
  }

  // The check's message (their order is the check's), the reader's or a refused table's is
  // shown; the dialog stays open and the project as it was.
  void RefusalsKeepTheDialogAndTheProject_data() {
    QTest::addColumn<QString>("input");  // a data file for the right reaction, "paste" or "no temperature"
    QTest::addColumn<QStringList>("messages");
    const QString broken = QStringLiteral(ZAMO_TEST_DATA_DIR "/temperature-with-comma.dat");
    QTest::newRow("nothing loaded") << "" << QStringList{kNoFile};
    QTest::newRow("no temperature") << "no temperature" << QStringList{"Please enter the TEMPERATURE"};
    QTest::newRow("data file") << broken
                               << QStringList{broken + QStringLiteral(":1: '210,1' ist kein gültiger Gleitkommawert.")};
    QTest::newRow("pasted table") << "paste"
                                  << QStringList{
                                         "clipboard:3:13: the row ends before column 6 (E in %); a row holds "
                                         "the time in minutes, then A to G in %",
                                         kNoFile};
  }
  void RefusalsKeepTheDialogAndTheProject() {
    QFETCH(QString, input);
    QFETCH(QStringList, messages);
    MainWindowFixture& f = ShownWindow();
    const Snapshot before(f);
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    if (input == QStringLiteral("paste")) {
      f.Platform.Clipboard = QStringLiteral("t\tA\tB\tC\tD\tE\tF\tG\n0\t0\t100\t0\t0\t0\t0\t0\n30\t1\t2,5\t3\t4\n");
      Click(dialog, "PasteRightTable");
      QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), QStringLiteral("*.dat"));
    } else if (input == QStringLiteral("no temperature")) {
      Load(f, dialog, false, kRightFile);
      Retype(Control<MaskEdit>(dialog, "TemperatureValue"), QString());
    } else if (!input.isEmpty()) {
      Load(f, dialog, false, input);
    }
    Click(dialog, "BitBtn1OK");
    QStringList shown;
    for (const FakePlatform::Message& m : f.Platform.Messages) shown.append(m.Text);
    QCOMPARE(shown, messages);
    if (input == QStringLiteral("no temperature"))
      QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Try Again"));
    QVERIFY(dialog && dialog->isVisible());
    before.Verify(f);
  }

  // What a spreadsheet copies, for one reaction; a table file for the other.
  void PastedTableAndTableFileImport() {
    QTemporaryDir folder;
    const QString rightTable = QStringLiteral(ZAMO_TEST_DATA_DIR "/example-right-decimal-comma.tsv");
    QFile left(QStringLiteral(ZAMO_TEST_DATA_DIR "/example-left-decimal-comma-semicolon.txt"));
    QVERIFY(left.open(QIODevice::ReadOnly));
    MainWindowFixture& f = ShownWindow();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    f.Platform.Clipboard = QString::fromUtf8(left.readAll());
    Click(dialog, "PasteLeftTable");
    QCOMPARE(Control<QLabel>(dialog, "LeftFileName")->text(), QStringLiteral("clipboard"));
    Load(f, dialog, false, rightTable);
    QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), rightTable);
    f.Platform.FileAnswers.push_back(folder.filePath(QStringLiteral("pasted.zam")));
    Click(dialog, "BitBtn1OK");
    QVERIFY(f.Platform.Messages.empty());
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Window.Project().LeftDataFile, std::string("clipboard"));
    QCOMPARE(f.Window.Project().RightDataFile, rightTable.toStdString());
  }

  // The dialog keeps its loaded files to itself while it is open and after it is left.
  void CancelAfterALoadLeavesTheProject_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("example, close box") << "" << true;
    QTest::newRow("right experiment only, Abbrechen") << QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam") << false;
  }
  void CancelAfterALoadLeavesTheProject() {
    QFETCH(QString, start);
    QFETCH(bool, closeBox);
    MainWindowFixture f;
    if (!start.isEmpty()) f.Window.OpenAtStart(start);
    QVERIFY(f.Show());
    const Snapshot before(f);
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Load(f, dialog, true, kLeftFile);
    Load(f, dialog, false, kRightFile);
    before.Verify(f);
    if (closeBox) {
      dialog->close();
    } else {
      Click(dialog, "BitBtn2");
    }
    QTRY_VERIFY(dialog.isNull());
    before.Verify(f);
    QVERIFY(f.Platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ImportDialogTest)
#include "ImportDialogTest.moc"
