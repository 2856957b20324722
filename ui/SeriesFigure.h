#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "optimize/PlotData.h"
#include "optimize/SeriesPlotData.h"

class QCustomPlot;

namespace zamo {

// The Arrhenius or Eyring plot of a fitted series, drawn with QCustomPlot: per pathway the
// single fits' points with error bars of one standard error, the two-stage line dashed and
// the global line solid, in a colour and marker of its own; axis titles with units and a
// legend naming each pathway and the two line styles.
//
// The drawn objects are named for finding them again: the graphs "Points k<i>",
// "TwoStage k<i>", "Global k<i>" and the error bars "Errors k<i>".
//
// Replaces whatever the plot held.
void DrawSeriesFigure(QCustomPlot& plot, const SeriesPlotData& data, const QString& title);

// The axis titles.
QString SeriesXAxisTitle();
QString SeriesYAxisTitle(SeriesPlotKind kind);

// zamo-cli series --plot: the Arrhenius plot of the result on a plot of its own (a
// QApplication must exist), written by WritePlotPicture in the format of the name's extension.
void SaveArrheniusPicture(const std::string& path, const SeriesResult& result, const PictureSize& size);

// The colour of pathway k<index> (1..16): sixteen hues readable on white.
QColor PathwayColor(int index);

}  // namespace zamo
