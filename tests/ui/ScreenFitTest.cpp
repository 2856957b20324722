// Every window on a laptop's screen (1366 x 768 pixels, and 1920 x 1080 at a scale factor of 2): it
// opens within the available area, and each button lies within it or within an area that scrolls.

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <algorithm>

#include "tests/ui/MainWindowFixture.h"

namespace zamo::testing {

// Inside a scrolling area (a table's cells and corner, a scrolled panel), a control is reached.
bool Scrolls(const QWidget* control, const QWidget* window) {
  for (const QWidget* w = control->parentWidget(); w != nullptr && w != window; w = w->parentWidget()) {
    if (qobject_cast<const QAbstractScrollArea*>(w) != nullptr) return true;
  }
  return false;
}

class ScreenFitTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  void EveryWindowFitsTheScreen_data() {
    QTest::addColumn<QString>("command");  // "-" for the main window itself
    QTest::addColumn<QString>("window");
    const QStringList rows =
        QStringLiteral(
            "- FZamo Plot1 PlotWindow LeastSquaresFit1 LeastSquaresFit TemperatureSeries1 SeriesWindow "
            "ModelSelection1 ModelSelection Import1 NewFileForm FullOutput1 OutPutForm ZamoData1 EditForm "
            "OptimizeRateConstants1 OptRate KineticSystem1 ShowKinSysForm Help1 HelpWindow About1 AboutBox")
            .split(QLatin1Char(' '));
    for (qsizetype n = 0; n < rows.size(); n += 2) QTest::newRow(qPrintable(rows[n + 1])) << rows[n] << rows[n + 1];
  }
  void EveryWindowFitsTheScreen() {
    QFETCH(QString, command);
    QFETCH(QString, window);
    MainWindowFixture& f = ShownWindow();
    if (command != QLatin1String("-")) f.Item(command)->trigger();
    const auto open = [&window] {
      const QWidgetList all = QApplication::topLevelWidgets();
      const auto at = std::ranges::find_if(all, [&](auto* w) { return w->objectName() == window && w->isVisible(); });
      return at != all.end() ? *at : nullptr;
    };
    QTRY_VERIFY(open() != nullptr);
    QWidget* shown = open();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QRect available = shown->screen()->availableGeometry();
    QCOMPARE(available.united(shown->frameGeometry()), available);  // shows both when it does not contain it
    for (const QAbstractButton* button : shown->findChildren<QAbstractButton*>()) {
      if (!button->isVisibleTo(shown) || Scrolls(button, shown)) continue;
      const QRect at(button->mapTo(shown, QPoint(0, 0)), button->size());
      QVERIFY2(shown->rect().contains(at), qPrintable(button->objectName()));
    }
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::ScreenFitTest)
#include "ScreenFitTest.moc"
