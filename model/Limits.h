#pragma once

#include <algorithm>

namespace zamo {

// The ranges the user can set, shared by the windows, zamo-cli and the core.

// The zoom bar: position 1..325, zoom factor 326 - position.
inline constexpr int kZoomPositionMin = 1;
inline constexpr int kZoomPositionMax = 325;

// The optimization's "Optimation Steps: " (the track bar): 1..40, 15 at first.
inline constexpr int kOptimizationStepsMin = 1;
inline constexpr int kOptimizationStepsMax = 40;
inline constexpr int kOptimizationStepsDefault = 15;

// The main window's fixed widths: the rate-constant panel on the right and the zoom bar
// beside the lower plot; and the window's smallest client width.
inline constexpr int kRatePanelWidth = 162;
inline constexpr int kZoomBarWidth = 13;
inline constexpr int kMainWindowMinimumWidth = 772;

// The number of curve intervals n of a plot: the drawn time axis of a plot whose canvas is
// `plotWidth` pixels wide (the upper plot's width minus the zoom bar's minus 2).
constexpr int PlotIntervalsOfPlotWidth(int plotWidth) { return std::max(0, plotWidth - (kZoomBarWidth + 2)); }

// The same for a main window `windowWidth` pixels wide: its plots take all but the panel.
constexpr int PlotIntervalsOfWindowWidth(int windowWidth) {
  return PlotIntervalsOfPlotWidth(windowWidth - kRatePanelWidth);
}

}  // namespace zamo
