// The main window's exchange of files: the recent projects, files dropped on it, the files written.

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "document/TextFile.h"
#include "document/windows/NewFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/FullOutPut.h"
#include "ui/RecentProjects.h"

namespace zamo::testing {
// The paths of the "Open Recent" menu, newest first, as it opens.
static QStringList RecentPaths(MainWindowFixture& f) {
  auto* menu = f.Window.findChild<QMenu*>(QStringLiteral("OpenRecent1"));
  emit menu->aboutToShow();
  QStringList paths;
  for (const QAction* action : menu->actions()) paths.append(action->data().toString());
  return paths;
}

// Local files dragged over the window and dropped on it; false when the window refuses them.
static bool Drop(MainWindowFixture& f, const QStringList& paths) {
  QMimeData mime;
  for (const QString& path : paths) mime.setUrls(mime.urls() << QUrl::fromLocalFile(path));
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&f.Window, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&f.Window, &drop);
  return true;
}
class DataExchangeTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  void RecentProjectsNewestFirstEightAtMost() {  // each once, kept in the settings for the next run
    FakePlatform platform, next;
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 5}) RecentProjects(platform).Add(QStringLiteral("/p%1.zam").arg(i));
    RecentProjects(platform).Remove(QStringLiteral("/p8.zam"));
    next.SettingsFile = platform.SettingsFile;
    QCOMPARE(RecentProjects(next).Paths(),
             (QStringList{"/p5.zam", "/p9.zam", "/p7.zam", "/p6.zam", "/p4.zam", "/p3.zam", "/p2.zam"}));
  }
  // Save As and a project opened (dropped, after the save prompt) come first in "Open Recent"; an
  // item opens its project, or, when its file is gone, says so and leaves the list without it.
  void RecentMenuOpensAndForgets() {
    QTemporaryDir folder;
    const QString gone = folder.filePath("gone.zam"), saved = folder.filePath("saved.zam");
    const QString dropped = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam");
    MainWindowFixture& f = ShownWindow();
    f.Platform.FileAnswers = {gone, saved};
    for (int i = 0; i < 2; ++i) f.Item(QStringLiteral("SaveAs1"))->trigger();
    f.Window.Session().SetRateFromText(3, "0.5");
    f.Platform.PromptAnswers = {PromptAnswer::No};
    QVERIFY(Drop(f, {dropped}));
    QCOMPARE(RecentPaths(f), (QStringList{dropped, saved, gone}));
    f.Window.findChild<QAction*>(QStringLiteral("Recent2"))->trigger();
    QVERIFY(QFile::remove(gone));
    f.Window.Session().SetRateFromText(3, "0.5");  // a changed project is not asked about for nothing
    f.Window.findChild<QAction*>(QStringLiteral("Recent3"))->trigger();
    QCOMPARE(f.Platform.Prompts, 1);
    QCOMPARE(f.Platform.OneMessage(),
             QStringLiteral("The project \"%1\" no longer exists; it was removed from the recent files.").arg(gone));
    QCOMPARE(RecentPaths(f), (QStringList{saved, dropped}));
  }
  // Data files open the import dialog, each on the side its start row fits; others are refused.
  void DroppedDataFilesOpenTheImportDialog() {
    const QString left = ZAMO_TEST_DATA_DIR "/left-tmcp-210.dat", right = ZAMO_TEST_DATA_DIR "/right-ipcp-210.dat";
    QVERIFY(!Drop(ShownWindow(), {ZAMO_TEST_DATA_DIR "/notes.bmp"}));
    QVERIFY(Drop(ShownWindow(), {right, left}));
    auto* dialog = ShownWindow().Window.findChild<TNewFileForm*>(QStringLiteral("NewFileForm"));
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->findChild<QLabel*>("LeftFileName")->text() + dialog->findChild<QLabel*>("RightFileName")->text(),
             left + right);
  }
  // The result table after its spacing (Cancel at either question writes nothing), the report
  // as shown and printed into a PDF file; a failed write shows the writer's text.
  void FilesAreWrittenThroughTheirDialogs() {
    QTemporaryDir folder;
    MainWindowFixture& f = ShownWindow();
    f.Platform.IntegerAnswers = {std::nullopt, 5, 11, 5};
    f.Platform.FileAnswers = {std::nullopt, folder.filePath("table.csv"), QStringLiteral("/nonexistent/table.csv")};
    for (int i = 0; i < 4; ++i) f.Item(QStringLiteral("ExportTable1"))->trigger();
    QCOMPARE(ReadTextFile(folder.filePath("table.csv").toStdString()).size(), 1u + 14 + 1 + 1 + 22);  // 11 points
    QVERIFY(f.Platform.OneMessage().startsWith(QStringLiteral("Datei /nonexistent/table.csv kann nicht")));
    f.Press(Qt::Key_F4);
    auto* report = f.Window.findChild<TOutPutForm*>();
    QVERIFY(report != nullptr);
    f.Platform.FileAnswers = {folder.filePath("report.txt")};
    QTest::mouseClick(report->findChild<QPushButton*>("SaveAsButton"), Qt::LeftButton);
    QCOMPARE(ReadTextFile(folder.filePath("report.txt").toStdString()).size(),
             report->OutPut()->toPlainText().split('\n').size());
    f.Platform.PrintAnswers = {folder.filePath("report.pdf")};
    QTest::mouseClick(report->findChild<QPushButton*>("PrintButton"), Qt::LeftButton);
    QVERIFY(QFile::exists(folder.filePath("report.pdf")));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::DataExchangeTest)
#include "DataExchangeTest.moc"
