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
    QTest::addColumn<QString>("command");  // "" for the main window itself
    QTest::addColumn<QString>("window");
    const std::pair<const char*, const char*> windows[] = {
        {"", "FZamo"},
        {"Plot1", "PlotWindow"},
        {"LeastSquaresFit1", "LeastSquaresFit"},
        {"TemperatureSeries1", "SeriesWindow"},
        {"ModelSelection1", "ModelSelection"},
        {"Import1", "NewFileForm"},
        {"FullOutput1", "OutPutForm"},
        {"ZamoData1", "EditForm"},
        {"OptimizeRateConstants1", "OptRate"},
        {"KineticSystem1", "ShowKinSysForm"},
        {"Help1", "HelpWindow"},
        {"About1", "AboutBox"},
    };
    for (const auto& [command, window] : windows) QTest::newRow(window) << QString(command) << QString(window);
  }
  void EveryWindowFitsTheScreen() {
    QFETCH(QString, command);
    QFETCH(QString, window);
    MainWindowFixture& f = ShownWindow();
    if (!command.isEmpty()) f.Item(command)->trigger();
    QWidget* shown = nullptr;
    QTRY_VERIFY((shown = OpenWindow(window)) != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const auto text = [](const QRect& r) {
      return QStringLiteral("%1 x %2 at %3, %4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
    };
    const QRect available = shown->screen()->availableGeometry();
    QVERIFY2(available.contains(shown->frameGeometry()),
             qPrintable(text(shown->frameGeometry()) + QStringLiteral(" on ") + text(available)));
    for (const QAbstractButton* button : shown->findChildren<QAbstractButton*>()) {
      if (!button->isVisibleTo(shown) || Scrolls(button, shown)) continue;
      const QRect at(button->mapTo(shown, QPoint(0, 0)), button->size());
      QVERIFY2(shown->rect().contains(at),
               qPrintable(button->objectName() + QLatin1Char(' ') + button->text() + QLatin1Char(' ') + text(at) +
                          QStringLiteral(" of ") + text(shown->rect())));
    }
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ScreenFitTest)
#include "ScreenFitTest.moc"
