// The plot window as a user drives it: F6 opens one window that follows the project, its
// figure (axis titles, legend, time axis, zoom, residuals at their place), the fit's band
// after an applied fit, and the pictures it exports and copies. The numbers drawn are the
// plot data's, tested with the core.

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <cmath>

#include "optimize/windows/LeastSquaresDialog.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/PlotExport.h"
#include "ui/PlotFigure.h"
#include "ui/PlotWindow.h"
#include "ui/SpeciesColors.h"

namespace zamo::testing {

namespace {

constexpr int kFitTimeout = 60000;

template <typename Control>
Control* Find(QWidget* window, const char* name) {
  auto* control = window->findChild<Control*>(QLatin1String(name));
  if (control == nullptr) qWarning("no control %s", name);
  return control;
}

// F6 and the window it opens, exposed.
[[nodiscard]] TPlotWindow* OpenPlot(MainWindowFixture& f) {
  f.Press(Qt::Key_F6);
  TPlotWindow* window = f.Window.PlotWindow();
  if (window == nullptr || !QTest::qWaitForWindowExposed(window)) return nullptr;
  return window;
}

QCPAxisRect* Rect(TPlotWindow* window, const QString& name) { return window->Plot().findChild<QCPAxisRect*>(name); }

QCPGraph* Graph(TPlotWindow* window, const QString& name) {
  QCustomPlot& plot = window->Plot();
  for (int i = 0; i < plot.graphCount(); ++i) {
    if (plot.graph(i)->objectName() == name) return plot.graph(i);
  }
  return nullptr;
}

// The points of the curves (the lines drawn with the curves' pen) in an SVG drawing, where
// each element's coordinates pass through the transforms of its groups.
QList<QPointF> CurvePointsOfSvg(const QByteArray& svg, const QString& curveWidth) {
  QList<QPointF> points;
  QXmlStreamReader xml(svg);
  QList<std::pair<QTransform, bool>> groups{{QTransform(), false}};
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == u"g") groups.removeLast();
    if (!xml.isStartElement()) continue;
    const QXmlStreamAttributes attributes = xml.attributes();
    if (xml.name() == u"g") {
      QTransform transform = groups.back().first;
      const QString matrix = attributes.value(QLatin1String("transform")).toString();
      if (matrix.startsWith(QStringLiteral("matrix("))) {
        const QStringList m = matrix.mid(7).chopped(1).split(QLatin1Char(','));
        transform = QTransform(m[0].toDouble(), m[1].toDouble(), m[2].toDouble(), m[3].toDouble(), m[4].toDouble(),
                               m[5].toDouble()) *
                    transform;
      }
      const bool curve = attributes.hasAttribute(QLatin1String("stroke-width"))
                             ? attributes.value(QLatin1String("stroke-width")) == curveWidth
                             : groups.back().second;
      groups.append({transform, curve});
    } else if (groups.back().second && (xml.name() == u"polyline" || xml.name() == u"path")) {
      // "x,y x,y ..." or "M x,y L x,y ...": every pair of numbers is a point.
      static const QRegularExpression number(QStringLiteral("-?[0-9.]+(?:e-?[0-9]+)?"));
      QList<double> values;
      const QString text = attributes.value(QLatin1String(xml.name() == u"path" ? "d" : "points")).toString();
      for (const QRegularExpressionMatch& match : number.globalMatch(text)) values.append(match.captured().toDouble());
      for (qsizetype i = 0; i + 1 < values.size(); i += 2) {
        points.append(groups.back().first.map(QPointF(values[i], values[i + 1])));
      }
    }
  }
  return points;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class PlotWindowTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // F6 and the context menu open one window, titled after the project, that draws the
  // changed constants at once.
  void OneWindowFollowsTheProject() {
    MainWindowFixture& f = ShownWindow();
    TPlotWindow* window = OpenPlot(f);
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), QStringLiteral("Plot - TMCP-ICP Kinetic System"));
    QVERIFY(BackToMainWindow(f));
    f.Press(Qt::Key_F6);
    QCOMPARE(f.Window.PlotWindow(), window);
    f.Window.findChild<QAction*>(QStringLiteral("PopupPlot"))->trigger();
    QCOMPARE(f.Window.PlotWindow(), window);

    QVERIFY(BackToMainWindow(f));
    QCPGraph* curve = Graph(window, QStringLiteral("CurveLeftB"));
    QVERIFY(curve != nullptr);
    QCOMPARE(curve->dataCount(), kPlotSamples);
    const double before = curve->data()->at(500)->value;
    f.ClickArrow(f.Stepper(1, 1), true);  // k1 one step up, computed on release
    curve = Graph(window, QStringLiteral("CurveLeftB"));
    QVERIFY(curve->data()->at(500)->value != before);
    // The experiment the main window switches to is the one shown.
    f.Press(QKeyCombination(Qt::ControlModifier, Qt::Key_R));
    QVERIFY(Graph(window, QStringLiteral("CurveRightA")) != nullptr);
    QVERIFY(Graph(window, QStringLiteral("CurveLeftA")) == nullptr);
  }

  // Axis titles with units, one legend entry per species with the reactants' names, one
  // marker shape per species; the choices of the window reach the figure.
  void AxesLegendAndChoices() {
    MainWindowFixture& f = ShownWindow();
    TPlotWindow* window = OpenPlot(f);
    QVERIFY(window != nullptr);
    const auto axis = [window](QCPAxis::AxisType type) {
      return Rect(window, QStringLiteral("CurvesLeft"))->axis(type);
    };
    QCOMPARE(axis(QCPAxis::atBottom)->label(), QStringLiteral("Time (min)"));
    QCOMPARE(axis(QCPAxis::atLeft)->label(), QStringLiteral("Concentration (%)"));
    QCPLegend* legend = window->Plot().legend;
    QCOMPARE(legend->itemCount(), kSpeciesCount);
    const auto name = [legend](int i) {
      return qobject_cast<QCPPlottableLegendItem*>(legend->item(i))->plottable()->name();
    };
    QCOMPARE(name(0), QStringLiteral("A (1,3,3-Trimethylcyclopropene)"));
    QCOMPARE(name(1), QStringLiteral("B (1-Isopropylcyclopropene)"));
    QCOMPARE(name(2), QStringLiteral("C"));
    QSet<int> shapes;
    for (int s = 1; s <= kSpeciesCount; ++s) {
      shapes.insert(Graph(window, QStringLiteral("PointsLeft") + SpeciesLetter(s))->scatterStyle().shape());
    }
    QCOMPARE(shapes.size(), kSpeciesCount);

    Find<QComboBox>(window, "TimeUnitBox")->setCurrentIndex(static_cast<int>(TimeUnit::Hours));
    QCOMPARE(axis(QCPAxis::atBottom)->label(), QStringLiteral("Time (h)"));
    QTest::mouseClick(Find<QCheckBox>(window, "LogTimeBox"), Qt::LeftButton);
    QCOMPARE(axis(QCPAxis::atBottom)->scaleType(), QCPAxis::stLogarithmic);
    QTest::mouseClick(Find<QCheckBox>(window, "ZoomBox"), Qt::LeftButton);
    Find<QDoubleSpinBox>(window, "ZoomHigh")->setValue(20);
    QVERIFY(axis(QCPAxis::atLeft)->range().upper < 21);
    Find<QComboBox>(window, "ExperimentBox")->setCurrentIndex(static_cast<int>(PlotExperiments::Both));
    QVERIFY(Rect(window, QStringLiteral("CurvesRight")) != nullptr);
  }

  // The residual panel draws observed - calculated of each row (not its negative), with a
  // zero line; the time is read under the residuals only.
  void ResidualOfAKnownRowAtItsPlace() {
    MainWindowFixture& f = ShownWindow();
    TPlotWindow* window = OpenPlot(f);
    QVERIFY(window != nullptr);
    Find<QComboBox>(window, "ExperimentBox")->setCurrentIndex(static_cast<int>(PlotExperiments::Right));
    QTest::mouseClick(Find<QCheckBox>(window, "ResidualsBox"), Qt::LeftButton);
    QCPAxisRect* residuals = Rect(window, QStringLiteral("ResidualsRight"));
    QVERIFY(residuals != nullptr);
    QCOMPARE(residuals->axis(QCPAxis::atLeft)->label(), QStringLiteral("Obs. \u2212 calc. (pp)"));
    QCOMPARE(residuals->axis(QCPAxis::atBottom)->label(), QStringLiteral("Time (min)"));
    QCOMPARE(Rect(window, QStringLiteral("CurvesRight"))->axis(QCPAxis::atBottom)->label(), QString());
    QVERIFY(window->Plot().findChild<QCPItemStraightLine*>(QStringLiteral("ZeroRight")) != nullptr);

    // The row of B with the largest residual, whose sign shows.
    const std::vector<PlotRow>& rows = window->Data().Experiments.at(0).Rows;
    std::size_t row = 0;
    for (std::size_t j = 0; j < rows.size(); ++j) {
      if (std::fabs(rows[j].Residual[2]) > std::fabs(rows[row].Residual[2])) row = j;
    }
    const auto minutes = static_cast<double>(rows[row].Time / 60);
    const auto residual = static_cast<double>(rows[row].Residual[2]);
    const QCPGraph* points = Graph(window, QStringLiteral("ResidualRightB"));
    QVERIFY(points != nullptr);
    QCOMPARE(points->dataCount(), static_cast<int>(rows.size()));
    QCOMPARE(points->data()->at(static_cast<int>(row))->key, minutes);
    QCOMPARE(points->data()->at(static_cast<int>(row))->value, residual);
  }

  // The band can be shown only after a fit whose constants the project holds: not before
  // "Apply", not after a constant changes again (when it belongs is the plot data's rule).
  void BandAppearsAfterAnAppliedFit() {
    MainWindowFixture& f = ShownWindow();
    TPlotWindow* window = OpenPlot(f);
    QVERIFY(window != nullptr);
    auto* band = Find<QCheckBox>(window, "BandBox");
    QVERIFY(!band->isEnabled());
    QVERIFY(BackToMainWindow(f));
    f.Press(Qt::Key_F9);
    TLeastSquaresFit* fit = f.Window.FitDialog();
    QVERIFY(fit != nullptr && QTest::qWaitForWindowExposed(fit));
    // k1 alone is free, for a short fit.
    for (int i = 1; i <= kRateConstantCount; ++i) {
      auto* free = fit->findChild<QCheckBox*>(QStringLiteral("Free%1").arg(i));
      if (free->isChecked() != (i == 1)) free->click();
    }
    QSignalSpy ended(fit, &TLeastSquaresFit::FitEnded);
    QTest::mouseClick(Find<QPushButton>(fit, "FitButton"), Qt::LeftButton);
    QVERIFY(ended.wait(kFitTimeout) || ended.count() > 0);
    QVERIFY(!band->isEnabled());
    QVERIFY(Graph(window, QStringLiteral("BandLeftA")) == nullptr);
    QTest::mouseClick(Find<QPushButton>(fit, "ApplyButton"), Qt::LeftButton);
    QVERIFY(band->isEnabled() && band->isChecked());
    QVERIFY(Graph(window, QStringLiteral("BandLeftA")) != nullptr);
    QTest::mouseClick(band, Qt::LeftButton);
    QVERIFY(Graph(window, QStringLiteral("BandLeftA")) == nullptr);
    QTest::mouseClick(band, Qt::LeftButton);

    QVERIFY(BackToMainWindow(f));
    f.ClickArrow(f.Stepper(1, 1), true);
    QVERIFY(!band->isEnabled());
    QVERIFY(Graph(window, QStringLiteral("BandLeftA")) == nullptr);
  }

  // PNG of the chosen pixels and resolution, SVG whose axis titles are text, PDF; a name
  // of another kind is refused and the file stays. Copy puts the picture on the clipboard.
  void ExportsPngSvgAndPdfAndCopies() {
    MainWindowFixture& f = ShownWindow();
    TPlotWindow* window = OpenPlot(f);
    QVERIFY(window != nullptr);
    QTemporaryDir folder;
    Find<QSpinBox>(window, "PictureWidth")->setValue(1000);
    Find<QSpinBox>(window, "PictureHeight")->setValue(750);
    Find<QSpinBox>(window, "PictureDpi")->setValue(150);
    auto* exportButton = Find<QPushButton>(window, "ExportButton");
    const auto exportTo = [&](const QString& name) {
      f.Platform.FileAnswers.push_back(folder.filePath(name));
      QTest::mouseClick(exportButton, Qt::LeftButton);
      return folder.filePath(name);
    };

    const QImage png(exportTo(QStringLiteral("plot.png")));
    QCOMPARE(f.Platform.FileDialogs.back().Title, QStringLiteral("Export Plot"));
    QCOMPARE(png.size(), QSize(1000, 750));
    QCOMPARE(png.dotsPerMeterX(), 5906);  // 150 dpi
    // Drawn, not blank: the red curve of A is on it.
    int red = 0;
    for (int y = 0; y < png.height(); y += 2) {
      for (int x = 0; x < png.width(); x += 2) red += png.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
    }
    QVERIFY(red > 50);

    const QByteArray svg = ReadAll(exportTo(QStringLiteral("plot.svg")));
    QVERIFY(svg.contains("<svg"));
    for (const char* title : {"Time (min)", "Concentration (%)", "B (1-Isopropylcyclopropene)"}) {
      const qsizetype at = svg.indexOf(title);
      QVERIFY2(at > 0, title);
      QVERIFY2(svg.lastIndexOf("<text", at) > svg.lastIndexOf("</text>", at), title);
    }

    const QString pdfPath = exportTo(QStringLiteral("plot.pdf"));
    QVERIFY(ReadAll(pdfPath).startsWith("%PDF-"));
    QVERIFY(f.Platform.Messages.empty());

    const QString gif = folder.filePath(QStringLiteral("plot.gif"));
    QFile old(gif);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    exportTo(QStringLiteral("plot.gif"));
    QCOMPARE(f.Platform.OneMessage(),
             QStringLiteral("Datei %1 kann nicht erstellt werden: the name must end in .png, .svg or .pdf.").arg(gif));
    QCOMPARE(ReadAll(gif), QByteArray("old"));

    // Cancelled: nothing written, nothing said.
    f.Platform.FileAnswers.push_back(std::nullopt);
    QTest::mouseClick(exportButton, Qt::LeftButton);
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});

    QTest::mouseClick(Find<QPushButton>(window, "CopyButton"), Qt::LeftButton);
    QCOMPARE(f.Platform.ClipboardImage.size(), QSize(1000, 750));
  }

  // An SVG drawing keeps no clip path: the curves of a zoomed figure are cut to the axis
  // rectangle before they are drawn, so that none runs over the titles.
  void SvgOfAZoomedPlotStaysInsideItsFrame() {
    MainWindowFixture& f = ShownWindow();
    PlotOptions options;
    options.Range = ConcentrationRange{0, 10};
    QCustomPlot plot;
    plot.resize(640, 480);
    DrawPlotFigure(plot, BuildPlotData(f.Window.Project(), options, nullptr), options);
    plot.replot();
    const QRectF frame =
        QRectF(plot.findChild<QCPAxisRect*>(QStringLiteral("CurvesLeft"))->rect()).adjusted(-1, -1, 1, 1);
    const QRectF legend = plot.legend->outerRect();
    const QList<QPointF> points =
        CurvePointsOfSvg(EncodePlot(plot, PictureFormat::Svg, {640, 480, 96}), QStringLiteral("1.6"));
    QVERIFY(points.size() > 100);
    for (const QPointF& point : points) {
      QVERIFY2(frame.contains(point) || legend.contains(point),
               qPrintable(QStringLiteral("%1, %2").arg(point.x()).arg(point.y())));
    }
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::PlotWindowTest)
#include "PlotWindowTest.moc"
