// The main window's wiring: the machine check, menus, switching the experiment with its zoom, undo
// and redo, and the document lifecycle with its save prompt. The commands' outcomes are the session's.

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

#include "tests/ui/MainWindowFixture.h"
#include "ui/MaskEdit.h"

namespace zamo::testing {

namespace {

const QString kRightOnly = QStringLiteral(ZAMO_TEST_DATA_DIR "/right-only.zam");
const QString kBroken = QStringLiteral(ZAMO_TEST_DATA_DIR "/temperature-with-comma.zam");

// Opens the context menu over the upper plot and clicks one of its items.
bool ChooseFromContextMenu(MainWindowFixture& f, const QString& item) {
  auto* plot = f.Window.findChild<QWidget*>(QStringLiteral("PaintBox1"));
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(40, 40), plot->mapToGlobal(QPoint(40, 40)));
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
  // The first failing check (4 MiB, a 486, 800 x 600) is shown in its box and ends the program.
  void MachineCheckEndsTheProgram() {
    const QString memory = QStringLiteral("Not enough memory !");
    const QString screen = QStringLiteral("Minimum resolution of 800x600 is required !");
    const QString processor = QStringLiteral("486 Processor or higher is required !");
    const std::tuple<std::uint64_t, int, QSize, QString> cases[] = {
        {4194303, 686, {800, 600}, memory},    {4194304, 486, {800, 600}, ""},     {4194303, 386, {640, 480}, memory},
        {1 << 30, 386, {800, 600}, processor}, {1 << 30, 586, {800, 599}, screen}, {1 << 30, 586, {799, 600}, screen}};
    for (const auto& [bytes, family, size, failure] : cases) {
      FakePlatform platform;
      platform.System = SystemInfo{bytes, bytes, family, 1, 1, 0, "", "", size.width(), size.height()};
      const TFZamo window(platform);
      QCOMPARE(platform.OneMessage(), failure.isEmpty() ? QStringLiteral("<0 messages> ") : failure);
      QCOMPARE(window.Aborted() && platform.TerminatedWith.value_or(0) != 0, !failure.isEmpty());
    }
  }

  // Alt and a letter reaches one item: no two items of a menu share their underlined letter.
  void EveryMenusAcceleratorsAreUnique() {
    MainWindowFixture& f = ShownWindow();
    QList<QList<QAction*>> menus{f.Window.menuBar()->actions()};
    for (const QMenu* menu : f.Window.findChildren<QMenu*>()) menus.append(menu->actions());
    for (const QList<QAction*>& actions : menus) {
      QStringList keys;
      for (const QAction* action : actions) keys.append(QKeySequence::mnemonic(action->text()).toString());
      keys.removeAll(QString());
      QVERIFY2(keys.removeDuplicates() == 0, qPrintable(keys.join(' ')));
    }
  }

  // By the plot's context menu (the keys are the rate panel's test's); each experiment keeps its
  // own zoom. The bar's hint shows the factor, 326 minus the position; a resize after the first
  // is a change.
  void SwitchingShowsTheOtherExperiment() {
    MainWindowFixture& f = ShownWindow();
    for (const bool left : {false, true}) {
      QVERIFY(ChooseFromContextMenu(f, left ? "PopupLeftReactions" : "PopupRightReactions"));
      QVERIFY(f.Caption().startsWith(left ? "Zamo - Left Reactions: " : "Zamo - Right Reactions: "));
      QCOMPARE(f.ZoomBar()->value(), left ? 163 : 320);
      for (const char* item : {"LeftReactions1", "PopupLeftReactions", "RightReactions1", "PopupRightReactions"})
        QCOMPARE(f.Item(item)->isEnabled(), left == QByteArray(item).contains("Right"));
    }
    QVERIFY(!f.Window.Project().Modified);
    f.ZoomBar()->setValue(324);
    QCOMPARE(f.ZoomBar()->toolTip(), QStringLiteral("Zoom: 2"));
    QCOMPARE(f.Window.Project().ZoomLeft, 324);
    f.Window.resize(f.Window.width() + 40, f.Window.height() + 30);
    QTRY_VERIFY(f.Window.Project().Modified);
  }

  // Undo and Redo are enabled by the history (Ctrl+Shift+Z redoes too); the caption carries the
  // desktop's modified marker. Ctrl+Z, Ctrl+Y and the steps' names are the fit dialog's test's.
  void UndoAndRedoReachTheHistory() {
    MainWindowFixture& f = ShownWindow();
    f.ClickArrow(f.Stepper(1, 1), true);  // k1 becomes 1.2700E-06
    QVERIFY(f.Window.isWindowModified() && f.Item("Undo1")->isEnabled() && !f.Item("Redo1")->isEnabled());
    f.Press(Qt::CTRL | Qt::Key_Z);
    QVERIFY(!f.Window.isWindowModified() && !f.Item("Undo1")->isEnabled() && f.Item("Redo1")->isEnabled());
    f.Press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    QCOMPARE(f.Box(1)->text(), QStringLiteral("1.2700E-06"));
  }

