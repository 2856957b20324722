// The import dialog "Import Zamo-Data-File": loading one or two data files through its
// choosers, the checks before an import, the analysis warning, the imported project shown
// and saved under a new name, and Cancel leaving the open project as it was.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <optional>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "document/windows/NewFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

namespace {

const QString kLeftFile = QStringLiteral(ZAMO_TEST_DATA_DIR "/left-tmcp-210.dat");
const QString kRightFile = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-ipcp-210.dat");
const QString kExampleCaption = QStringLiteral("Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");

// The reaction times of both data files, in seconds: minutes times 60.
constexpr std::array<std::int32_t, kRowCount> kRightTimes = {0, 1200, 2400, 3600, 5400, 9000, 18000};
constexpr std::array<std::int32_t, kRowCount> kLeftTimes = {0, 1800, 3600, 7200, 10800, 19800, 36000};

// Ctrl+I in the main window, then the new dialog once it takes keys.
QPointer<TNewFileForm> OpenImportDialog(MainWindowFixture& f) {
  f.Press(Qt::CTRL | Qt::Key_I);
  auto* dialog = f.Window.findChild<TNewFileForm*>(QStringLiteral("NewFileForm"));
  if (dialog == nullptr || !QTest::qWaitForWindowActive(dialog)) return nullptr;
  return dialog;
}

template <class T>
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
  if (text.isEmpty()) {
    QTest::keyClick(field, Qt::Key_Delete);
  } else {
    QTest::keyClicks(field, text);
  }
}

// A copy of a data file with another temperature on its first line.
QString WithTemperature(const QTemporaryDir& folder, const QString& source, const QString& temperature) {
  const TextLines read = ReadTextFile(source.toStdString());
  TextLines lines = {temperature.toStdString()};
  lines.Append({read.begin() + 1, read.end()});
  const QString path = folder.filePath(temperature + QStringLiteral("-") + source.section(QLatin1Char('/'), -1));
  WriteTextFileAtomically(path.toStdString(), lines);
  return path;
}

ProjectData ReadBack(const QString& path) { return ReadProjectFile(path.toStdString()).Data; }

// What an import must not touch before it succeeds.
struct Snapshot {
  explicit Snapshot(MainWindowFixture& f)
      : Project(f.Window.Project()), Text(f.Window.ProjectText()), Caption(f.Caption()) {}
  void Verify(MainWindowFixture& f) const {
    const KineticProject& now = f.Window.Project();
    QVERIFY(now.Left == Project.Left);
    QVERIFY(now.Right == Project.Right);
    QVERIFY(now.K == Project.K);
    QCOMPARE(now.Title, Project.Title);
    QCOMPARE(now.Temperature, Project.Temperature);
    QCOMPARE(now.FileName, Project.FileName);
    QCOMPARE(now.ShowLeft, Project.ShowLeft);
    QCOMPARE(now.Modified, Project.Modified);
    QCOMPARE(f.Window.ProjectText(), Text);
    QCOMPARE(f.Caption(), Caption);
  }
  KineticProject Project;
  TextLines Text;
  QString Caption;
};

}  // namespace

class ImportDialogTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  void OpensWithTheProjectsNames() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(f.Item(QStringLiteral("Import1"))->isEnabled());
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Import Zamo-Data-File"));
    QCOMPARE(dialog->size(), QSize(668, 284));
    QCOMPARE(Control<QLineEdit>(dialog, "Titel")->text(), QStringLiteral("TMCP-ICP Kinetic System"));
    QCOMPARE(Control<QLineEdit>(dialog, "Author")->text(), QStringLiteral("A. Sample, B. Example, C. Demo"));
    QCOMPARE(Control<QLineEdit>(dialog, "LeftName")->text(), QStringLiteral("1,3,3-Trimethylcyclopropene"));
    QCOMPARE(Control<QLineEdit>(dialog, "RightName")->text(), QStringLiteral("1-Isopropylcyclopropene"));
    QCOMPARE(Control<QLabel>(dialog, "LeftFileName")->text(), QStringLiteral("*.dat"));
    QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), QStringLiteral("*.dat"));
    QCOMPARE(Control<MaskEdit>(dialog, "NumOfKValue")->text(), QStringLiteral("16"));
    QVERIFY(!Control<MaskEdit>(dialog, "NumOfKValue")->isEnabled());

    // The choosers, each cancelled: nothing is loaded.
    f.Platform.FileAnswers = {std::nullopt, std::nullopt};
    Click(dialog, "BitBtn3");
    Click(dialog, "BitBtn4");
    QCOMPARE(f.Platform.FileDialogs.size(), 2u);
    QCOMPARE(f.Platform.FileDialogs[0].Title, QStringLiteral("Load the first Zamo-Data-File for the Left Reactions"));
    QCOMPARE(f.Platform.FileDialogs[1].Title, QStringLiteral("Load the second Zamo-Data-File for the Right Reactions"));
    for (const FileDialogOptions& chooser : f.Platform.FileDialogs) {
      QVERIFY(chooser.Filter.contains(QStringLiteral("*.dat")));
      QCOMPARE(chooser.DefaultSuffix, QStringLiteral("dat"));
    }
    QCOMPARE(Control<QLabel>(dialog, "LeftFileName")->text(), QStringLiteral("*.dat"));
    Click(dialog, "BitBtn1OK");
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, QStringLiteral("You have to Load a Zamo-Data-File"));
  }

  void ImportOfTheRightFileOnly() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString saved = folder.filePath(QStringLiteral("imported.zam"));
    MainWindowFixture& f = ShownWindow();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Retype(Control<QLineEdit>(dialog, "Titel"), QStringLiteral("Imported System"));
    Load(f, dialog, false, kRightFile);
    QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), kRightFile);
    QCOMPARE(Control<MaskEdit>(dialog, "TemperatureValue")->text(), QStringLiteral("210.1"));
    // Loaded, not yet imported: the open project keeps both experiments.
    QVERIFY(f.Window.Project().Left.Present);
    QVERIFY(f.Window.Project().Right.Present);

    f.Platform.FileAnswers = {saved};
    Click(dialog, "BitBtn1OK");
    QVERIFY(f.Platform.Messages.empty());
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.Platform.FileDialogs.size(), 2u);
    QCOMPARE(f.Platform.FileDialogs[1].Title, QStringLiteral("Save Zamo-File As"));
    QCOMPARE(f.Platform.FileDialogs[1].InitialName, QStringLiteral("Imported System (210).zam"));

    // What the data file holds is the core's to read; the window shows the right experiment.
    const KineticProject& project = f.Window.Project();
    QCOMPARE(f.Caption(), QStringLiteral("Zamo - Right Reactions: Imported System (T = 210.1)"));
    QVERIFY(!project.ShowLeft);
    QVERIFY(project.Right.Times == kRightTimes);
    QCOMPARE(project.Author, std::string("A. Sample, B. Example, C. Demo"));
    QCOMPARE(project.RightDataFile, kRightFile.toStdString());
    QCOMPARE(f.Box(2)->text(), QStringLiteral("1.7400E-05"));
    QCOMPARE(f.Label(2)->text(), QStringLiteral("k9   ="));
    QCOMPARE(f.ZoomBar()->value(), 315);
    QCOMPARE(project.ZoomLeft, 315);
    QCOMPARE(project.ZoomRight, 315);
    QVERIFY(f.Item(QStringLiteral("LeftReactions1"))->isEnabled());
    QVERIFY(!f.Item(QStringLiteral("RightReactions1"))->isEnabled());

    // Saved under the chosen name.
    QVERIFY(!project.Modified);
    QCOMPARE(project.FileName, saved.toStdString());
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
      QTest::qWait(10);
      QVERIFY(dialog);
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

  void BothFilesTakeTheRightTemperature_data() {
    QTest::addColumn<QString>("leftTemperature");
    QTest::addColumn<QString>("rightTemperature");
    QTest::addColumn<bool>("rightFirst");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("left colder") << "195.5"
                                 << "210.1" << false << "TMCP-ICP Kinetic System (210).zam";
    QTest::newRow("right loaded first") << "210.1"
                                        << "199.5" << true << "TMCP-ICP Kinetic System (199).zam";
  }
  void BothFilesTakeTheRightTemperature() {
    QFETCH(QString, leftTemperature);
    QFETCH(QString, rightTemperature);
    QFETCH(bool, rightFirst);
    QFETCH(QString, fileName);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString left = WithTemperature(folder, kLeftFile, leftTemperature);
    const QString right = WithTemperature(folder, kRightFile, rightTemperature);
    const QString saved = folder.filePath(fileName);
    MainWindowFixture& f = ShownWindow();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Load(f, dialog, !rightFirst, rightFirst ? right : left);
    Load(f, dialog, rightFirst, rightFirst ? left : right);
    f.Platform.FileAnswers = {saved};
    Click(dialog, "BitBtn1OK");
    QVERIFY(f.Platform.Messages.empty());
    QTRY_VERIFY(dialog.isNull());

    const KineticProject& project = f.Window.Project();
    QCOMPARE(f.Caption(),
             QStringLiteral("Zamo - Left Reactions: TMCP-ICP Kinetic System (T = %1)").arg(rightTemperature));
    QCOMPARE(f.Platform.FileDialogs.at(2).InitialName, fileName);
    QVERIFY(project.Left.Times == kLeftTimes);
    QVERIFY(project.Right.Times == kRightTimes);
    QCOMPARE(project.LeftDataFile, left.toStdString());
    QVERIFY(std::fabs(ReadBack(saved).Temperature - rightTemperature.toDouble()) < 1e-9L);
  }

  void ChecksBeforeImporting_data() {
    QTest::addColumn<bool>("load");
    QTest::addColumn<bool>("clearTemperature");
    QTest::addColumn<bool>("clearCount");
    QTest::addColumn<QStringList>("messages");
    const QString noFile = QStringLiteral("You have to Load a Zamo-Data-File");
    const QString temperature = QStringLiteral("Please enter the TEMPERATURE");
    const QString count = QStringLiteral("Please enter the NUMBER OF RATE CONSTANT");
    QTest::newRow("no file and empty fields: the file only") << false << true << true << QStringList{noFile};
    QTest::newRow("both empty: both, in order") << true << true << true << QStringList{temperature, count};
  }
  void ChecksBeforeImporting() {
    QFETCH(bool, load);
    QFETCH(bool, clearTemperature);
    QFETCH(bool, clearCount);
    QFETCH(QStringList, messages);
    MainWindowFixture& f = ShownWindow();
    const Snapshot before(f);
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    if (load) Load(f, dialog, true, kLeftFile);
    if (clearTemperature) Retype(Control<MaskEdit>(dialog, "TemperatureValue"), QString());
    // The box is disabled, so no key reaches it.
    if (clearCount) Control<MaskEdit>(dialog, "NumOfKValue")->setText(QString());
    Click(dialog, "BitBtn1OK");

    QStringList shown;
    for (const FakePlatform::Message& message : f.Platform.Messages) {
      shown.append(message.Text);
      QCOMPARE(message.Caption, QStringLiteral("Try Again"));
    }
    QCOMPARE(shown, messages);
    QCOMPARE(f.Platform.FileDialogs.size(), load ? 1u : 0u);
    QTest::qWait(10);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    before.Verify(f);
  }

  void AnalysisWarningLetsTheImportGoOn_data() {
    QTest::addColumn<bool>("asLeft");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("captionStart");
    QTest::newRow("right file as the left one") << true << kRightFile << "Zamo - Left Reactions: ";
  }
  void AnalysisWarningLetsTheImportGoOn() {
    QFETCH(bool, asLeft);
    QFETCH(QString, file);
    QFETCH(QString, captionStart);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString saved = folder.filePath(QStringLiteral("warned.zam"));
    MainWindowFixture& f = ShownWindow();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Load(f, dialog, asLeft, file);
    f.Platform.FileAnswers = {saved};
    Click(dialog, "BitBtn1OK");
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, QStringLiteral("Error by Analysing the File"));
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Error"));
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(f.Caption().startsWith(captionStart));
    const Experiment& imported = asLeft ? f.Window.Project().Left : f.Window.Project().Right;
    QVERIFY(imported.Present);
    QCOMPARE(imported.LastRow, 6);
    QCOMPARE(f.Window.Project().ShowLeft, asLeft);
    QCOMPARE(f.Window.Project().FileName, saved.toStdString());
    QVERIFY(ReadBack(saved).ExperimentOf(asLeft ? Side::Left : Side::Right).Present);
  }

  void BrokenDataFileChangesNothing() {
    const QString broken = QStringLiteral(ZAMO_TEST_DATA_DIR "/temperature-with-comma.dat");
    MainWindowFixture& f = ShownWindow();
    const Snapshot before(f);
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    Load(f, dialog, true, broken);
    Click(dialog, "BitBtn1OK");
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, broken + QStringLiteral(":1: '210,1' ist kein gültiger Gleitkommawert."));
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Kinetic Calculation of Unimolecular Reactions"));
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    QTest::qWait(10);
    QVERIFY(dialog);
    before.Verify(f);
  }

  // What a spreadsheet copies: rows alone, for one reaction; a table file for the other. The
  // rate constants and the temperature are the open project's.
  void PastedTableAndTableFileImport() {
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("pasted.zam"));
    const QString rightTable = QStringLiteral(ZAMO_TEST_DATA_DIR "/example-right-decimal-comma.tsv");
    QFile left(QStringLiteral(ZAMO_TEST_DATA_DIR "/example-left-decimal-comma-semicolon.txt"));
    QVERIFY(left.open(QIODevice::ReadOnly));
    MainWindowFixture& f = ShownWindow();
    const KineticProject before = f.Window.Project();
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    f.Platform.Clipboard = QString::fromUtf8(left.readAll());
    Click(dialog, "PasteLeftTable");
    QCOMPARE(Control<QLabel>(dialog, "LeftFileName")->text(), QStringLiteral("clipboard"));
    QCOMPARE(Control<MaskEdit>(dialog, "TemperatureValue")->text(), QStringLiteral("210.1"));
    Load(f, dialog, false, rightTable);
    QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), rightTable);
    QVERIFY(f.Platform.Messages.empty());

    f.Platform.FileAnswers.push_back(saved);
    Click(dialog, "BitBtn1OK");
    QVERIFY(f.Platform.Messages.empty());
    QTRY_VERIFY(dialog.isNull());
    const KineticProject& project = f.Window.Project();
    QVERIFY(project.Left == before.Left);
    QVERIFY(project.Right == before.Right);
    QVERIFY(project.K == before.K);
    QCOMPARE(project.Temperature, before.Temperature);
    QCOMPARE(project.LeftDataFile, std::string("clipboard"));
    QCOMPARE(f.Caption(), QStringLiteral("Zamo - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)"));
    QCOMPARE(ReadBack(saved).Left, before.Left);
  }

  // A refused table names the clipboard, line and column, and is not taken.
  void RefusedPasteChangesNothing() {
    MainWindowFixture& f = ShownWindow();
    const Snapshot before(f);
    const QPointer<TNewFileForm> dialog = OpenImportDialog(f);
    QVERIFY(dialog);
    const QString temperature = Control<MaskEdit>(dialog, "TemperatureValue")->text();
    f.Platform.Clipboard = QStringLiteral("t\tA\tB\tC\tD\tE\tF\tG\n0\t0\t100\t0\t0\t0\t0\t0\n30\t1\t2,5\t3\t4\n");
    Click(dialog, "PasteRightTable");
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text,
             QStringLiteral("clipboard:3:13: the row ends before column 6 (E in %); a row holds the time in minutes, "
                            "then A to G in %"));
    QCOMPARE(Control<QLabel>(dialog, "RightFileName")->text(), QStringLiteral("*.dat"));
    QCOMPARE(Control<MaskEdit>(dialog, "TemperatureValue")->text(), temperature);
    Click(dialog, "BitBtn1OK");
    QCOMPARE(f.Platform.Messages.size(), 2u);
    QCOMPARE(f.Platform.Messages[1].Text, QStringLiteral("You have to Load a Zamo-Data-File"));
    before.Verify(f);
  }

  // The dialog keeps its loaded files to itself: the project, its experiments' Present flags
  // included, is the same while it is open and after it is left without an import.
  void CancelAfterALoadLeavesTheProject_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("example, Abbrechen") << "" << false;
    QTest::newRow("example, close box") << "" << true;
    QTest::newRow("right experiment only, Abbrechen") << QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam") << false;
  }
  void CancelAfterALoadLeavesTheProject() {
    QFETCH(QString, start);
    QFETCH(bool, closeBox);
    MainWindowFixture f;
    if (!start.isEmpty()) f.Window.OpenAtStart(start);
    QVERIFY(f.Show());
    QCOMPARE(f.Window.Project().Left.Present, start.isEmpty());
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
    QCOMPARE(f.Platform.FileDialogs.size(), 2u);
    QVERIFY(f.Platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ImportDialogTest)
#include "ImportDialogTest.moc"
