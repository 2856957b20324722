#pragma once

#include <QString>

#include "optimize/PlotData.h"

class QCustomPlot;

namespace zamo {

// The scientific figure of the plot window and of its exported pictures, drawn with
// QCustomPlot: a title with the project's title and temperature; per experiment (side by
// side when both are shown) its name, the calculated curves over the measured points on a
// time axis in the chosen unit (linear or logarithmic) and a concentration axis in percent,
// with the fit's 95 % band under the curves when there is one, and below, when asked, the
// residual panel (observed - calculated in percentage points, with a zero line); one legend
// with each species' letter, marker and colour and the project's reactant names.
//
// The drawn objects are named for finding them again: per experiment ("Left", "Right") the
// axis rects "Curves<Side>" and "Residuals<Side>", the graphs "Curve<Side><Letter>",
// "Points<Side><Letter>", "Residual<Side><Letter>", "Band<Side><Letter>" (the upper edge,
// filled down to "BandLow<Side><Letter>") and the zero line "Zero<Side>".
//
// Replaces whatever the plot held. Every font has a pixel size, so the figure keeps its
// proportions on any device it is painted on.
void DrawPlotFigure(QCustomPlot& plot, const PlotData& data, const PlotOptions& options);

// The names of the objects above.
QString SideName(Side side);
QString SpeciesLetter(int species);

// The axis titles.
QString TimeAxisTitle(TimeUnit unit);
QString ConcentrationAxisTitle();
QString ResidualAxisTitle();

// The legend text of a species: its letter, and the reactant's name in parentheses where
// the project has one.
QString LegendText(const PlotData& data, int species);

}  // namespace zamo
