#include "ui/FigureStyle.h"

#include <qcustomplot.h>

#include "ui/SpeciesColors.h"

namespace zamo {

QFont FigureFont(int pixels, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void StyleFigureAxis(QCPAxis* axis, const QString& title) {
  axis->setLabel(title);
  axis->setLabelFont(FigureFont(kFigureAxisTitlePixels));
  axis->setTickLabelFont(FigureFont(kFigureTickPixels));
  axis->grid()->setPen(QPen(GridColor(), 0, Qt::DotLine));
}

void StyleFigureLegend(QCPLegend* legend, int columns) {
  legend->setFont(FigureFont(kFigureLegendPixels));
  legend->setBorderPen(Qt::NoPen);
  legend->setBrush(Qt::white);
  legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  legend->setWrap(columns);
  legend->setRowSpacing(0);
  legend->setColumnSpacing(12);
}

}  // namespace zamo