  // Save As confirms an overwrite and Save does not; Save offers the session's name, then the name written.
  void SaveWritesThroughItsDialog() {
    QTemporaryDir folder;
    MainWindowFixture& f = ShownWindow();
    f.Platform.FileAnswers = {folder.filePath(QStringLiteral("written.zam")), std::nullopt};
    f.Press(Qt::CTRL | Qt::Key_A);
    f.Press(Qt::CTRL | Qt::Key_S);
    const std::vector<FileDialogOptions>& dialogs = f.Platform.FileDialogs;
    QVERIFY(dialogs.at(0).ConfirmOverwrite && !dialogs.at(1).ConfirmOverwrite);
    QCOMPARE(dialogs[0].InitialName + '|' + dialogs[1].InitialName,
             "TMCP-ICP Kinetic System for Zamo.zam|" + folder.filePath(QStringLiteral("written.zam")));
  }

  // Closing and Open ask about a change (Ja saves through the save dialog; the command goes on only
  // once written, a failed write shows the writer's text); Open then reads the file chosen, as the
  // start does the file named on the command line. A refused file's text is shown, the project kept.
  void CommandsAskToSave_data() {
    QTest::addColumn<QString>("way");     // the close box, "E&xit", "&Quit", or "Open" or "Start" and a file
    QTest::addColumn<int>("answer");      // -1: unchanged, no prompt
    QTest::addColumn<QString>("saveTo");  // "" no dialog, "cancel", or a file name in the temporary folder
    QTest::addColumn<bool>("done");       // closed, or opened
    const int yes = int(PromptAnswer::Yes), no = int(PromptAnswer::No), cancel = int(PromptAnswer::Cancel);
    QTest::newRow("Abbrechen after Quit stays open") << "&Quit" << cancel << "" << false;
    QTest::newRow("Nein after Exit closes") << "E&xit" << no << "" << true;
    QTest::newRow("Ja saves and closes") << "close box" << yes << "saved.zam" << true;
    QTest::newRow("Ja, dialog cancelled: stays open") << "close box" << yes << "cancel" << false;
    QTest::newRow("Ja, file not writable: stays open") << "close box" << yes << "missing/saved.zam" << false;
    QTest::newRow("Open unchanged") << "Open" + kRightOnly << -1 << "" << true;
    QTest::newRow("Open, Abbrechen") << "Open" + kRightOnly << cancel << "" << false;
    QTest::newRow("Open, Nein, broken file") << "Open" + kBroken << no << "" << false;
    QTest::newRow("start with a broken file") << "Start" + kBroken << -1 << "" << false;
  }
  void CommandsAskToSave() {
    QFETCH(QString, way);
    QFETCH(int, answer);
    QFETCH(QString, saveTo);
    QFETCH(bool, done);
    QTemporaryDir folder;
    const QString path = folder.filePath(saveTo);
    const bool start = way.startsWith(QStringLiteral("Start")), open = way.startsWith(QStringLiteral("Open"));
    const QString file = way.mid(start ? 5 : 4);
    MainWindowFixture f;
    if (start) f.Window.OpenAtStart(file);
    QVERIFY(f.Show());
    QVERIFY(f.Platform.Clipboard.isEmpty());
    if (answer >= 0) f.ClickArrow(f.Stepper(1, 1), true);
    if (answer >= 0) f.Platform.PromptAnswers = {static_cast<PromptAnswer>(answer)};
    if (!saveTo.isEmpty()) f.Platform.FileAnswers = {saveTo == "cancel" ? std::nullopt : std::optional(path)};
    if (open) f.Platform.FileAnswers.push_back(file);
    if (open) f.Press(Qt::CTRL | Qt::Key_O);
    if (way == QStringLiteral("&Quit"))
      QTest::mouseClick(f.Window.findChild<QPushButton*>(QStringLiteral("QuitButton")), Qt::LeftButton);
    if (way == QStringLiteral("E&xit")) f.Item(QStringLiteral("Exit1"))->trigger();
    if (way == QStringLiteral("close box")) f.Window.close();
    QCOMPARE(f.Platform.Prompts, answer >= 0 ? 1 : 0);
    QCOMPARE(!saveTo.isEmpty() && QFile::exists(path), done && !saveTo.isEmpty());
    const QString failedWrite = QStringLiteral("Datei %1 kann nicht erstellt werden: No such file or directory.");
    const QString message = file == kBroken                ? kBroken + ":10: '210,1' ist kein gültiger Gleitkommawert."
                            : saveTo.startsWith("missing") ? failedWrite.arg(path)
                                                           : QStringLiteral("<0 messages> ");
    QCOMPARE(f.Platform.OneMessage(), message);
    QCOMPARE(f.Window.isVisible(), open || start || !done);
    if (!open && !start) return;
    QCOMPARE(f.Window.Project().Left.Present, !done);  // the file has the right experiment alone
    QCOMPARE(f.Window.Project().Modified, answer >= 0 && !done);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::MainWindowTest)
#include "MainWindowTest.moc"
