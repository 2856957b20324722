// The plot window as a user drives it: F6 opens one window that follows the project, its
// figure (axis titles, legend, time axis, zoom, residuals at their place), the fit's band
// after an applied fit, and the pictures it exports and copies.

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <cmath>

#include "model/IsoprCalcConc.h"
#include "optimize/windows/LeastSquaresDialog.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/ErrorText.h"
#include "ui/PlotExport.h"
#include "ui/PlotExportBar.h"
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

Concentrations Solved(const KineticProject& project, Side side, Real t) {
  CoefficientSet set;
  if (!TryPrepareCoefficients(project.K, set)) qWarning("the constants cannot be evaluated");
  return CalcConc(set, side, t);
}

// A pixel of the colour (within the antialiasing's blending) in the square of `radius`
// around (x, y).
bool ColourNear(const QImage& image, double x, double y, const QColor& colour, int radius) {
  const int cx = static_cast<int>(std::lround(x));
  const int cy = static_cast<int>(std::lround(y));
  for (int py = cy - radius; py <= cy + radius; ++py) {
    for (int px = cx - radius; px <= cx + radius; ++px) {
      if (!image.valid(px, py)) continue;
      const QColor c = image.pixelColor(px, py);
      if (std::abs(c.red() - colour.red()) < 60 && std::abs(c.green() - colour.green()) < 60 &&
          std::abs(c.blue() - colour.blue()) < 60) {
        return true;
      }
    }
  }
  return false;
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
    f.ClickArrow(f.Stepper(1, 1), true);  // k1 one step up, computed on release
    const KineticProject& project = f.Window.Project();
    QCPGraph* curve = Graph(window, QStringLiteral("CurveLeftB"));
    QVERIFY(curve != nullptr);
    QCOMPARE(curve->dataCount(), kPlotSamples);
    for (const int i : {1, 500, kPlotSamples - 1}) {
      const double minutes = curve->data()->at(i)->key;
      const Concentrations c = Solved(project, Side::Left, static_cast<Real>(minutes) * 60);
      QVERIFY(std::fabs(curve->data()->at(i)->value - static_cast<double>(100 * c[2])) < 1e-9);
    }
    // The experiment the main window switches to is the one shown.
    f.Press(QKeyCombination(Qt::ControlModifier, Qt::Key_R));
    QVERIFY(Graph(window, QStringLiteral("CurveRightA")) != nullptr);
    QVERIFY(Graph(window, QStringLiteral("CurveLeftA")) == nullptr);
  }

  // Axis titles with units, one legend entry per species with the reactants' names, one
  // marker shape and colour per species; the time unit and the logarithmic axis.
  void AxesAndLegend() {
    MainWindowFixture& f = ShownWindow();
    TPlotWindow* window = OpenPlot(f);
    QVERIFY(window != nullptr);
    QCPAxisRect* curves = Rect(window, QStringLiteral("CurvesLeft"));
    QVERIFY(curves != nullptr);
    QCOMPARE(curves->axis(QCPAxis::atBottom)->label(), QStringLiteral("Time (min)"));
    QCOMPARE(curves->axis(QCPAxis::atLeft)->label(), QStringLiteral("Concentration (%)"));
    QCPLegend* legend = window->Plot().legend;
    QCOMPARE(legend->itemCount(), kSpeciesCount);
    QSet<int> shapes;
    QSet<QRgb> colours;
    for (int s = 1; s <= kSpeciesCount; ++s) {
      auto* item = qobject_cast<QCPPlottableLegendItem*>(legend->item(s - 1));
      QVERIFY(item != nullptr);
      const QString expected = s == 1   ? QStringLiteral("A (1,3,3-Trimethylcyclopropene)")
                               : s == 2 ? QStringLiteral("B (1-Isopropylcyclopropene)")
                                        : QString(QChar(u'A' + s - 1));
      QCOMPARE(item->plottable()->name(), expected);
      const QCPGraph* points = Graph(window, QStringLiteral("Points") + QStringLiteral("Left") + SpeciesLetter(s));
      QVERIFY(points != nullptr);
      shapes.insert(points->scatterStyle().shape());
      colours.insert(points->scatterStyle().pen().color().rgb());
    }
    QCOMPARE(shapes.size(), kSpeciesCount);
    QCOMPARE(colours.size(), kSpeciesCount);

    const Experiment& left = f.Window.Project().Left;
    const double last = left.Times[static_cast<std::size_t>(left.LastRow)];
    Find<QComboBox>(window, "TimeUnitBox")->setCurrentIndex(static_cast<int>(TimeUnit::Hours));
    curves = Rect(window, QStringLiteral("CurvesLeft"));
    QCOMPARE(curves->axis(QCPAxis::atBottom)->label(), QStringLiteral("Time (h)"));
    QCOMPARE(curves->axis(QCPAxis::atBottom)->range().upper, last * 1.04 / 3600);
    QTest::mouseClick(Find<QCheckBox>(window, "LogTimeBox"), Qt::LeftButton);
    curves = Rect(window, QStringLiteral("CurvesLeft"));
    QCOMPARE(curves->axis(QCPAxis::atBottom)->scaleType(), QCPAxis::stLogarithmic);
    QCOMPARE(curves->axis(QCPAxis::atBottom)->range().lower, left.Times[1] / 10.0 / 3600);

    QTest::mouseClick(Find<QCheckBox>(window, "ZoomBox"), Qt::LeftButton);
    Find<QDoubleSpinBox>(window, "ZoomHigh")->setValue(20);
    const QCPRange zoomed = Rect(window, QStringLiteral("CurvesLeft"))->axis(QCPAxis::atLeft)->range();
    QVERIFY(zoomed.lower < 0 && zoomed.lower > -1);
    QVERIFY(zoomed.upper > 20 && zoomed.upper < 21);

    Find<QComboBox>(window, "ExperimentBox")->setCurrentIndex(static_cast<int>(PlotExperiments::Both));
    QVERIFY(Rect(window, QStringLiteral("CurvesLeft")) != nullptr);
    QVERIFY(Rect(window, QStringLiteral("CurvesRight")) != nullptr);
  }

  // The residual panel draws observed - calculated of a row where it belongs (and not at
  // its negative), with a zero line; the time is read under the residuals only.
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

    // The row of B (blue) with the largest residual, from the solver.
    const KineticProject& project = f.Window.Project();
    const Experiment& right = project.Right;
    int row = 1;
    double residual = 0;
    for (int j = 1; j <= right.LastRow; ++j) {
      const auto t = static_cast<Real>(right.Times[static_cast<std::size_t>(j)]);
      const double r = static_cast<double>(
          100 * (right.Observed[static_cast<std::size_t>(j)][2] - Solved(project, Side::Right, t)[2]));
      if (std::fabs(r) > std::fabs(residual)) {
        row = j;
        residual = r;
      }
    }
    const double minutes = right.Times[static_cast<std::size_t>(row)] / 60.0;
    const QCPGraph* points = Graph(window, QStringLiteral("ResidualRightB"));
    QVERIFY(points != nullptr);
    QCOMPARE(points->dataCount(), right.LastRow);
    QVERIFY(std::fabs(points->data()->at(row - 1)->key - minutes) < 1e-12);
    QVERIFY(std::fabs(points->data()->at(row - 1)->value - residual) < 1e-9);

    // Drawn at the window's size and 96 dpi, the picture is the window's layout.
    QCustomPlot& plot = window->Plot();
    const QImage image = RenderPlotImage(plot, {plot.width(), plot.height(), 96});
    QCPAxis* time = residuals->axis(QCPAxis::atBottom);
    QCPAxis* value = residuals->axis(QCPAxis::atLeft);
    const double x = time->coordToPixel(minutes);
    const double y = value->coordToPixel(residual);
    const double mirrored = value->coordToPixel(-residual);
    QVERIFY2(std::fabs(y - mirrored) > 12, "the residual is too small to tell its sign");
    QVERIFY(ColourNear(image, x, y, PlotSpeciesColor(2), 5));
    QVERIFY(!ColourNear(image, x, mirrored, PlotSpeciesColor(2), 3));
    QVERIFY(ColourNear(image, x + 12, value->coordToPixel(0), Qt::black, 1));
  }

  // The band can be shown only after a fit whose constants the project holds: not before
  // "Apply", not after a constant changes again.
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
    QSignalSpy ended(fit, &TLeastSquaresFit::FitEnded);
    QTest::mouseClick(Find<QPushButton>(fit, "FitButton"), Qt::LeftButton);
    QVERIFY(ended.wait(kFitTimeout) || ended.count() > 0);
    QVERIFY(!band->isEnabled());
    QVERIFY(Graph(window, QStringLiteral("BandLeftA")) == nullptr);
    QTest::mouseClick(Find<QPushButton>(fit, "ApplyButton"), Qt::LeftButton);
    QVERIFY(band->isEnabled());
    QVERIFY(band->isChecked());
    const QCPGraph* upper = Graph(window, QStringLiteral("BandLeftA"));
    const QCPGraph* curve = Graph(window, QStringLiteral("CurveLeftA"));
    QVERIFY(upper != nullptr && curve != nullptr);
    QCOMPARE(upper->dataCount(), curve->dataCount());
    const int middle = curve->dataCount() / 2;
    QVERIFY(upper->data()->at(middle)->value > curve->data()->at(middle)->value);
    QTest::mouseClick(band, Qt::LeftButton);
    QVERIFY(Graph(window, QStringLiteral("BandLeftA")) == nullptr);
    QTest::mouseClick(band, Qt::LeftButton);

    QVERIFY(BackToMainWindow(f));
    f.ClickArrow(f.Stepper(1, 1), true);
    QVERIFY(!band->isEnabled());
    QVERIFY(Graph(window, QStringLiteral("BandLeftA")) == nullptr);
  }

  // PNG of the chosen pixels and resolution, SVG whose axis titles are text, PDF; a name
  // of another kind is refused and the file stays.
  void ExportsPngSvgAndPdf() {
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
    if (const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext")); !pdftotext.isEmpty()) {
      QProcess process;
      process.start(pdftotext, {pdfPath, QStringLiteral("-")});
      QVERIFY(process.waitForFinished());
      const QByteArray text = process.readAllStandardOutput();
      QVERIFY(text.contains("Concentration (%)"));
      QVERIFY(text.contains("Time (min)"));
    }
    QVERIFY(f.Platform.Messages.empty());

    const QString gif = folder.filePath(QStringLiteral("plot.gif"));
    QFile old(gif);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    exportTo(QStringLiteral("plot.gif"));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});
    QCOMPARE(f.Platform.Messages.back().Text,
             QStringLiteral("Datei %1 kann nicht erstellt werden: the name must end in .png, .svg or .pdf.").arg(gif));
    QCOMPARE(ReadAll(gif), QByteArray("old"));

    // Cancelled: nothing written, nothing said.
    f.Platform.FileAnswers.push_back(std::nullopt);
    QTest::mouseClick(exportButton, Qt::LeftButton);
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});
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

  void CopyPutsThePictureOnTheClipboard() {
    MainWindowFixture& f = ShownWindow();
    TPlotWindow* window = OpenPlot(f);
    QVERIFY(window != nullptr);
    Find<QSpinBox>(window, "PictureWidth")->setValue(640);
    Find<QSpinBox>(window, "PictureHeight")->setValue(480);
    Find<QSpinBox>(window, "PictureDpi")->setValue(96);
    QTest::mouseClick(Find<QPushButton>(window, "CopyButton"), Qt::LeftButton);
    QCOMPARE(f.Platform.ClipboardImage.size(), QSize(640, 480));
    QCOMPARE(f.Platform.ClipboardImage.pixel(0, 0), qRgb(255, 255, 255));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::PlotWindowTest)
#include "PlotWindowTest.moc"
