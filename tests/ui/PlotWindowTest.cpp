// The plot window's wiring. The numbers drawn are the plot data's, tested with the core; the
// picture formats are tested through zamo-cli's plot.

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "optimize/windows/LeastSquaresDialog.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/PlotFigure.h"
#include "ui/PlotWindow.h"

namespace zamo::testing {

class PlotWindowTest : public WindowTestCase {
  Q_OBJECT

  TPlotWindow* window_ = nullptr;

  [[nodiscard]] bool Open(MainWindowFixture& f) {
    f.Press(Qt::Key_F6);
    window_ = f.Window.PlotWindow();
    return window_ != nullptr && QTest::qWaitForWindowExposed(window_);
  }
  template <typename Control>
  Control* Find(const char* name) const {
    return window_->findChild<Control*>(QLatin1String(name));
  }
  QCPAxis* Axis(const char* rect, QCPAxis::AxisType type) const {
    return window_->Plot().findChild<QCPAxisRect*>(QLatin1String(rect))->axis(type);
  }
  QCPGraph* Graph(const char* name) const { return window_->Plot().findChild<QCPGraph*>(QLatin1String(name)); }

 private slots:
  // F6 and the context menu open one window, titled after the project, that draws the changed
  // constants and the experiment the main window switches to at once.
  void OneWindowFollowsTheProject() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(Open(f));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Plot - TMCP-ICP Kinetic System"));
    QVERIFY(BackToMainWindow(f));
    f.Press(Qt::Key_F6);
    f.Window.findChild<QAction*>(QStringLiteral("PopupPlot"))->trigger();
    QCOMPARE(f.Window.PlotWindow(), window_);
    QVERIFY(BackToMainWindow(f));
    QCOMPARE(Graph("CurveLeftB")->dataCount(), kPlotSamples);
    const double before = Graph("CurveLeftB")->data()->at(500)->value;
    f.ClickArrow(f.Stepper(1, 1), true);  // k1 one step up, computed on release
    QVERIFY(Graph("CurveLeftB")->data()->at(500)->value != before);
    f.Press(QKeyCombination(Qt::ControlModifier, Qt::Key_R));
    QVERIFY(Graph("CurveRightA") != nullptr && Graph("CurveLeftA") == nullptr);
  }

