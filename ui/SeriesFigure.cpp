#include "ui/SeriesFigure.h"

#include <qcustomplot.h>

#include <QVector>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "ui/FigureStyle.h"
#include "ui/PlotExport.h"

namespace zamo {

namespace {

constexpr double kLineWidth = kFigureLineWidth;
constexpr double kErrorWhisker = 6;
// The axes reach this fraction of their span beyond what is drawn.
constexpr double kMargin = 0.06;
constexpr int kLegendColumns = 6;

// Hues far apart, each dark enough for a thin line on white.
constexpr std::array<QRgb, 16> kPathwayColors = {
    0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd, 0xff7f0e, 0x8c564b, 0xe377c2, 0x17becf,
    0x7f7f7f, 0xbcbd22, 0x393b79, 0x843c39, 0x637939, 0x7b4173, 0xad494a, 0x3182bd,
};

constexpr std::array<QCPScatterStyle::ScatterShape, 8> kShapes = {
    QCPScatterStyle::ssCircle,  QCPScatterStyle::ssSquare, QCPScatterStyle::ssTriangle,
    QCPScatterStyle::ssDiamond, QCPScatterStyle::ssCross,  QCPScatterStyle::ssTriangleInverted,
    QCPScatterStyle::ssPlus,    QCPScatterStyle::ssStar,
};

QString Name(const char* kind, int index) {
  return QString::fromLatin1(kind) + QStringLiteral(" k") + QString::number(index);
}

QCPGraph* AddGraph(QCustomPlot& plot, const QString& name) {
  QCPGraph* graph = plot.addGraph();
  graph->setObjectName(name);
  graph->setName(name);
  graph->setAntialiased(true);
  graph->setAntialiasedScatters(true);
  return graph;
}

// A key-less graph that only stands in the legend for a line style.
void AddStyleEntry(QCustomPlot& plot, const QString& name, Qt::PenStyle style) {
  QCPGraph* graph = AddGraph(plot, name);
  graph->setPen(QPen(Qt::black, kLineWidth, style));
  graph->addToLegend(plot.legend);
}

void Extend(std::array<double, 2>& range, double value) {
  if (!std::isfinite(value)) return;
  range[0] = std::min(range[0], value);
  range[1] = std::max(range[1], value);
}

void SetPaddedRange(QCPAxis* axis, std::array<double, 2> range) {
  if (!(range[0] <= range[1])) range = {0, 1};
  const double span = range[1] - range[0];
  const double pad = span > 0 ? span * kMargin : std::max(0.5, std::fabs(range[0]) * kMargin);
  axis->setRange(range[0] - pad, range[1] + pad);
}

}  // namespace

QString SeriesXAxisTitle() { return QStringLiteral("1000 K / T"); }

QString SeriesYAxisTitle(SeriesPlotKind kind) {
  return kind == SeriesPlotKind::Arrhenius ? QStringLiteral("ln(k / s\u207B\u00B9)")
                                           : QStringLiteral("ln(k T\u207B\u00B9 / s\u207B\u00B9 K\u207B\u00B9)");
}

QColor PathwayColor(int index) {
  return QColor(kPathwayColors[static_cast<std::size_t>((index - 1) % static_cast<int>(kPathwayColors.size()))]);
}

void DrawSeriesFigure(QCustomPlot& plot, const SeriesPlotData& data, const QString& title) {
  plot.clearPlottables();
  plot.clearItems();
  // The layout keeps its one axis rect; the title and the legend are laid out anew.
  QCPLayoutGrid* layout = plot.plotLayout();
  if (plot.legend->layout() != nullptr) plot.legend->layout()->take(plot.legend);
  plot.legend->clearItems();
  for (int n = layout->elementCount() - 1; n >= 0; --n) {
    if (qobject_cast<QCPTextElement*>(layout->elementAt(n)) != nullptr) layout->removeAt(n);
  }
  layout->simplify();
  plot.setAutoAddPlottableToLegend(false);
  plot.setAntialiasedElements(QCP::aeAll);
  plot.setBackground(Qt::white);

  layout->insertRow(0);
  layout->addElement(0, 0, new QCPTextElement(&plot, title, FigureFont(kFigureTitlePixels, true)));

  // The legend below the plot, in rows of a few entries, so that it never hides a point.
  QCPLegend* legend = plot.legend;
  StyleFigureLegend(legend, kLegendColumns);

  QCPAxis* x = plot.xAxis;
  QCPAxis* y = plot.yAxis;
  StyleFigureAxis(x, SeriesXAxisTitle());
  StyleFigureAxis(y, SeriesYAxisTitle(data.Kind));

  std::array<double, 2> xRange = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  std::array<double, 2> yRange = xRange;
  Extend(xRange, static_cast<double>(data.XMin));
  Extend(xRange, static_cast<double>(data.XMax));
  bool twoStage = false;
  bool global = false;

  for (const SeriesPlotPathway& pathway : data.Pathways) {
    const QColor color = PathwayColor(pathway.Index);
    QVector<double> keys;
    QVector<double> values;
    QVector<double> errors;
    // The graph keeps its data sorted by key, and the error bars go by the data's index.
    std::vector<SeriesPlotPoint> sorted = pathway.Points;
    std::sort(sorted.begin(), sorted.end(),
              [](const SeriesPlotPoint& a, const SeriesPlotPoint& b) { return a.X < b.X; });
    for (const SeriesPlotPoint& point : sorted) {
      const double error = std::isfinite(point.YError) ? static_cast<double>(point.YError) : 0.0;
      keys.append(static_cast<double>(point.X));
      values.append(static_cast<double>(point.Y));
      errors.append(error);
      Extend(xRange, keys.back());
      Extend(yRange, values.back() - error);
      Extend(yRange, values.back() + error);
    }
    QCPGraph* points = AddGraph(plot, Name("Points", pathway.Index));
    points->setName(QStringLiteral("k") + QString::number(pathway.Index));
    points->setPen(QPen(color, kLineWidth));
    points->setLineStyle(QCPGraph::lsNone);
    const auto shape = kShapes[static_cast<std::size_t>((pathway.Index - 1) % static_cast<int>(kShapes.size()))];
    points->setScatterStyle(QCPScatterStyle(shape, QPen(color, kFigureMarkerPenWidth), Qt::NoBrush, kFigureMarkerSize));
    points->setData(keys, values, true);
    points->addToLegend(legend);

    auto* bars = new QCPErrorBars(x, y);
    bars->setObjectName(Name("Errors", pathway.Index));
    bars->setDataPlottable(points);
    bars->setData(errors);
    bars->setPen(QPen(color, 1));
    bars->setWhiskerWidth(kErrorWhisker);
    bars->setAntialiased(true);

    for (const SeriesPlotLine& line : pathway.Lines) {
      const bool dashed = line.Method == SeriesMethod::TwoStage;
      twoStage = twoStage || dashed;
      global = global || !dashed;
      QCPGraph* graph = AddGraph(plot, Name(dashed ? "TwoStage" : "Global", pathway.Index));
      graph->setPen(QPen(color, kLineWidth, dashed ? Qt::DashLine : Qt::SolidLine));
      graph->setData({static_cast<double>(line.X0), static_cast<double>(line.X1)},
                     {static_cast<double>(line.Y0), static_cast<double>(line.Y1)}, true);
      Extend(yRange, static_cast<double>(line.Y0));
      Extend(yRange, static_cast<double>(line.Y1));
    }
  }
  if (twoStage) AddStyleEntry(plot, QStringLiteral("two-stage line"), Qt::DashLine);
  if (global) AddStyleEntry(plot, QStringLiteral("global fit"), Qt::SolidLine);

  SetPaddedRange(x, xRange);
  SetPaddedRange(y, yRange);

  // Kept in the layout even when empty, which owns it.
  legend->setVisible(!data.Pathways.empty());
  layout->addElement(layout->rowCount(), 0, legend);
  layout->setRowStretchFactor(layout->rowCount() - 1, 0.001);
  layout->setRowStretchFactor(0, 0.001);
  plot.replot();
}

void SaveArrheniusPicture(const std::string& path, const SeriesResult& result, const PictureSize& size) {
  QCustomPlot plot;
  plot.resize(960, 720);
  DrawSeriesFigure(plot, MakeSeriesPlotData(result, SeriesPlotKind::Arrhenius), QStringLiteral("Arrhenius plot"));
  WritePlotPicture(path, plot, size);
}

}  // namespace zamo
