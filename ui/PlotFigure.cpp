#include "ui/PlotFigure.h"

#include <qcustomplot.h>

#include <QVector>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "ui/FigureStyle.h"
#include "ui/SpeciesColors.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

constexpr double kCurveWidth = kFigureLineWidth;
constexpr int kBandAlpha = 48;
// The concentration and residual axes reach a little beyond their values, so that a
// marker at the edge is drawn whole.
constexpr double kConcentrationMargin = 0.02;
constexpr double kResidualMargin = 1.15;
constexpr double kResidualMinimum = 0.5;  // percentage points either side of 0
constexpr int kResidualRowStretch = 45;
constexpr int kResidualTicks = 4;
constexpr double kOutlierRing = 16;  // pixels across
constexpr int kCurveRowStretch = 100;
constexpr int kLegendColumns = 4;
constexpr int kLegendSideMargin = 10;
constexpr int kLegendTopMargin = 4;
constexpr int kLegendBottomMargin = 10;

// One shape per species, readable where curves and markers cross.
constexpr std::array<QCPScatterStyle::ScatterShape, kSpeciesCount> kShapes = {
    QCPScatterStyle::ssCross,    QCPScatterStyle::ssCircle,  QCPScatterStyle::ssTriangleInverted,
    QCPScatterStyle::ssTriangle, QCPScatterStyle::ssDiamond, QCPScatterStyle::ssPlus,
    QCPScatterStyle::ssSquare,   QCPScatterStyle::ssStar,
};

QCPScatterStyle Marker(int species) {
  QPen pen(PlotSpeciesColor(species), kFigureMarkerPenWidth);
  return {kShapes[static_cast<std::size_t>(species - 1)], pen, Qt::NoBrush, kFigureMarkerSize};
}

QString ExperimentTitle(const ExperimentPlot& experiment) {
  QString title = experiment.Which == Side::Left ? QStringLiteral("Left Reaction") : QStringLiteral("Right Reaction");
  if (!experiment.ReactantName.empty()) title += QStringLiteral(": ") + FromBytes(experiment.ReactantName);
  return title;
}

void StyleAxis(QCPAxis* axis, const QString& title) { StyleFigureAxis(axis, title); }

// The time axis of one experiment in the chosen unit, linear or logarithmic.
void SetTimeAxis(QCPAxis* axis, const ExperimentPlot& experiment, const PlotOptions& options) {
  const double seconds = static_cast<double>(SecondsPer(options.Unit));
  if (options.LogTime) {
    axis->setScaleType(QCPAxis::stLogarithmic);
    axis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
    axis->setNumberFormat(QStringLiteral("g"));
    axis->setNumberPrecision(6);
  }
  axis->setRange(static_cast<double>(experiment.TimeSpan[0]) / seconds,
                 static_cast<double>(experiment.TimeSpan[1]) / seconds);
}

// A graph of one species: a curve (line, no markers) or points (markers, no line).
QCPGraph* AddGraph(QCPAxisRect* rect, const QString& name, int species, bool line) {
  auto* graph = new QCPGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
  graph->setObjectName(name);
  graph->setName(name);
  graph->setAntialiased(true);
  graph->setAntialiasedScatters(true);
  if (line) {
    graph->setPen(QPen(PlotSpeciesColor(species), kCurveWidth));
    graph->setLineStyle(QCPGraph::lsLine);
  } else {
    graph->setPen(Qt::NoPen);
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(Marker(species));
  }
  return graph;
}

// On a logarithmic axis a time at or before 0 has no place.
bool Drawable(double key, const PlotOptions& options) { return std::isfinite(key) && (!options.LogTime || key > 0); }

// Curves are cut to their axis rectangle in their data before they are drawn, so that every
// picture format shows the same (an SVG drawing keeps no clip path), and no curve runs over
// the titles of a zoomed plot.
class Clipper {
 public:
  Clipper(const QCPAxisRect* rect, bool logKeys)
      : keys_(rect->axis(QCPAxis::atBottom)->range()), values_(rect->axis(QCPAxis::atLeft)->range()), log_(logKeys) {}

