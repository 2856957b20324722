// The main window as a user meets it: start-up, menus and keys, switching the experiment,
// the zoom bar, resizing, and the document lifecycle with its save prompt.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <optional>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"
#include "ui/TextBytes.h"

namespace zamo::testing {

namespace {

const QString kApplicationCaption = QStringLiteral("Kinetic Calculation of Unimolecular Reactions");
const QString kExampleCaption = QStringLiteral("Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");

// A change a user makes: one step up of k1 (1.2600E-06 becomes 1.2700E-06).
void MakeAChange(MainWindowFixture& f) { f.ClickArrow(f.Stepper(1, 1), true); }

ProjectData ReadBack(const QString& path) { return ReadProjectFile(path.toStdString()).Data; }

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
  void StartsWithTheExample() {
    MainWindowFixture f;
    QVERIFY(f.Platform.Clipboard.isEmpty());
    QVERIFY(f.Show());
    QCoreApplication::processEvents();
    QCOMPARE(f.Caption(), kExampleCaption);
    QCOMPARE(f.ZoomBar()->value(), 163);
    QCOMPARE(f.ZoomBar()->toolTip(), QStringLiteral("Zoom: 10"));
    QCOMPARE(f.Window.Project().FileName, std::string("TMCP-ICP Kinetic System for Zamo.zam"));
    QVERIFY(f.Window.Project().ShowLeft);
    QVERIFY(!f.Window.Project().Modified);
    QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
    // Every command works, the import included.
    for (const char* name :
         {"Open1", "Save1", "SaveAs1", "SaveGraph1", "Import1", "Exit1", "Copy1", "Paste2", "ZamoData1",
          "OptimizeRateConstants1", "KineticSystem1", "FullOutput1", "Help1", "About1"}) {
      QVERIFY2(f.Item(QString::fromLatin1(name))->isEnabled(), name);
    }
    QVERIFY(f.Platform.Messages.empty());
  }

  // Ctrl+A is shown by "Save &As" and "&About"; only "Save &As" may take it, or the key
  // would be ambiguous (a warning) and do nothing.
  void KeysReachTheirCommands_data() {
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("Ctrl+O") << (Qt::CTRL | Qt::Key_O) << "Load Zamo-File";
    QTest::newRow("Ctrl+S") << (Qt::CTRL | Qt::Key_S) << "Save Zamo-File";
    QTest::newRow("Ctrl+A") << (Qt::CTRL | Qt::Key_A) << "Save Zamo-File As";
  }
  void KeysReachTheirCommands() {
    QFETCH(QKeyCombination, key);
    QFETCH(QString, dialog);
    MainWindowFixture& f = ShownWindow();
    // As it will be once the about box exists; its key must still go to "Save &As".
    f.Item(QStringLiteral("About1"))->setEnabled(true);
    f.Platform.FileAnswers = {std::nullopt};
    f.Press(key);
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    QCOMPARE(f.Platform.FileDialogs[0].Title, dialog);
  }

  // Alt and a letter reaches one item of a menu: no two items of the menu bar, of a menu, of
  // a submenu or of the context menu share their underlined letter.
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
    const auto check = [&f](bool left, const QString& caption, int zoom) {
      QCOMPARE(f.Caption(), caption);
      QCOMPARE(f.ZoomBar()->value(), zoom);
      QCOMPARE(f.Window.Project().ShowLeft, left);
      QCOMPARE(f.Item(QStringLiteral("LeftReactions1"))->isEnabled(), !left);
      QCOMPARE(f.Item(QStringLiteral("PopupLeftReactions"))->isEnabled(), !left);
      QCOMPARE(f.Item(QStringLiteral("RightReactions1"))->isEnabled(), left);
      QCOMPARE(f.Item(QStringLiteral("PopupRightReactions"))->isEnabled(), left);
      QVERIFY(!f.Window.Project().Modified);
    };
    check(true, kExampleCaption, 163);
    if (contextMenu) {
      QVERIFY(ChooseFromContextMenu(f, QStringLiteral("PopupRightReactions")));
    } else {
      f.Press(Qt::CTRL | Qt::Key_R);
    }
    check(false, QStringLiteral("Zamo - Right Reactions: TMCP-ICP Kinetic System (T = 210.1)"), 320);
    if (contextMenu) {
      QVERIFY(ChooseFromContextMenu(f, QStringLiteral("PopupLeftReactions")));
    } else {
      f.Press(Qt::CTRL | Qt::Key_L);
    }
    check(true, QStringLiteral("Zamo - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)"), 163);
  }

