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
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "document/ExampleProject.h"
#include "document/TextFile.h"
#include "document/windows/NewFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/FullOutPut.h"
#include "ui/RecentProjects.h"

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
  // The spacing is asked first; the table of that many curve points goes to the chosen
  // file (its cells are the core's, tested there); Cancel at either question writes
  // nothing, and a failed write shows the writer's text.
  void ExportTableWritesTheChosenFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("table.csv"));
    MainWindowFixture& f = ShownWindow();
    f.Platform.IntegerAnswers = {std::nullopt, 5, 11, 5};
    f.Platform.FileAnswers = {std::nullopt, path, QStringLiteral("/nonexistent-folder/table.csv")};
    for (int i = 0; i < 4; ++i) f.Item(QStringLiteral("ExportTable1"))->trigger();
    QCOMPARE(f.Platform.IntegerQuestions.at(0).Value, 101);
    QCOMPARE(f.Platform.IntegerQuestions.at(0).Minimum, 2);
    QCOMPARE(f.Platform.FileDialogs.size(), 3u);
    QCOMPARE(f.Platform.FileDialogs[0].InitialName, QStringLiteral("TMCP-ICP Kinetic System for Zamo.csv"));
    QVERIFY(f.Platform.FileDialogs[0].ConfirmOverwrite);
    // Header, 7 + 7 measured rows, an empty line, header, 11 + 11 curve points.
    QCOMPARE(ReadTextFile(path.toStdString()).size(), 1u + 14 + 1 + 1 + 22);
    QVERIFY2(f.Platform.OneMessage().startsWith(
                 QStringLiteral("Datei /nonexistent-folder/table.csv kann nicht erstellt werden")),
             qPrintable(f.Platform.OneMessage()));
    QVERIFY(!f.Window.Project().Modified);
  }

  // Newest first, each once, at most eight, kept in the settings for the next run.
  void RecentProjectsNewestFirstEightAtMost() {
    FakePlatform platform;
    RecentProjects recent(platform);
    for (int i = 1; i <= 9; ++i) recent.Add(QStringLiteral("/p%1.zam").arg(i));
    recent.Add(QStringLiteral("/p5.zam"));
    recent.Remove(QStringLiteral("/p8.zam"));
    FakePlatform next;
    next.SettingsFile = platform.SettingsFile;
    QCOMPARE(RecentProjects(next).Paths(),
             (QStringList{"/p5.zam", "/p9.zam", "/p7.zam", "/p6.zam", "/p4.zam", "/p3.zam", "/p2.zam"}));
  }

  // Open and Save As put the project first in "Open Recent"; an item opens its project
  // without a question when nothing is changed, or, when its file is gone, says so and
  // leaves the list without it.
  void RecentMenuOpensAndForgets() {
    QTemporaryDir folder;
    const QString kept = ProjectFile(folder, QStringLiteral("kept.zam"));
    const QString gone = ProjectFile(folder, QStringLiteral("gone.zam"));
    const QString saved = folder.filePath(QStringLiteral("saved.zam"));
    MainWindowFixture& f = ShownWindow();
    QCOMPARE(RecentPaths(f), QStringList());
    Open(f, gone);
    Open(f, kept);
    f.Platform.FileAnswers = {saved};
    f.Item(QStringLiteral("SaveAs1"))->trigger();
    QCOMPARE(RecentPaths(f), (QStringList{saved, kept, gone}));
    QCOMPARE(RecentItem(f, 2)->text(), QStringLiteral("&2 ") + kept);
    RecentItem(f, 2)->trigger();
    QCOMPARE(f.Window.Project().FileName, kept.toStdString());
    QCOMPARE(RecentPaths(f), (QStringList{kept, saved, gone}));

    QVERIFY(QFile::remove(gone));
    f.Window.Session().SetRateFromText(3, "0.5");  // a changed project is not asked about for nothing
    RecentItem(f, 3)->trigger();
    QCOMPARE(f.Platform.Prompts, 0);
    QCOMPARE(f.Platform.OneMessage(),
             QStringLiteral("The project \"%1\" no longer exists; it was removed from the recent files.").arg(gone));
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Error"));
    QCOMPARE(RecentPaths(f), (QStringList{kept, saved}));
    QVERIFY(f.Window.Project().Modified);
  }

  // A dropped project opens after the save prompt, as Open does.
  void DroppedProjectOpensAfterTheSavePrompt() {
    MainWindowFixture& f = ShownWindow();
    f.Window.Session().SetRateFromText(3, "0.5");
    f.Platform.PromptAnswers = {PromptAnswer::No};
    QVERIFY(Drop(f, {kRightOnly}));
    QCOMPARE(f.Platform.Prompts, 1);
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
    QVERIFY(f.Platform.FileDialogs.empty());
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
    QVERIFY(f.Platform.OneMessage().startsWith(QStringLiteral("Datei /nonexistent-folder/report.txt")));
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
    QVERIFY(file.readAll().startsWith("%PDF-"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::DataExchangeTest)
#include "DataExchangeTest.moc"
