// The main window's wiring: start-up and its machine check, menus and keys, switching the
// experiment with its zoom, undo and redo, and the document lifecycle with its save prompt.
// What the session does with each command is tested with the session.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/MachineCheck.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

namespace {

const QString kApplicationCaption = QStringLiteral("Kinetic Calculation of Unimolecular Reactions");
const QString kExampleCaption = QStringLiteral("Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");
const QString kRightOnly = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam");
const QString kBroken = QStringLiteral(ZAMO_TEST_DATA_DIR "/temperature-with-comma.zam");
const QString kBrokenMessage = kBroken + QStringLiteral(":10: '210,1' ist kein gültiger Gleitkommawert.");

// A change a user makes: one step up of k1 (1.2600E-06 becomes 1.2700E-06).
void MakeAChange(MainWindowFixture& f) { f.ClickArrow(f.Stepper(1, 1), true); }

// Opens the context menu over the upper plot and clicks one of its items.
bool ChooseFromContextMenu(MainWindowFixture& f, const QString& item) {
  auto* plot = f.Window.findChild<QWidget*>(QStringLiteral("PaintBox1"));
  const QPoint at(40, 40);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, plot->mapToGlobal(at));
  QApplication::sendEvent(plot, &event);
  auto* menu = f.Window.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
  if (!QTest::qWaitForWindowExposed(menu)) return false;
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(f.Item(item)).center());
  return QTest::qWaitFor([menu] { return !menu->isVisible(); });
}

}  // namespace

class MainWindowTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The table of limits is the check's; the window shows the first failure and ends.
  void MachineCheckNamesTheFirstFailure_data() {
    QTest::addColumn<qulonglong>("memory");
    QTest::addColumn<int>("processor");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("failure");
    const qulonglong plenty = qulonglong{1} << 30;
    const QString memory = QStringLiteral("Not enough memory !");
    const QString screen = QStringLiteral("Minimum resolution of 800x600 is required !");
    QTest::newRow("4194303 bytes") << qulonglong{4194303} << 686 << QSize(800, 600) << memory;
    QTest::newRow("4194304 bytes, 486") << qulonglong{4194304} << 486 << QSize(800, 600) << "";
    QTest::newRow("memory first") << qulonglong{4194303} << 386 << QSize(640, 480) << memory;
    QTest::newRow("386") << plenty << 386 << QSize(800, 600) << "486 Processor or higher is required !";
    QTest::newRow("800x599") << plenty << 586 << QSize(800, 599) << screen;
    QTest::newRow("799x600") << plenty << 586 << QSize(799, 600) << screen;
  }
  void MachineCheckNamesTheFirstFailure() {
    QFETCH(qulonglong, memory);
    QFETCH(int, processor);
    QFETCH(QSize, screen);
    QFETCH(QString, failure);
    SystemInfo info = FakePlatform().System;
    info.TotalMemory = memory;
    info.ProcessorType = processor;
    info.ScreenWidth = screen.width();
    info.ScreenHeight = screen.height();
    QCOMPARE(QString::fromStdString(FailedMachineCheck(info).value_or("")), failure);
  }
  void FailedMachineCheckEndsTheProgram() {
    FakePlatform platform;
    platform.System.ProcessorType = 386;
    TFZamo window(platform);
    QVERIFY(window.Aborted());
    QCOMPARE(platform.OneMessage(), QStringLiteral("486 Processor or higher is required !"));
    QCOMPARE(platform.Messages[0].Caption, QStringLiteral("Abort program"));
    QVERIFY(platform.TerminatedWith.value_or(0) != 0);
  }

  // Alt and a letter reaches one item: no two items of a menu share their underlined letter.
  void EveryMenusAcceleratorsAreUnique() {
    MainWindowFixture& f = ShownWindow();
    QList<QList<QAction*>> menus{f.Window.menuBar()->actions()};
    for (const QMenu* menu : f.Window.findChildren<QMenu*>()) menus.append(menu->actions());
    QVERIFY(menus.size() >= 8);
    for (const QList<QAction*>& actions : menus) {
      QStringList taken;
      for (const QAction* action : actions) {
        const QString key = QKeySequence::mnemonic(action->text()).toString();
        QVERIFY2(key.isEmpty() || !taken.contains(key), qPrintable(action->text()));
        taken.append(key);
      }
    }
  }

  void SwitchingShowsTheOtherExperiment_data() {
    QTest::addColumn<bool>("contextMenu");
    QTest::newRow("keys") << false;
    QTest::newRow("context menu") << true;
  }
  void SwitchingShowsTheOtherExperiment() {
    QFETCH(bool, contextMenu);
    MainWindowFixture& f = ShownWindow();
    const auto show = [&](bool left) {
      if (contextMenu) return ChooseFromContextMenu(f, left ? "PopupLeftReactions" : "PopupRightReactions");
      f.Press(Qt::CTRL | (left ? Qt::Key_L : Qt::Key_R));
      return true;
    };
    const auto check = [&f](bool left, const QString& caption, int zoom) {
      QCOMPARE(f.Caption(), caption);
      QCOMPARE(f.ZoomBar()->value(), zoom);
      for (const char* item : {"LeftReactions1", "PopupLeftReactions"}) QCOMPARE(f.Item(item)->isEnabled(), !left);
      for (const char* item : {"RightReactions1", "PopupRightReactions"}) QCOMPARE(f.Item(item)->isEnabled(), left);
      QVERIFY(!f.Window.Project().Modified);
    };
    QVERIFY(show(false));
    check(false, QStringLiteral("Zamo - Right Reactions: TMCP-ICP Kinetic System (T = 210.1)"), 320);
    QVERIFY(show(true));
    check(true, QStringLiteral("Zamo - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)"), 163);
  }

  // The factor is 326 minus the position, shown as the bar's hint while the user scrolls.
  void ZoomBarShowsItsFactor() {
    MainWindowFixture& f = ShownWindow();
    QTest::keyClick(f.ZoomBar(), Qt::Key_End);
    QTest::keyClick(f.ZoomBar(), Qt::Key_Up);
    QCOMPARE(f.ZoomBar()->toolTip(), QStringLiteral("Zoom: 2"));
    QCOMPARE(f.Window.Project().ZoomLeft, 324);
  }

  void ResizeAfterTheFirstIsAChange() {
    MainWindowFixture& f = ShownWindow();
    QCoreApplication::processEvents();
    QVERIFY(!f.Window.Project().Modified);
    f.Window.resize(f.Window.width() + 40, f.Window.height() + 30);
    QTRY_VERIFY(f.Window.Project().Modified);
  }

  // Undo and Redo head the Edit menu, named after the step; the caption carries the
  // desktop's modified marker. The history itself is the session's.
  void UndoAndRedoReachTheHistory() {
    MainWindowFixture& f = ShownWindow();
    QAction* undo = f.Item(QStringLiteral("Undo1"));
    QAction* redo = f.Item(QStringLiteral("Redo1"));
    const QMenu* edit = f.Window.menuBar()->actions().at(1)->menu();
    QCOMPARE(edit->actions().mid(0, 2), (QList<QAction*>{undo, redo}));
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    MakeAChange(f);
    QVERIFY(f.Window.isWindowModified());
    QCOMPARE(undo->text(), QStringLiteral("&Undo k1"));
    f.Press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2600E-06"));
    QVERIFY(!f.Window.isWindowModified());
    QVERIFY(!undo->isEnabled());
    QCOMPARE(redo->text(), QStringLiteral("Re&do k1"));
    f.Press(Qt::CTRL | Qt::Key_Y);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2700E-06"));
    f.Press(Qt::CTRL | Qt::Key_Z);
    f.Press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2700E-06"));
    QVERIFY(!redo->isEnabled());
  }

  void ClosingAsksToSave_data() {
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveTo");  // "" no dialog, "cancel", or a file name in the temporary folder
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("way");  // the close box, "E&xit" or "&Quit"
    const int yes = static_cast<int>(PromptAnswer::Yes);
    const int no = static_cast<int>(PromptAnswer::No);
    const int cancel = static_cast<int>(PromptAnswer::Cancel);
    QTest::newRow("unchanged: no prompt") << false << -1 << "" << true << "close box";
    QTest::newRow("Abbrechen after Quit stays open") << true << cancel << "" << false << "&Quit";
    QTest::newRow("Nein after Exit closes") << true << no << "" << true << "E&xit";
    QTest::newRow("Ja saves and closes") << true << yes << "saved.zam" << true << "close box";
    QTest::newRow("Ja, dialog cancelled: stays open") << true << yes << "cancel" << false << "close box";
    QTest::newRow("Ja, file not writable: stays open") << true << yes << "missing/saved.zam" << false << "close box";
  }
  void ClosingAsksToSave() {
    QFETCH(bool, change);
    QFETCH(int, answer);
    QFETCH(QString, saveTo);
    QFETCH(bool, closed);
    QFETCH(QString, way);
    QTemporaryDir folder;
    const QString path = folder.filePath(saveTo);
    MainWindowFixture& f = ShownWindow();
    if (change) MakeAChange(f);
    if (answer >= 0) f.Platform.PromptAnswers = {static_cast<PromptAnswer>(answer)};
    if (saveTo == QStringLiteral("cancel")) {
      f.Platform.FileAnswers = {std::nullopt};
    } else if (!saveTo.isEmpty()) {
      f.Platform.FileAnswers = {path};
    }
    if (way == QStringLiteral("&Quit")) {
      QTest::mouseClick(f.Window.findChild<QPushButton*>(QStringLiteral("QuitButton")), Qt::LeftButton);
    } else if (way == QStringLiteral("E&xit")) {
      f.Item(QStringLiteral("Exit1"))->trigger();
    } else {
      f.Window.close();
    }
    QCOMPARE(f.Platform.Prompts, answer >= 0 ? 1 : 0);
    QCOMPARE(f.Window.isVisible(), !closed);
    const bool saved = closed && !saveTo.isEmpty();
    QCOMPARE(!saveTo.isEmpty() && QFile::exists(path), saved);
    QCOMPARE(f.Window.Project().Modified, change && !saved);
  }

  // The file written is the session's text; Cancel writes nothing and keeps the change.
  void SaveWritesThroughItsDialog_data() {
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("confirmOverwrite");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("Save") << (Qt::CTRL | Qt::Key_S) << "Save Zamo-File" << false << false;
    QTest::newRow("Save As") << (Qt::CTRL | Qt::Key_A) << "Save Zamo-File As" << true << false;
    QTest::newRow("Save As, cancelled") << (Qt::CTRL | Qt::Key_A) << "Save Zamo-File As" << true << true;
  }
  void SaveWritesThroughItsDialog() {
    QFETCH(QKeyCombination, key);
    QFETCH(QString, title);
    QFETCH(bool, confirmOverwrite);
    QFETCH(bool, cancel);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("written.zam"));
    MainWindowFixture& f = ShownWindow();
    MakeAChange(f);
    f.Platform.FileAnswers = {cancel ? std::nullopt : std::optional(path), std::nullopt};
    f.Press(key);
    const FileDialogOptions& dialog = f.Platform.FileDialogs.at(0);
    QCOMPARE(dialog.Title, title);
    QVERIFY(dialog.Filter.contains(QStringLiteral("*.zam")));
    QCOMPARE(dialog.DefaultSuffix, QStringLiteral("zam"));
    QCOMPARE(dialog.InitialName, QStringLiteral("TMCP-ICP Kinetic System for Zamo.zam"));
    QCOMPARE(dialog.ConfirmOverwrite, confirmOverwrite);
    QCOMPARE(f.Window.Project().Modified, cancel);
    QCOMPARE(QFile::exists(path), !cancel);
    if (cancel) return;
    QCOMPARE(f.Window.Project().FileName, path.toStdString());
    QCOMPARE(ReadProjectFile(path.toStdString()).Data.K[1], 1.27e-6L);
    f.Press(key);
    QCOMPARE(f.Platform.FileDialogs.at(1).InitialName, path);
  }

  // The error box shows the writer's text; the reasons are the writer's to test.
  void FailedSaveShowsTheWritersError() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("missing/x.zam"));
    MainWindowFixture& f = ShownWindow();
    MakeAChange(f);
    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_S);
    QCOMPARE(f.Platform.OneMessage(),
             QStringLiteral("Datei %1 kann nicht erstellt werden: No such file or directory.").arg(path));
    QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().FileName, std::string(kExampleFileName));
  }

  // Open asks about a changed project first (Ja saves it through its dialog), then reads
  // the file chosen; a file the reader refuses shows its text and the session keeps the
  // open project (tested there).
  void OpenAsksBeforeDroppingChanges_data() {
    QTest::addColumn<int>("answer");  // -1: unchanged, no prompt
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("opened");
    const int no = static_cast<int>(PromptAnswer::No);
    QTest::newRow("unchanged") << -1 << kRightOnly << true;
    QTest::newRow("Abbrechen") << static_cast<int>(PromptAnswer::Cancel) << kRightOnly << false;
    QTest::newRow("Nein") << no << kRightOnly << true;
    QTest::newRow("Ja") << static_cast<int>(PromptAnswer::Yes) << kRightOnly << true;
    QTest::newRow("Nein, broken file") << no << kBroken << false;
  }
  void OpenAsksBeforeDroppingChanges() {
    QFETCH(int, answer);
    QFETCH(QString, file);
    QFETCH(bool, opened);
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("saved.zam"));
    MainWindowFixture& f = ShownWindow();
    const bool yes = answer == static_cast<int>(PromptAnswer::Yes);
    if (answer >= 0) {
      MakeAChange(f);
      f.Platform.PromptAnswers = {static_cast<PromptAnswer>(answer)};
    }
    f.Platform.FileAnswers = {file};
    if (yes) f.Platform.FileAnswers.push_front(saved);
    f.Press(Qt::CTRL | Qt::Key_O);
    QCOMPARE(f.Platform.Prompts, answer >= 0 ? 1 : 0);
    QCOMPARE(f.Platform.FileAnswers.size(), answer == static_cast<int>(PromptAnswer::Cancel) ? 1u : 0u);
    if (!f.Platform.FileDialogs.empty())
      QCOMPARE(f.Platform.FileDialogs.back().Title, QStringLiteral("Load Zamo-File"));
    QCOMPARE(QFile::exists(saved), yes);
    QCOMPARE(f.Window.Project().Modified, !opened);
    QCOMPARE(f.Caption(),
             opened ? QStringLiteral("Mavrin - Right Reactions: ICP Kinetic System (T = 210.1)") : kExampleCaption);
    QCOMPARE(f.Box(2)->text(), opened ? QStringLiteral("1.7400E-05") : QStringLiteral("1.0300E-05"));
    if (file == kBroken) {
      QCOMPARE(f.Platform.OneMessage(), kBrokenMessage);
      QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    }
  }

  // The example, or the file named on the command line; a file the reader refuses shows its
  // text and leaves the example. Every command can be chosen.
  void StartsWithTheExampleOrTheNamedFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << "" << kExampleCaption << "";
    QTest::newRow("good file") << kRightOnly << "Mavrin - Right Reactions: ICP Kinetic System (T = 210.1)"
                               << "";
    QTest::newRow("broken text") << kBroken << kExampleCaption << kBrokenMessage;
  }
  void StartsWithTheExampleOrTheNamedFile() {
    QFETCH(QString, path);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    MainWindowFixture f;
    QVERIFY(f.Platform.Clipboard.isEmpty());
    if (!path.isEmpty()) f.Window.OpenAtStart(path);
    QVERIFY(f.Show());
    QCOMPARE(f.Caption(), caption);
    QVERIFY(!f.Window.Project().Modified);
    QCOMPARE(f.Platform.Messages.size(), message.isEmpty() ? 0u : 1u);
    if (!message.isEmpty()) QCOMPARE(f.Platform.OneMessage(), message);
    for (const char* name :
         {"Open1", "Save1", "SaveAs1", "SaveGraph1", "Import1", "Exit1", "Copy1", "Paste2", "ZamoData1",
          "OptimizeRateConstants1", "KineticSystem1", "FullOutput1", "Help1", "About1"}) {
      QVERIFY2(f.Item(QString::fromLatin1(name))->isEnabled(), name);
    }
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::MainWindowTest)
#include "MainWindowTest.moc"