  bool Inside(double key, double value) const { return keys_.contains(key) && values_.contains(value); }

  // The part of a polyline inside the rectangle: each segment cut where it crosses an edge,
  // a gap (a NaN value) where the polyline is outside.
  void Polyline(const QVector<double>& keys, const QVector<double>& values, QVector<double>& outKeys,
                QVector<double>& outValues) const {
    bool open = false;  // the last point added ends a piece that goes on
    for (qsizetype i = 0; i + 1 < keys.size(); ++i) {
      double t0 = 0;
      double t1 = 1;
      const double x0 = X(keys[i]);
      const double dx = X(keys[i + 1]) - x0;
      const double dy = values[i + 1] - values[i];
      const bool visible = Cut(-dx, x0 - X(keys_.lower), t0, t1) && Cut(dx, X(keys_.upper) - x0, t0, t1) &&
                           Cut(-dy, values[i] - values_.lower, t0, t1) && Cut(dy, values_.upper - values[i], t0, t1);
      if (!visible) {
        open = false;
        continue;
      }
      if (!open || t0 > 0) {
        if (!outKeys.isEmpty()) Gap(keys[i], outKeys, outValues);
        outKeys.append(Key(x0 + t0 * dx));
        outValues.append(values[i] + t0 * dy);
      }
      outKeys.append(Key(x0 + t1 * dx));
      outValues.append(values[i] + t1 * dy);
      open = t1 >= 1;
    }
  }

  // Band edges: a filled area keeps its width where it crosses an edge, so its values are held
  // at the edges instead.
  double Held(double value) const { return std::clamp(value, values_.lower, values_.upper); }

 private:
  double X(double key) const { return log_ ? std::log10(key) : key; }
  double Key(double x) const { return log_ ? std::pow(10.0, x) : x; }

  // Liang-Barsky: narrows [t0, t1] to the side of one edge; false when nothing is left.
  static bool Cut(double p, double q, double& t0, double& t1) {
    if (p == 0) return q >= 0;
    const double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  }

  static void Gap(double key, QVector<double>& outKeys, QVector<double>& outValues) {
    outKeys.append(key);
    outValues.append(std::numeric_limits<double>::quiet_NaN());
  }

  QCPRange keys_;
  QCPRange values_;
  bool log_;
};

void AddBand(QCPAxisRect* rect, const ExperimentPlot& experiment, const QString& side, int species,
             const PlotOptions& options) {
  const double seconds = static_cast<double>(SecondsPer(options.Unit));
  const Clipper clip(rect, options.LogTime);
  QVector<double> keys;
  QVector<double> upper;
  QVector<double> lower;
  for (std::size_t i = 0; i < experiment.Times.size() && i < experiment.Band.size(); ++i) {
    const double centre = static_cast<double>(experiment.Curves[i][species]);
    const double half = static_cast<double>(experiment.Band[i][species]);
    const double key = static_cast<double>(experiment.Times[i]) / seconds;
    if (!Drawable(key, options)) continue;
    keys.append(key);
    upper.append(clip.Held(centre + half));
    lower.append(clip.Held(centre - half));
  }
  QCPGraph* low = AddGraph(rect, QStringLiteral("BandLow") + side + SpeciesLetter(species), species, true);
  low->setPen(Qt::NoPen);
  low->setData(keys, lower, true);
  QCPGraph* high = AddGraph(rect, QStringLiteral("Band") + side + SpeciesLetter(species), species, true);
  high->setPen(Qt::NoPen);
  QColor fill = PlotSpeciesColor(species);
  fill.setAlpha(kBandAlpha);
  high->setBrush(fill);
  high->setAntialiasedFill(true);
  high->setChannelFillGraph(low);
  high->setData(keys, upper, true);
}

