#pragma once

#include <QFont>
#include <QString>

class QCPAxis;
class QCPLegend;

namespace zamo {

// The one style of every figure the windows draw with QCustomPlot (the plot window, the
// series plots, the model selection's chart) and of their exported pictures: faces and
// sizes of text, line and marker widths, the grid.
inline constexpr int kFigureTickPixels = 12;
inline constexpr int kFigureAxisTitlePixels = 13;
inline constexpr int kFigureTitlePixels = 15;
inline constexpr int kFigureLegendPixels = 12;
inline constexpr double kFigureLineWidth = 1.6;
inline constexpr double kFigureMarkerPenWidth = 1.3;
inline constexpr double kFigureMarkerSize = 7;

// A proportional sans-serif face wherever the desktop has one (the offscreen platform's
// default resolves to a fixed-pitch face), of the given size in pixels.
QFont FigureFont(int pixels, bool bold = false);

// An axis with its title, the figure's fonts and a dotted grid.
void StyleFigureAxis(QCPAxis* axis, const QString& title);

// A legend without a frame on white, in the figure's font, filled row by row `columns`
// entries wide.
void StyleFigureLegend(QCPLegend* legend, int columns);

}  // namespace zamo
