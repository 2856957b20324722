// Under QT_SCALE_FACTOR=2 the offscreen screen of 800 x 800 device pixels is 400 x 400 in
// the toolkit's units, too small for the machine check, which counts device pixels.

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "app/MachineCheck.h"
#include "app/QtPlatform.h"

class ScreenScaleTest : public QObject {
  Q_OBJECT

 private slots:
  void ScreenIsMeasuredInDevicePixels() {
    QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(400, 400));
    const zamo::SystemInfo system = zamo::QtPlatform().QuerySystem();
    QCOMPARE(QSize(system.ScreenWidth, system.ScreenHeight), QSize(800, 800));
    QCOMPARE(zamo::FailedMachineCheck(system), std::nullopt);
  }
};

QTEST_MAIN(ScreenScaleTest)
#include "ScreenScaleTest.moc"