void DrawCurves(QCPAxisRect* rect, const ExperimentPlot& experiment, const PlotOptions& options) {
  const QString side = SideName(experiment.Which);
  const double seconds = static_cast<double>(SecondsPer(options.Unit));
  const Clipper clip(rect, options.LogTime);
  if (!experiment.Band.empty() && experiment.Band.size() == experiment.Curves.size()) {
    for (int s = 1; s <= kSpeciesCount; ++s) AddBand(rect, experiment, side, s, options);
  }
  for (int s = 1; s <= kSpeciesCount; ++s) {
    QVector<double> keys;
    QVector<double> values;
    for (std::size_t i = 0; i < experiment.Curves.size(); ++i) {
      const double key = static_cast<double>(experiment.Times[i]) / seconds;
      if (!Drawable(key, options)) continue;
      keys.append(key);
      values.append(static_cast<double>(experiment.Curves[i][s]));
    }
    QVector<double> shownKeys;
    QVector<double> shownValues;
    clip.Polyline(keys, values, shownKeys, shownValues);
    AddGraph(rect, QStringLiteral("Curve") + side + SpeciesLetter(s), s, true)->setData(shownKeys, shownValues, true);
  }
  for (int s = 1; s <= kSpeciesCount; ++s) {
    QVector<double> keys;
    QVector<double> values;
    for (const PlotRow& row : experiment.Rows) {
      const double key = static_cast<double>(row.Time) / seconds;
      const double value = static_cast<double>(row.Observed[s]);
      if (!Drawable(key, options) || !clip.Inside(key, value)) continue;
      keys.append(key);
      values.append(value);
    }
    AddGraph(rect, QStringLiteral("Points") + side + SpeciesLetter(s), s, false)->setData(keys, values);
  }
}

void DrawResiduals(QCustomPlot& plot, QCPAxisRect* rect, const ExperimentPlot& experiment, const PlotOptions& options) {
  const QString side = SideName(experiment.Which);
  const double seconds = static_cast<double>(SecondsPer(options.Unit));
  double largest = kResidualMinimum;
  for (int s = 1; s <= kSpeciesCount; ++s) {
    QVector<double> keys;
    QVector<double> values;
    for (const PlotRow& row : experiment.Rows) {
      const double key = static_cast<double>(row.Time) / seconds;
      const double residual = static_cast<double>(row.Residual[s]);
      if (!Drawable(key, options) || !std::isfinite(residual)) continue;
      keys.append(key);
      values.append(residual);
      largest = std::max(largest, std::fabs(residual) * kResidualMargin);
    }
    AddGraph(rect, QStringLiteral("Residual") + side + SpeciesLetter(s), s, false)->setData(keys, values);
  }
  // A ring around each residual the fit named an outlier.
  QVector<double> keys;
  QVector<double> values;
  for (const PlotRow& row : experiment.Rows) {
    const double key = static_cast<double>(row.Time) / seconds;
    for (int s = 1; s <= kSpeciesCount; ++s) {
      if (!row.Outlier[s] || !Drawable(key, options)) continue;
      keys.append(key);
      values.append(static_cast<double>(row.Residual[s]));
    }
  }
  if (!keys.isEmpty()) {
    auto* rings = new QCPGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    rings->setObjectName(QStringLiteral("Outliers") + side);
    rings->setName(QStringLiteral("Outlier (|z| > 4)"));
    rings->setLineStyle(QCPGraph::lsNone);
    rings->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::red, 1.5), Qt::NoBrush, kOutlierRing));
    rings->setData(keys, values);
  }
  rect->axis(QCPAxis::atLeft)->setRange(-largest, largest);
  // The panel is low: few labels, so that they do not run into each other.
  rect->axis(QCPAxis::atLeft)->ticker()->setTickCount(kResidualTicks);

  QCPAxis* time = rect->axis(QCPAxis::atBottom);
  auto* zero = new QCPItemStraightLine(&plot);
  zero->setObjectName(QStringLiteral("Zero") + side);
  zero->setClipAxisRect(rect);
  zero->setPen(QPen(Qt::black, 1));
  // Crisp: a hairline between two pixel rows would be drawn as two grey ones.
  zero->setAntialiased(false);
  for (QCPItemPosition* end : {zero->point1, zero->point2}) end->setAxes(time, rect->axis(QCPAxis::atLeft));
  zero->point1->setCoords(time->range().lower, 0);
  zero->point2->setCoords(time->range().upper, 0);
}