  // The factor is 326 minus the position; the hint follows the user's scrolling only.
  void ZoomBarHintFollowsTheUser() {
    MainWindowFixture& f = ShownWindow();
    QScrollBar* bar = f.ZoomBar();
    QTest::keyClick(bar, Qt::Key_End);
    for (int i = 0; i < 10; ++i) QTest::keyClick(bar, Qt::Key_Up);
    QCOMPARE(bar->value(), 315);
    QCOMPARE(bar->toolTip(), QStringLiteral("Zoom: 11"));
    QCOMPARE(f.Window.Project().ZoomLeft, 315);
    f.Press(Qt::CTRL | Qt::Key_R);
    QCOMPARE(bar->value(), 320);
    QCOMPARE(bar->toolTip(), QStringLiteral("Zoom: 11"));
    f.Press(Qt::CTRL | Qt::Key_L);
    QCOMPARE(bar->value(), 315);
    QVERIFY(!f.Window.Project().Modified);
  }

  void ResizeAfterTheFirstIsAChange() {
    MainWindowFixture& f = ShownWindow();
    QTest::qWait(20);
    QVERIFY(!f.Window.Project().Modified);
    f.Window.resize(f.Window.width() + 40, f.Window.height() + 30);
    QTRY_VERIFY(f.Window.Project().Modified);
  }

  // Stepping is one step of the history, walked back and forth from the top of the Edit
  // menu; the caption carries the desktop's modified marker.
  void UndoAndRedoWalkTheHistory() {
    MainWindowFixture& f = ShownWindow();
    QAction* undo = f.Item(QStringLiteral("Undo1"));
    QAction* redo = f.Item(QStringLiteral("Redo1"));
    const QMenu* edit = f.Window.menuBar()->actions().at(1)->menu();
    QCOMPARE(edit->actions().at(0), undo);
    QCOMPARE(edit->actions().at(1), redo);
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    QVERIFY(!f.Window.isWindowModified());

    f.ClickArrow(f.Stepper(1, 1), true);
    f.ClickArrow(f.Stepper(1, 1), true);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2800E-06"));
    QVERIFY(f.Window.isWindowModified());
    QCOMPARE(undo->text(), QStringLiteral("&Undo k1"));
    const QStringList stepped = f.DeviationTexts();

    f.Press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(f.Window.Project().K[1], 1.27e-6L);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2700E-06"));
    QCOMPARE(undo->text(), QStringLiteral("&Undo k1"));
    QCOMPARE(redo->text(), QStringLiteral("Re&do k1"));
    f.Press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2600E-06"));
    QVERIFY(!f.Window.isWindowModified());  // back at the state that was read
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("&Undo"));

