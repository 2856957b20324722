#include "ui/SelectionFigure.h"

#include <qcustomplot.h>

#include "optimize/SelectionReport.h"
#include "ui/FigureStyle.h"

namespace zamo {

namespace {

constexpr double kBarWidth = 0.6;
const QColor kBarColor(31, 119, 180);

}  // namespace

void DrawInclusionChart(QCustomPlot& plot, const SelectionResult& result) {
  plot.clearPlottables();
  plot.clearItems();
  plot.setBackground(Qt::white);
  plot.setAntialiasedElements(QCP::aeAll);
  plot.legend->setVisible(false);

  auto* bars = new QCPBars(plot.xAxis, plot.yAxis);
  bars->setObjectName(QStringLiteral("Inclusion"));
  bars->setName(QStringLiteral("Inclusion"));
  bars->setWidth(kBarWidth);
  bars->setPen(QPen(kBarColor.darker(130), 1));
  bars->setBrush(kBarColor);
  auto ticker = QSharedPointer<QCPAxisTickerText>::create();
  QVector<double> keys;
  QVector<double> values;
  for (std::size_t n = 0; n < result.Pathways.size(); ++n) {
    const PathwayEvidence& e = result.Pathways[n];
    keys.append(static_cast<double>(n + 1));
    values.append(static_cast<double>(e.Inclusion));
    ticker->addTick(static_cast<double>(n + 1), QStringLiteral("k%1").arg(e.Index));
  }
  bars->setData(keys, values, true);

  StyleFigureAxis(plot.xAxis, QStringLiteral("Pathway"));
  StyleFigureAxis(plot.yAxis, QStringLiteral("Inclusion probability (%1 weights)")
                                  .arg(QString::fromStdString(CriterionName(result.Criterion))));
  plot.xAxis->setTicker(ticker);
  plot.xAxis->grid()->setVisible(false);
  plot.xAxis->setRange(0.3, static_cast<double>(result.Pathways.size()) + 0.7);
  plot.yAxis->setRange(0, 1.05);

  auto* half = new QCPItemStraightLine(&plot);
  half->setObjectName(QStringLiteral("Half"));
  half->setPen(QPen(Qt::gray, 1, Qt::DashLine));
  half->point1->setCoords(0, 0.5);
  half->point2->setCoords(1, 0.5);
  plot.replot();
}

}  // namespace zamo
