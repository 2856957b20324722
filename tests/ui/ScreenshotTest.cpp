// Saves pictures of the main window for a person to look at: the left and the right
// experiment and an enlarged lower plot, as PNG files in the build folder's screenshots/.

#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

#include "app/ZamoMain.h"
#include "document/Edit.h"
#include "document/NewFile.h"
#include "optimize/LinOpt.h"
#include "tests/ui/FakePlatform.h"
#include "ui/AdrAbout.h"
#include "ui/FullOutPut.h"
#include "ui/HelpWindow.h"
#include "ui/ViewKineticSystem.h"

namespace zamo::testing {

class ScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void SavesTheMainWindow() {
    const QString folder = QStringLiteral(ZAMO_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    FakePlatform platform;
    TFZamo window(platform);
    window.resize(1000, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.grab().save(folder + QStringLiteral("/main-left.png")));

    window.RightReactions1Click();
    QCoreApplication::processEvents();
    QVERIFY(window.grab().save(folder + QStringLiteral("/main-right.png")));

    window.LeftReactions1Click();
    auto* zoom = window.findChild<QScrollBar*>(QStringLiteral("ZoomBar"));
    zoom->setValue(200);  // as if the user dragged it: the factor becomes 126
    QCoreApplication::processEvents();
    QVERIFY(window.grab().save(folder + QStringLiteral("/main-zoomed.png")));
    QVERIFY(platform.Messages.empty());
  }

  void SavesTheOptimizationDialogIdleAndRunning() {
    const QString folder = QStringLiteral(ZAMO_SCREENSHOT_DIR);
    FakePlatform platform;
    TFZamo window(platform);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.OptimizeRateConstants1Click();
    TOptRate* dialog = window.OptimizationDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY(dialog->grab().save(folder + QStringLiteral("/optimize-idle.png")));
    dialog->findChild<QSlider*>(QStringLiteral("OptTrackBar"))->setValue(40);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CalcBitBtn")), Qt::LeftButton);
    QTest::qWait(300);
    QVERIFY(dialog->Running());
    QVERIFY(dialog->grab().save(folder + QStringLiteral("/optimize-running.png")));
    dialog->AbortBitBtnClick();
  }

  void SavesTheReportAndTheGraph() {
    const QString folder = QStringLiteral(ZAMO_SCREENSHOT_DIR);
    FakePlatform platform;
    TFZamo window(platform);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.FullOutput1Click();
    auto* report = window.findChild<TOutPutForm*>();
    QVERIFY(report != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(report));
    QVERIFY(report->grab().save(folder + QStringLiteral("/report-left.png")));
    platform.FileAnswers.push_back(folder + QStringLiteral("/graph-left.bmp"));
    window.SaveGraph1Click();
    QImage graph(folder + QStringLiteral("/graph-left.bmp"));
    QCOMPARE(graph.size(), QSize(800, 600));
    QVERIFY(graph.save(folder + QStringLiteral("/graph-left.png")));
    QVERIFY(platform.Messages.empty());
  }

  void SavesTheSmallerWindows() {
    const QString folder = QStringLiteral(ZAMO_SCREENSHOT_DIR);
    FakePlatform platform;
    TFZamo window(platform);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto save = [&](QWidget* shown, const char* name) {
      QVERIFY(shown != nullptr);
      QVERIFY(QTest::qWaitForWindowExposed(shown));
      QVERIFY(shown->grab().save(folder + QLatin1Char('/') + QLatin1String(name)));
      shown->close();
    };
    window.ZamoData1Click();
    save(window.findChild<TEditForm*>(), "edit.png");
    window.Import1Click();
    auto* import = window.findChild<TNewFileForm*>();
    platform.FileAnswers.push_back(QStringLiteral(ZAMO_TEST_DATA_DIR "/left-tmcp-210.dat"));
    import->BitBtn3Click();
    save(import, "import.png");
    window.About1Click();
    save(window.findChild<TAboutBox*>(), "about.png");
    window.KineticSystem1Click();
    save(window.findChild<TShowKinSysForm*>(), "kinetic-system.png");
    window.Help1Click();
    save(window.findChild<HelpWindow*>(), "help.png");
    QVERIFY(platform.Messages.empty());
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ScreenshotTest)
#include "ScreenshotTest.moc"