QCPAxisRect* AddAxisRect(QCustomPlot& plot, const QString& name) {
  auto* rect = new QCPAxisRect(&plot);
  rect->setObjectName(name);
  // Frame on all four sides, ticks inside only at the bottom and the left.
  for (const QCPAxis::AxisType type : {QCPAxis::atTop, QCPAxis::atRight}) {
    QCPAxis* axis = rect->axis(type);
    axis->setVisible(true);
    axis->setTicks(false);
    axis->setTickLabels(false);
  }
  return rect;
}

// The frame's top and right follow the bottom and the left.
void LinkFrame(QCPAxisRect* rect) {
  QCPAxis* bottom = rect->axis(QCPAxis::atBottom);
  QCPAxis* top = rect->axis(QCPAxis::atTop);
  top->setScaleType(bottom->scaleType());
  top->setRange(bottom->range());
  rect->axis(QCPAxis::atRight)->setRange(rect->axis(QCPAxis::atLeft)->range());
}

void AddLegend(QCustomPlot& plot, QCPLayoutGrid* layout, const PlotData& data, bool band) {
  QCPLegend* legend = plot.legend;
  layout->addElement(layout->rowCount(), 0, legend);
  legend->setVisible(true);
  legend->setLayer(QStringLiteral("legend"));
  legend->setFont(FigureFont(kFigureLegendPixels));
  legend->setBorderPen(Qt::NoPen);
  // Room between the last row of entries and the picture's edge.
  legend->setMargins(QMargins(kLegendSideMargin, kLegendTopMargin, kLegendSideMargin, kLegendBottomMargin));
  legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  legend->setWrap(kLegendColumns);
  legend->setRowSpacing(0);
  legend->setColumnSpacing(12);
  // The legend's entries are graphs without data in the first axis rect: each shows its
  // species' line and marker as the curves and points do.
  QCPAxisRect* home = plot.axisRect();
  for (int s = 1; s <= kSpeciesCount; ++s) {
    QCPGraph* key = AddGraph(home, QStringLiteral("Key") + SpeciesLetter(s), s, true);
    key->setScatterStyle(Marker(s));
    key->setName(LegendText(data, s));
    key->addToLegend(legend);
  }
  if (band) {
    auto* key = new QCPGraph(home->axis(QCPAxis::atBottom), home->axis(QCPAxis::atLeft));
    key->setObjectName(QStringLiteral("KeyBand"));
    key->setName(QStringLiteral("95 % band of the fit"));
    key->setPen(Qt::NoPen);
    key->setBrush(QColor(0, 0, 0, kBandAlpha));
    key->addToLegend(legend);
  }
}

}  // namespace

QString SideName(Side side) { return side == Side::Left ? QStringLiteral("Left") : QStringLiteral("Right"); }

QString SpeciesLetter(int species) { return QString(QChar(u'A' + (species - 1))); }

QString TimeAxisTitle(TimeUnit unit) {
  return QStringLiteral("Time (%1)")
      .arg(QString::fromLatin1(TimeUnitSymbol(unit).data(), static_cast<qsizetype>(TimeUnitSymbol(unit).size())));
}

QString ConcentrationAxisTitle() { return QStringLiteral("Concentration (%)"); }

QString ResidualAxisTitle() { return QStringLiteral("Obs. \u2212 calc. (pp)"); }

QString LegendText(const PlotData& data, int species) {
  const std::string& name = data.SpeciesNames[species];
  return name.empty() ? SpeciesLetter(species) : SpeciesLetter(species) + QStringLiteral(" (") + FromBytes(name) + ')';
}

