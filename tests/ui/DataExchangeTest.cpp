// The main window's exchange of files: the result table, the recent projects, files dropped
// on the window, and the report's Save As and Print.

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "document/ExampleProject.h"
#include "document/TextFile.h"
#include "document/windows/NewFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/FullOutPut.h"
#include "ui/TextBytes.h"

namespace zamo::testing {

namespace {

const QString kLeftFile = QStringLiteral(ZAMO_TEST_DATA_DIR "/left-tmcp-210.dat");
const QString kRightFile = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-ipcp-210.dat");
const QString kRightOnly = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam");

// The example written as a project file of the given name.
QString ProjectFile(const QTemporaryDir& folder, const QString& name) {
  const QString path = folder.filePath(name);
  WriteTextFileAtomically(path.toStdString(), ExampleProjectText());
  return path;
}

// The paths of the "Open Recent" menu, newest first, as the user sees it when it opens.
QStringList RecentPaths(MainWindowFixture& f) {
  auto* menu = f.Window.findChild<QMenu*>(QStringLiteral("OpenRecent1"));
  if (menu == nullptr) return {QStringLiteral("no menu OpenRecent1")};
  emit menu->aboutToShow();
  QStringList paths;
  for (const QAction* action : menu->actions()) paths.append(action->data().toString());
  return paths;
}

QAction* RecentItem(MainWindowFixture& f, int number) {
  return f.Window.findChild<QAction*>(QStringLiteral("Recent%1").arg(number));
}

void Open(MainWindowFixture& f, const QString& path) {
  f.Platform.FileAnswers.push_back(path);
  f.Press(Qt::CTRL | Qt::Key_O);
}

// Local files dragged over the window and dropped on it.
bool Drop(MainWindowFixture& f, const QStringList& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
  mime.setUrls(urls);
  const QPointF at(100, 100);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&f.Window, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&f.Window, &drop);
  return true;
}

TOutPutForm* OpenReport(MainWindowFixture& f) {
  f.Press(Qt::Key_F4);
  const QList<TOutPutForm*> reports = f.Window.findChildren<TOutPutForm*>();
  return reports.isEmpty() ? nullptr : reports.last();
}

}  // namespace

class DataExchangeTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The spacing is asked first; the table goes to the chosen file. Its numbers are the
  // core's, tested there; here the command's path: points, name, records.
  void ExportTableWritesTheChosenFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("table.csv"));
    MainWindowFixture& f = ShownWindow();
    f.Platform.IntegerAnswers = {11};
    f.Platform.FileAnswers = {path};
    f.Item(QStringLiteral("ExportTable1"))->trigger();
    QVERIFY(f.Platform.Messages.empty());
    QCOMPARE(f.Platform.IntegerQuestions.size(), 1u);
    QCOMPARE(f.Platform.IntegerQuestions[0].Value, 101);
    QCOMPARE(f.Platform.IntegerQuestions[0].Minimum, 2);
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    QCOMPARE(f.Platform.FileDialogs[0].InitialName, QStringLiteral("TMCP-ICP Kinetic System for Zamo.csv"));
    QVERIFY(f.Platform.FileDialogs[0].ConfirmOverwrite);
    const TextLines lines = ReadTextFile(path.toStdString());
    // Header, 7 + 7 measured rows, an empty line, header, 11 + 11 curve points.
    QCOMPARE(lines.size(), 1u + 14 + 1 + 1 + 22);
    QVERIFY(FromBytes(lines[1]).startsWith(QStringLiteral("Left,\"1,3,3-Trimethylcyclopropene\",0,0,0,100,")));
    // The eleventh point of the left curves is the last reaction time.
    QVERIFY(FromBytes(lines[17 + 10]).startsWith(QStringLiteral("Left,\"1,3,3-Trimethylcyclopropene\",10,600,36000,")));
    QVERIFY(!f.Window.Project().Modified);
  }

  void ExportTableCancelledWritesNothing() {
    MainWindowFixture& f = ShownWindow();
    f.Platform.IntegerAnswers = {std::nullopt};
    f.Item(QStringLiteral("ExportTable1"))->trigger();
    QVERIFY(f.Platform.FileDialogs.empty());
    f.Platform.IntegerAnswers = {5};
    f.Platform.FileAnswers = {std::nullopt};
    f.Item(QStringLiteral("ExportTable1"))->trigger();
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    QVERIFY(f.Platform.Messages.empty());
  }

  void ExportTableToAFolderThatIsMissingShowsTheWritersError() {
    MainWindowFixture& f = ShownWindow();
    f.Platform.IntegerAnswers = {5};
    f.Platform.FileAnswers = {QStringLiteral("/nonexistent-folder/table.csv")};
    f.Item(QStringLiteral("ExportTable1"))->trigger();
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QVERIFY2(f.Platform.Messages[0].Text.startsWith(
                 QStringLiteral("Datei /nonexistent-folder/table.csv kann nicht erstellt werden")),
             qPrintable(f.Platform.Messages[0].Text));
  }

  // Opened and saved projects, newest first, each once, at most eight; kept for the next
  // run of the program.
  void RecentProjectsNewestFirstEightAtMost() {
    QTemporaryDir folder;
    QStringList files;
    for (int i = 1; i <= 9; ++i) files.append(ProjectFile(folder, QStringLiteral("p%1.zam").arg(i)));
    MainWindowFixture& f = ShownWindow();
    QCOMPARE(RecentPaths(f), QStringList());
    for (const QString& file : files) Open(f, file);
    QVERIFY(f.Platform.Messages.empty());
    QStringList expected;
    for (int i = 8; i >= 1; --i) expected.append(files[i]);
    QCOMPARE(RecentPaths(f), expected);

    // Opened from the list, a project moves to the front.
    QAction* fifth = RecentItem(f, 5);
    QVERIFY(fifth != nullptr);
    QCOMPARE(fifth->text(), QStringLiteral("&5 ") + files[4]);
    fifth->trigger();
    QCOMPARE(f.Window.Project().FileName, files[4].toStdString());
    QCOMPARE(RecentPaths(f).mid(0, 2), (QStringList{files[4], files[8]}));
    QCOMPARE(RecentPaths(f).size(), 8);

    // Saved under a new name, it comes first too.
    const QString saved = folder.filePath(QStringLiteral("saved.zam"));
    f.Platform.FileAnswers = {saved};
    f.Item(QStringLiteral("SaveAs1"))->trigger();
    QCOMPARE(RecentPaths(f).front(), saved);
    QVERIFY(!RecentPaths(f).contains(files[1]));

    MainWindowFixture next;
    next.Platform.SettingsFile = f.Platform.SettingsFile;
    QCOMPARE(RecentPaths(next), RecentPaths(f));
  }

  void RecentProjectThatIsGoneIsRemovedWithAMessage() {
    QTemporaryDir folder;
    const QString kept = ProjectFile(folder, QStringLiteral("kept.zam"));
    const QString gone = ProjectFile(folder, QStringLiteral("gone.zam"));
    MainWindowFixture& f = ShownWindow();
    Open(f, kept);
    Open(f, gone);
    QVERIFY(QFile::remove(gone));
    f.Window.Session().SetRateFromText(3, "0.5");  // a changed project is not asked about for nothing
    RecentItem(f, 1)->trigger();
    QCOMPARE(f.Platform.Prompts, 0);
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text,
             QStringLiteral("The project \"%1\" no longer exists; it was removed from the recent files.").arg(gone));
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Error"));
    QCOMPARE(RecentPaths(f), QStringList{kept});
    QCOMPARE(f.Window.Project().FileName, gone.toStdString());
    QVERIFY(f.Window.Project().Modified);
  }

  // A dropped project opens after the save prompt: Cancel keeps the changed project.
  void DroppedProjectOpensAfterTheSavePrompt() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(f.Window.acceptDrops());
    f.Window.Session().SetRateFromText(3, "0.5");
    f.Platform.PromptAnswers = {PromptAnswer::Cancel};
    QVERIFY(Drop(f, {kRightOnly}));
    QCOMPARE(f.Platform.Prompts, 1);
    QVERIFY(f.Window.Project().Left.Present);

    f.Platform.PromptAnswers = {PromptAnswer::No};
    QVERIFY(Drop(f, {kRightOnly}));
    QCOMPARE(f.Platform.Prompts, 2);
    QVERIFY(!f.Window.Project().Left.Present);
    QCOMPARE(f.Window.Project().FileName, kRightOnly.toStdString());
    QCOMPARE(RecentPaths(f), QStringList{kRightOnly});
    QVERIFY(f.Platform.Messages.empty());
  }

  // Data files open the import dialog, each on the side its start row fits; files of other
  // kinds are not taken.
  void DroppedDataFilesOpenTheImportDialog() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(!Drop(f, {QStringLiteral(ZAMO_TEST_DATA_DIR "/notes.bmp")}));
    QVERIFY(Drop(f, {kRightFile, kLeftFile}));
    auto* dialog = f.Window.findChild<TNewFileForm*>(QStringLiteral("NewFileForm"));
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("LeftFileName"))->text(), kLeftFile);
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("RightFileName"))->text(), kRightFile);
    QCOMPARE(f.Platform.Prompts, 0);
    QVERIFY(f.Platform.FileDialogs.empty());
    // Loaded, not imported: the open project is as it was.
    QCOMPARE(f.Window.Project().FileName, std::string(kExampleFileName));
  }

  // The report as shown, one line each, through the writer.
  void ReportSaveAsWritesTheReportsLines() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.txt"));
    MainWindowFixture& f = ShownWindow();
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    f.Platform.FileAnswers = {path};
    QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("SaveAsButton")), Qt::LeftButton);
    QVERIFY(f.Platform.Messages.empty());
    QCOMPARE(f.Platform.FileDialogs.back().DefaultSuffix, QStringLiteral("txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             report->OutPut()->toPlainText().replace(QLatin1Char('\n'), "\r\n") + "\r\n");

    f.Platform.FileAnswers = {QStringLiteral("/nonexistent-folder/report.txt")};
    QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("SaveAsButton")), Qt::LeftButton);
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QVERIFY(f.Platform.Messages[0].Text.startsWith(QStringLiteral("Datei /nonexistent-folder/report.txt")));
  }

  // Printing into a PDF file, as the print dialog offers; Cancel prints nothing.
  void ReportPrintsToAPdfFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.pdf"));
    MainWindowFixture& f = ShownWindow();
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    auto* print = report->findChild<QPushButton*>(QStringLiteral("PrintButton"));
    f.Platform.PrintAnswers = {std::nullopt};
    QTest::mouseClick(print, Qt::LeftButton);
    QVERIFY(!QFile::exists(path));
    f.Platform.PrintAnswers = {path};
    QTest::mouseClick(print, Qt::LeftButton);
    QVERIFY(f.Platform.Messages.empty());
    QCOMPARE(f.Platform.PrintedDocuments, QStringList(2, QStringLiteral("Full Output of the Result - Left Reactions")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
  }

  // Nothing to save or print while the report is empty.
  void EmptyReportOffersNeitherSaveNorPrint() {
    MainWindowFixture& f = ShownWindow();
    Open(f, kRightOnly);
    f.Press(Qt::CTRL | Qt::Key_L);
    TOutPutForm* report = OpenReport(f);
    QVERIFY(report != nullptr);
    QVERIFY(!report->findChild<QPushButton*>(QStringLiteral("SaveAsButton"))->isEnabled());
    QVERIFY(!report->findChild<QPushButton*>(QStringLiteral("PrintButton"))->isEnabled());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::DataExchangeTest)
#include "DataExchangeTest.moc"