    f.Press(Qt::CTRL | Qt::Key_Y);
    f.Press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2800E-06"));
    QCOMPARE(f.DeviationTexts(), stepped);
    QVERIFY(f.Window.isWindowModified());
    QVERIFY(!redo->isEnabled());
  }

  // The error section of the experiment not on screen holds its true sums, as zamo-cli
  // writes them, not the zeros of an experiment never shown.
  void SaveWritesTheDeviationsOfBothExperiments() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("both.zam"));
    MainWindowFixture& f = ShownWindow();
    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_S);
    const TextLines written = ReadTextFile(path.toStdString());
    const auto total = [&](const char* header) {
      const auto at = std::find(written.begin(), written.end(), header);
      return at + 2 < written.end() ? FromBytes(*(at + 2)) : QString();
    };
    QCOMPARE(total("Error: Left-Reactions"), QStringLiteral("TOTAL SQ DIFF SUM = 7.696"));
    QCOMPARE(total("Error: Right-Reactions"), QStringLiteral("TOTAL SQ DIFF SUM = 12.553"));
    QCOMPARE(f.Label(16)->text(), QStringLiteral("7.70"));
  }

  void MachineChecks_data() {
    QTest::addColumn<qulonglong>("memory");
    QTest::addColumn<int>("processor");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("failure");
    const qulonglong plenty = qulonglong{1} << 30;
    QTest::newRow("memory 4194303 bytes") << qulonglong{4194303} << 686 << QSize(1024, 768) << "Not enough memory !";
    QTest::newRow("memory 4194304 bytes") << qulonglong{4194304} << 686 << QSize(1024, 768) << "";
    QTest::newRow("memory checked first") << qulonglong{4194303} << 386 << QSize(640, 480) << "Not enough memory !";
    QTest::newRow("processor 386") << plenty << 386 << QSize(1024, 768) << "486 Processor or higher is required !";
    QTest::newRow("processor 486") << plenty << 486 << QSize(1024, 768) << "";
    QTest::newRow("screen 800x599") << plenty << 586 << QSize(800, 599)
                                    << "Minimum resolution of 800x600 is required !";
    QTest::newRow("screen 799x600") << plenty << 586 << QSize(799, 600)
                                    << "Minimum resolution of 800x600 is required !";
    QTest::newRow("screen 1024x600") << plenty << 586 << QSize(1024, 600) << "";
  }
  void MachineChecks() {
    QFETCH(qulonglong, memory);
    QFETCH(int, processor);
    QFETCH(QSize, screen);
    QFETCH(QString, failure);
    FakePlatform platform;
    platform.System.TotalMemory = memory;
    platform.System.ProcessorType = processor;
    platform.System.ScreenWidth = screen.width();
    platform.System.ScreenHeight = screen.height();
    TFZamo window(platform);
    QCOMPARE(window.Aborted(), !failure.isEmpty());
    if (failure.isEmpty()) {
      QVERIFY(platform.Messages.empty());
      QVERIFY(!platform.TerminatedWith);
      QCOMPARE(window.windowTitle(), kExampleCaption + QStringLiteral("[*]"));
      return;
    }
    QCOMPARE(platform.Messages.size(), 1u);
    QCOMPARE(platform.Messages[0].Text, failure);
    QCOMPARE(platform.Messages[0].Caption, QStringLiteral("Abort program"));
    QCOMPARE(platform.Messages[0].Icon, MessageIcon::Error);
    QVERIFY(platform.TerminatedWith.has_value());
    QVERIFY(*platform.TerminatedWith != 0);
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
    QTest::newRow("Abbrechen stays open") << true << cancel << "" << false << "close box";
    QTest::newRow("Abbrechen after Quit stays open") << true << cancel << "" << false << "&Quit";
    QTest::newRow("Nein closes unsaved") << true << no << "" << true << "close box";
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
    QVERIFY(folder.isValid());
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
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), saved ? 1 : 0);
    QCOMPARE(f.Window.Project().Modified, change && !saved);
    if (saved) QCOMPARE(ReadBack(path).K[1], 1.27e-6L);
    if (saveTo.startsWith(QStringLiteral("missing/"))) {
      QCOMPARE(f.Platform.Messages.size(), 1u);
      QCOMPARE(f.Platform.Messages[0].Text,
               QStringLiteral("Datei %1 kann nicht erstellt werden: No such file or directory.").arg(path));
    }
    if (!closed) {
      // Nothing is stuck: the next close may still end without saving.
      f.Platform.PromptAnswers = {PromptAnswer::No};
      f.Window.close();
      QVERIFY(!f.Window.isVisible());
    }
  }

  void SaveWritesThroughItsDialog_data() {
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("confirmOverwrite");
    QTest::newRow("Save") << (Qt::CTRL | Qt::Key_S) << "Save Zamo-File" << false;
    QTest::newRow("Save As") << (Qt::CTRL | Qt::Key_A) << "Save Zamo-File As" << true;
  }
  void SaveWritesThroughItsDialog() {
    QFETCH(QKeyCombination, key);
    QFETCH(QString, title);
    QFETCH(bool, confirmOverwrite);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("written.zam"));
    MainWindowFixture& f = ShownWindow();
    MakeAChange(f);
    f.Platform.FileAnswers = {path, std::nullopt};
    f.Press(key);
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    const FileDialogOptions& dialog = f.Platform.FileDialogs[0];
    QCOMPARE(dialog.Title, title);
    QVERIFY(dialog.Filter.contains(QStringLiteral("*.zam")));
    QCOMPARE(dialog.DefaultSuffix, QStringLiteral("zam"));
    QCOMPARE(dialog.InitialName, QStringLiteral("TMCP-ICP Kinetic System for Zamo.zam"));
    QCOMPARE(dialog.ConfirmOverwrite, confirmOverwrite);
    QVERIFY(!f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().FileName, path.toStdString());
    QCOMPARE(f.Window.ProjectText(), ReadTextFile(path.toStdString()));

    const ProjectData written = ReadBack(path);
    QCOMPARE(written.Title, f.Window.Project().Title);
    for (int i = 1; i <= kRateConstantCount; ++i) {
      const Real k = f.Window.Project().K[i];
      QVERIFY2(std::fabs(written.K[i] - k) <= 5e-6L * std::fabs(k), qPrintable(QStringLiteral("k%1").arg(i)));
    }
    f.Press(key);
    QCOMPARE(f.Platform.FileDialogs[1].InitialName, path);
  }

  void CancelledSaveKeepsModified_data() {
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<bool>("change");
    QTest::newRow("Save, changed") << (Qt::CTRL | Qt::Key_S) << true;
    QTest::newRow("Save As, changed") << (Qt::CTRL | Qt::Key_A) << true;
    QTest::newRow("Save, unchanged") << (Qt::CTRL | Qt::Key_S) << false;
  }
  void CancelledSaveKeepsModified() {
    QFETCH(QKeyCombination, key);
    QFETCH(bool, change);
    MainWindowFixture& f = ShownWindow();
    if (change) MakeAChange(f);
    f.Platform.FileAnswers = {std::nullopt};
    f.Press(key);
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    QCOMPARE(f.Window.Project().Modified, change);
    QCOMPARE(f.Window.Project().FileName, std::string(kExampleFileName));
    QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
  }

  void FailedSaveKeepsEverything_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder missing") << "missing/x.zam"
                                    << "No such file or directory";
    // Refused whoever runs the test, the superuser included.
    QTest::newRow("existing file without write permission") << "read-only.zam"
                                                            << "Permission denied";
  }
  void FailedSaveKeepsEverything() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(name);
    const bool existing = !name.contains(QLatin1Char('/'));
    if (existing) {
      QFile old(path);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("old\r\n");
      old.close();
      QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    MainWindowFixture& f = ShownWindow();
    MakeAChange(f);
    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_S);
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, QStringLiteral("Datei %1 kann nicht erstellt werden: %2.").arg(path, reason));
    QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().FileName, std::string(kExampleFileName));
    QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
    if (existing) QCOMPARE(ReadTextFile(path.toStdString()), TextLines{"old"});
  }

  void OpenReadsTheChosenFile() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("opened.zam"));
    const TextLines lines = ExampleTextWith({{1, "Opened System"}, {9, "200.5"}, {22, "3.000E-06  3.623E-05"}});
    WriteTextFileAtomically(path.toStdString(), lines);
    MainWindowFixture& f = ShownWindow();
    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_O);
    QCOMPARE(f.Platform.Prompts, 0);
    const FileDialogOptions& dialog = f.Platform.FileDialogs.at(0);
    QCOMPARE(dialog.Title, QStringLiteral("Load Zamo-File"));
    QVERIFY(dialog.Filter.contains(QStringLiteral("*.zam")));
    QCOMPARE(dialog.DefaultSuffix, QStringLiteral("zam"));
    QCOMPARE(f.Caption(), QStringLiteral("Mavrin - Left Reactions: Opened System (T = 200.5)"));
    QCOMPARE(f.Window.Project().K[1], 3e-6L);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("3.0000E-06"));
    QCOMPARE(f.Window.Project().FileName, path.toStdString());
    QCOMPARE(f.Window.ProjectText(), lines);
    QVERIFY(!f.Window.Project().Modified);
    QVERIFY(f.Platform.Messages.empty());
  }

  void OpenOfAnUnreadableFileChangesNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral(ZAMO_TEST_DATA_DIR "/no-such-file.zam");
    const QString broken = QStringLiteral(ZAMO_TEST_DATA_DIR "/temperature-with-comma.zam");
    QTest::newRow("missing")
        << missing << QStringLiteral("Datei %1 kann nicht geöffnet werden: No such file or directory.").arg(missing);
    QTest::newRow("broken text") << broken << broken + QStringLiteral(":10: '210,1' ist kein gültiger Gleitkommawert.");
  }
  void OpenOfAnUnreadableFileChangesNothing() {
    QFETCH(QString, path);
    QFETCH(QString, message);
    MainWindowFixture& f = ShownWindow();
    MakeAChange(f);
    f.Platform.PromptAnswers = {PromptAnswer::No};
    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_O);
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, message);
    QCOMPARE(f.Platform.Messages[0].Caption, kApplicationCaption);
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    QCOMPARE(f.Caption(), kExampleCaption);
    QCOMPARE(f.Window.Project().K[1], 1.27e-6L);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2700E-06"));
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().FileName, std::string(kExampleFileName));
    QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
  }

  void OpenAsksBeforeDroppingChanges_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("opened");
    QTest::newRow("Abbrechen") << static_cast<int>(PromptAnswer::Cancel) << false;
    QTest::newRow("Nein") << static_cast<int>(PromptAnswer::No) << true;
    QTest::newRow("Ja") << static_cast<int>(PromptAnswer::Yes) << true;
  }
  void OpenAsksBeforeDroppingChanges() {
    QFETCH(int, answer);
    QFETCH(bool, opened);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString source = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam");
    const QString saved = folder.filePath(QStringLiteral("saved.zam"));
    MainWindowFixture& f = ShownWindow();
    MakeAChange(f);
    const auto yes = static_cast<PromptAnswer>(answer) == PromptAnswer::Yes;
    f.Platform.PromptAnswers = {static_cast<PromptAnswer>(answer)};
    f.Platform.FileAnswers = {source};
    if (yes) f.Platform.FileAnswers.push_front(saved);
    f.Press(Qt::CTRL | Qt::Key_O);
    QCOMPARE(f.Platform.Prompts, 1);
    QCOMPARE(f.Platform.FileDialogs.size(), opened ? (yes ? 2u : 1u) : 0u);
    QCOMPARE(QFile::exists(saved), yes);
    if (yes) QCOMPARE(ReadBack(saved).K[1], 1.27e-6L);
    QCOMPARE(f.Window.Project().Modified, !opened);
    QCOMPARE(f.Caption(),
             opened ? QStringLiteral("Mavrin - Right Reactions: ICP Kinetic System (T = 210.1)") : kExampleCaption);
    QCOMPARE(f.Window.Project().K[1], opened ? 1.26e-6L : 1.27e-6L);
  }

  void OpenAtStart_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    const QString good = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam");
    const QString broken = QStringLiteral(ZAMO_TEST_DATA_DIR "/temperature-with-comma.zam");
    QTest::newRow("good file") << good << "Mavrin - Right Reactions: ICP Kinetic System (T = 210.1)"
                               << "";
    QTest::newRow("broken text") << broken << kExampleCaption
                                 << broken + QStringLiteral(":10: '210,1' ist kein gültiger Gleitkommawert.");
  }
  void OpenAtStart() {
    QFETCH(QString, path);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    MainWindowFixture f;
    f.Window.OpenAtStart(path);
    QVERIFY(f.Show());
    QCOMPARE(f.Caption(), caption);
    QVERIFY(!f.Window.Project().Modified);
    if (message.isEmpty()) {
      QVERIFY(f.Platform.Messages.empty());
      QCOMPARE(f.Window.Project().FileName, path.toStdString());
      QCOMPARE(f.Window.ProjectText(), ReadTextFile(path.toStdString()));
      QVERIFY(!f.Window.Project().ShowLeft);
    } else {
      QCOMPARE(f.Platform.Messages.size(), 1u);
      QCOMPARE(f.Platform.Messages[0].Text, message);
      QCOMPARE(f.Window.Project().FileName, std::string(kExampleFileName));
      QCOMPARE(f.Window.ProjectText(), ExampleProjectText());
    }
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::MainWindowTest)
#include "MainWindowTest.moc"