void DrawPlotFigure(QCustomPlot& plot, const PlotData& data, const PlotOptions& options) {
  // The legend is kept (the plot's own, which its graphs know); everything else goes.
  plot.clearItems();
  plot.clearPlottables();
  if (plot.legend->layout() != nullptr) plot.legend->layout()->take(plot.legend);
  qDeleteAll(plot.findChildren<QCPMarginGroup*>(Qt::FindDirectChildrenOnly));
  plot.plotLayout()->clear();
  plot.setBackground(Qt::white);
  plot.setAutoAddPlottableToLegend(false);
  plot.setAntialiasedElements(QCP::aePlottables | QCP::aeScatters | QCP::aeFills | QCP::aeLegendItems);
  plot.setNotAntialiasedElements(QCP::aeAxes | QCP::aeGrid | QCP::aeItems);

  QCPLayoutGrid* layout = plot.plotLayout();
  QString title = FromBytes(data.Title);
  if (!data.Temperature.empty()) {
    title += (title.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("T = ") +
             QString::fromStdString(data.Temperature) + QStringLiteral(" \u00b0C");
  }
  auto* heading = new QCPTextElement(&plot, title, FigureFont(kFigureTitlePixels, true));
  heading->setObjectName(QStringLiteral("Title"));
  layout->addElement(0, 0, heading);

  auto* content = new QCPLayoutGrid;
  layout->addElement(1, 0, content);
  auto* curveRow = new QCPMarginGroup(&plot);
  auto* residualRow = new QCPMarginGroup(&plot);
  const bool zoomed = options.Range && options.Range->High > options.Range->Low;
  const double concentrationSpan = zoomed ? static_cast<double>(options.Range->High - options.Range->Low) : 100;
  const double concentrationLow = zoomed ? static_cast<double>(options.Range->Low) : 0;

  int column = 0;
  for (const ExperimentPlot& experiment : data.Experiments) {
    const QString side = SideName(experiment.Which);
    auto* name = new QCPTextElement(&plot, ExperimentTitle(experiment), FigureFont(kFigureAxisTitlePixels, true));
    name->setObjectName(QStringLiteral("Name") + side);
    content->addElement(0, column, name);

    auto* columnGroup = new QCPMarginGroup(&plot);
    QCPAxisRect* curves = AddAxisRect(plot, QStringLiteral("Curves") + side);
    content->addElement(1, column, curves);
    curves->setMarginGroup(QCP::msLeft | QCP::msRight, columnGroup);
    curves->setMarginGroup(QCP::msTop | QCP::msBottom, curveRow);
    StyleAxis(curves->axis(QCPAxis::atLeft), ConcentrationAxisTitle());
    curves->axis(QCPAxis::atLeft)
        ->setRange(concentrationLow - kConcentrationMargin * concentrationSpan,
                   concentrationLow + (1 + kConcentrationMargin) * concentrationSpan);
    StyleAxis(curves->axis(QCPAxis::atBottom), TimeAxisTitle(options.Unit));
    SetTimeAxis(curves->axis(QCPAxis::atBottom), experiment, options);
    DrawCurves(curves, experiment, options);

    if (options.Residuals) {
      QCPAxisRect* residuals = AddAxisRect(plot, QStringLiteral("Residuals") + side);
      content->addElement(2, column, residuals);
      residuals->setMarginGroup(QCP::msLeft | QCP::msRight, columnGroup);
      residuals->setMarginGroup(QCP::msTop | QCP::msBottom, residualRow);
      StyleAxis(residuals->axis(QCPAxis::atLeft), ResidualAxisTitle());
      StyleAxis(residuals->axis(QCPAxis::atBottom), TimeAxisTitle(options.Unit));
      SetTimeAxis(residuals->axis(QCPAxis::atBottom), experiment, options);
      // The time axis is read once, under the residuals.
      curves->axis(QCPAxis::atBottom)->setLabel(QString());
      curves->axis(QCPAxis::atBottom)->setTickLabels(false);
      DrawResiduals(plot, residuals, experiment, options);
      LinkFrame(residuals);
    }
    LinkFrame(curves);
    ++column;
  }
  if (options.Residuals) {
    content->setRowStretchFactors({0.01, kCurveRowStretch, kResidualRowStretch});
  } else {
    content->setRowStretchFactors({0.01, kCurveRowStretch});
  }

  const bool band = std::any_of(data.Experiments.begin(), data.Experiments.end(),
                                [](const ExperimentPlot& experiment) { return !experiment.Band.empty(); });
  AddLegend(plot, layout, data, band);
  // Title and legend take the height they need; the plots take the rest.
  layout->setRowStretchFactors({0.01, 1, 0.01});
}

}  // namespace zamo
