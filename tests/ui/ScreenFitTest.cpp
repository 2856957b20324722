// Every window on a laptop's screen: run on an offscreen screen of 1366 x 768 pixels, and of
// 1920 x 1080 at a scale factor of 2 (960 x 540 in the toolkit's units). Each window opens
// within the screen's available area, and each of its buttons can be reached: it lies within
// the window, or within an area that scrolls.

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>

#include "tests/ui/MainWindowFixture.h"

namespace zamo::testing {

namespace {

QWidget* OpenWindow(const QString& name) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == name && window->isVisible()) return window;
  }
  return nullptr;
}

// Inside a scrolling area (a table's cells and corner, a scrolled panel), a control is
// reached by scrolling.
bool Scrolls(const QWidget* control, const QWidget* window) {
  for (const QWidget* w = control->parentWidget(); w != nullptr && w != window; w = w->parentWidget()) {
    if (qobject_cast<const QAbstractScrollArea*>(w) != nullptr) return true;
  }
  return false;
}

}  // namespace

class ScreenFitTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  void EveryWindowFitsTheScreen_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << ""
                                 << "FZamo";
    QTest::newRow("plot") << "Plot1"
                          << "PlotWindow";
    QTest::newRow("least-squares fit") << "LeastSquaresFit1"
                                       << "LeastSquaresFit";
    QTest::newRow("temperature series") << "TemperatureSeries1"
                                        << "SeriesWindow";
    QTest::newRow("model selection") << "ModelSelection1"
                                     << "ModelSelection";
    QTest::newRow("import") << "Import1"
                            << "NewFileForm";
    QTest::newRow("full output") << "FullOutput1"
                                 << "OutPutForm";
    QTest::newRow("edit") << "ZamoData1"
                          << "EditForm";
    QTest::newRow("optimization") << "OptimizeRateConstants1"
                                  << "OptRate";
    QTest::newRow("kinetic system") << "KineticSystem1"
                                    << "ShowKinSysForm";
    QTest::newRow("help") << "Help1"
                          << "HelpWindow";
    QTest::newRow("about") << "About1"
                           << "AboutBox";
  }
  void EveryWindowFitsTheScreen() {
    QFETCH(QString, command);
    QFETCH(QString, window);
    MainWindowFixture& f = ShownWindow();
    if (!command.isEmpty()) f.Item(command)->trigger();
    QWidget* shown = nullptr;
    QTRY_VERIFY((shown = OpenWindow(window)) != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QRect available = shown->screen()->availableGeometry();
    QVERIFY2(available.contains(shown->frameGeometry()), qPrintable(QStringLiteral("%1 x %2 at %3, %4 on %5 x %6")
                                                                        .arg(shown->frameGeometry().width())
                                                                        .arg(shown->frameGeometry().height())
                                                                        .arg(shown->frameGeometry().x())
                                                                        .arg(shown->frameGeometry().y())
                                                                        .arg(available.width())
                                                                        .arg(available.height())));
    for (const QAbstractButton* button : shown->findChildren<QAbstractButton*>()) {
      if (!button->isVisibleTo(shown) || Scrolls(button, shown)) continue;
      const QRect at(button->mapTo(shown, QPoint(0, 0)), button->size());
      QVERIFY2(shown->rect().contains(at), qPrintable(QStringLiteral("%1 %2 %3 at %4, %5 of %6 x %7")
                                                          .arg(QString::fromLatin1(button->metaObject()->className()),
                                                               button->objectName(), button->text())
                                                          .arg(at.x())
                                                          .arg(at.y())
                                                          .arg(shown->width())
                                                          .arg(shown->height())));
    }
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ScreenFitTest)
#include "ScreenFitTest.moc"