  // The legend names the reactants; the time unit, logarithmic time, zoom and experiments reach
  // the figure; the residual panel draws observed - calculated (not its negative) of each row;
  // the chosen pixels and resolution reach the exported and the copied picture; a name the
  // writer refuses shows its text; Cancel writes and says nothing.
  void ChoicesReachTheFigureAndThePicture() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(Open(f));
    QCOMPARE(window_->Plot().legend->itemCount(), kSpeciesCount);
    auto* item = qobject_cast<QCPPlottableLegendItem*>(window_->Plot().legend->item(1));
    QCOMPARE(item->plottable()->name(), QStringLiteral("B (1-Isopropylcyclopropene)"));
    Find<QComboBox>("TimeUnitBox")->setCurrentIndex(static_cast<int>(TimeUnit::Hours));
    QCOMPARE(Axis("CurvesLeft", QCPAxis::atBottom)->label(), QStringLiteral("Time (h)"));
    QTest::mouseClick(Find<QCheckBox>("LogTimeBox"), Qt::LeftButton);
    QCOMPARE(Axis("CurvesLeft", QCPAxis::atBottom)->scaleType(), QCPAxis::stLogarithmic);
    QTest::mouseClick(Find<QCheckBox>("ZoomBox"), Qt::LeftButton);
    Find<QDoubleSpinBox>("ZoomHigh")->setValue(20);
    QVERIFY(Axis("CurvesLeft", QCPAxis::atLeft)->range().upper < 21);
    Find<QComboBox>("ExperimentBox")->setCurrentIndex(static_cast<int>(PlotExperiments::Right));
    QTest::mouseClick(Find<QCheckBox>("ResidualsBox"), Qt::LeftButton);
    QCOMPARE(Axis("ResidualsRight", QCPAxis::atBottom)->label(), QStringLiteral("Time (h)"));
    QCOMPARE(Axis("CurvesRight", QCPAxis::atBottom)->label(), QString());
    const std::vector<PlotRow>& rows = window_->Data().Experiments.at(0).Rows;
    const std::size_t row = 3;
    QVERIFY(std::fabs(rows[row].Residual[2]) > 0.01);  // its sign shows
    const auto point = Graph("ResidualRightB")->data()->at(static_cast<int>(row));
    QCOMPARE(point->key, static_cast<double>(rows[row].Time / 3600));
    QCOMPARE(point->value, static_cast<double>(rows[row].Residual[2]));
    QTemporaryDir folder;
    Find<QSpinBox>("PictureWidth")->setValue(1000);
    Find<QSpinBox>("PictureHeight")->setValue(750);
    Find<QSpinBox>("PictureDpi")->setValue(150);
    f.Platform.FileAnswers = {folder.filePath(QStringLiteral("plot.png")), folder.filePath(QStringLiteral("plot.gif")),
                              std::nullopt};
    for (int n = 0; n < 3; ++n) QTest::mouseClick(Find<QPushButton>("ExportButton"), Qt::LeftButton);
    const QImage png(folder.filePath(QStringLiteral("plot.png")));
    QVERIFY(png.size() == QSize(1000, 750) && png.dotsPerMeterX() == 5906);  // 150 dpi
    QVERIFY(f.Platform.OneMessage().endsWith(QStringLiteral("the name must end in .png, .svg or .pdf.")));
    QTest::mouseClick(Find<QPushButton>("CopyButton"), Qt::LeftButton);
    QCOMPARE(f.Platform.ClipboardImage.size(), QSize(1000, 750));
  }

  // The band can be shown only after a fit whose constants the project holds: not before
  // "Apply", not after a constant changes again (when it belongs is the plot data's rule).
  void BandAppearsAfterAnAppliedFit() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(Open(f));
    auto* band = Find<QCheckBox>("BandBox");
    QVERIFY(!band->isEnabled() && BackToMainWindow(f));
    f.Press(Qt::Key_F9);
    TLeastSquaresFit* fit = f.Window.FitDialog();
    QVERIFY(fit != nullptr && QTest::qWaitForWindowExposed(fit));
    for (int i = 2; i <= kRateConstantCount; ++i) {  // k1 alone free, for a short fit
      if (auto* free = fit->findChild<QCheckBox*>(QStringLiteral("Free%1").arg(i)); free->isChecked()) free->click();
    }
    QSignalSpy ended(fit, &TLeastSquaresFit::FitEnded);
    QTest::mouseClick(fit->findChild<QPushButton*>(QStringLiteral("FitButton")), Qt::LeftButton);
    QVERIFY(ended.wait(60000) || ended.count() > 0);
    QVERIFY(!band->isEnabled() && Graph("BandLeftA") == nullptr);
    QTest::mouseClick(fit->findChild<QPushButton*>(QStringLiteral("ApplyButton")), Qt::LeftButton);
    QVERIFY(band->isEnabled() && band->isChecked() && Graph("BandLeftA") != nullptr);
    QTest::mouseClick(band, Qt::LeftButton);
    QVERIFY(Graph("BandLeftA") == nullptr);
    QTest::mouseClick(band, Qt::LeftButton);
    QVERIFY(BackToMainWindow(f));
    f.ClickArrow(f.Stepper(1, 1), true);
    QVERIFY(!band->isEnabled() && Graph("BandLeftA") == nullptr);
  }

  // The curves of a zoomed figure are cut to the axis rectangle in their data (an SVG drawing
  // keeps no clip path, so that a curve would run over the titles): every point lies inside,
  // and the curves that leave the range end on its edge.
  void CurvesOfAZoomedFigureStayInsideTheirFrame() {
    MainWindowFixture& f = ShownWindow();
    PlotOptions options;
    options.Range = ConcentrationRange{0, 10};
    QCustomPlot plot;
    DrawPlotFigure(plot, BuildPlotData(f.Window.Project(), options, nullptr), options);
    const QCPAxisRect* rect = plot.findChild<QCPAxisRect*>(QStringLiteral("CurvesLeft"));
    const QCPRange keys = rect->axis(QCPAxis::atBottom)->range();
    const QCPRange values = rect->axis(QCPAxis::atLeft)->range();
    QVERIFY(values.upper < 11);
    int onTheEdge = 0;
    for (int s = 1; s <= kSpeciesCount; ++s) {
      const QCPGraph* curve = plot.findChild<QCPGraph*>(QStringLiteral("CurveLeft") + SpeciesLetter(s));
      for (const QCPGraphData& point : *curve->data()) {
        if (std::isnan(point.value)) continue;
        QVERIFY2(keys.contains(point.key) && values.contains(point.value), qPrintable(QString::number(point.value)));
        onTheEdge += point.value == values.upper ? 1 : 0;
      }
    }
    QVERIFY(onTheEdge > 0);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::PlotWindowTest)
#include "PlotWindowTest.moc"
