// The screen check at a scale factor: run with QT_SCALE_FACTOR=2, where the toolkit counts
// the offscreen screen of 800 x 800 device pixels as 400 x 400, too small in its own units.

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "app/MachineCheck.h"
#include "app/QtPlatform.h"

namespace zamo::testing {

class ScreenScaleTest : public QObject {
  Q_OBJECT

 private slots:
  void ScreenIsMeasuredInDevicePixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen != nullptr);
    QCOMPARE(screen->devicePixelRatio(), 2.0);
    QCOMPARE(screen->size(), QSize(400, 400));
    const SystemInfo system = QtPlatform().QuerySystem();
    QCOMPARE(system.ScreenWidth, 800);
    QCOMPARE(system.ScreenHeight, 800);
    QCOMPARE(FailedMachineCheck(system), std::nullopt);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ScreenScaleTest)
#include "ScreenScaleTest.moc"
