// Saves pictures of the main window for a person to look at: the left and the right
// experiment and an enlarged lower plot, as PNG files in the build folder's screenshots/.

#include <QDir>
#include <QScrollBar>
#include <QTest>

#include "app/ZamoMain.h"
#include "tests/ui/FakePlatform.h"

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
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ScreenshotTest)
#include "ScreenshotTest.moc"
