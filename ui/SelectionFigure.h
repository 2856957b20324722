#pragma once

#include "optimize/ModelSelection.h"

class QCustomPlot;

namespace zamo {

// The inclusion probability of every candidate pathway of a model selection as a bar chart
// (0..1, one bar per pathway, a dashed line at 0.5), in the style of the other figures.
// The bars are the plottable "Inclusion". Replaces whatever the plot held.
void DrawInclusionChart(QCustomPlot& plot, const SelectionResult& result);

}  // namespace zamo
