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

// The curves of the exported result table: 2..10001 evenly spaced points per experiment from
// the start to the last reaction time, 101 (a hundredth of that time apart) at first.
inline constexpr int kTablePointsMin = 2;
inline constexpr int kTablePointsMax = 10001;
inline constexpr int kTablePointsDefault = 101;

// The main window's fixed widths: the rate-constant panel on the right and the zoom bar
// beside the lower plot; and the window's smallest client width.
inline constexpr int kRatePanelWidth = 162;
inline constexpr int kZoomBarWidth = 13;
inline constexpr int kMainWindowMinimumWidth = 772;

// The picture "Save Graph" writes (and zamo-cli graph): its size, and the sample intervals
// its curves are computed with, the width minus 2.
inline constexpr int kGraphWidth = 800;
inline constexpr int kGraphHeight = 600;
inline constexpr int kGraphIntervals = kGraphWidth - 2;

// The exported plot picture of the plot window and zamo-cli plot: width and height in pixels
// and the resolution in dots per inch; by default 8 x 6 inches at 300 dpi.
inline constexpr int kPictureSideMin = 100;
inline constexpr int kPictureSideMax = 8000;
inline constexpr int kPictureWidthDefault = 2400;
inline constexpr int kPictureHeightDefault = 1800;
inline constexpr int kPictureDpiMin = 30;
inline constexpr int kPictureDpiMax = 1200;
inline constexpr int kPictureDpiDefault = 300;

// The number of curve intervals n of a plot: the drawn time axis of a plot whose canvas is
// `plotWidth` pixels wide (the upper plot's width minus the zoom bar's minus 2).
constexpr int PlotIntervalsOfPlotWidth(int plotWidth) { return std::max(0, plotWidth - (kZoomBarWidth + 2)); }

// The same for a main window `windowWidth` pixels wide: its plots take all but the panel.
constexpr int PlotIntervalsOfWindowWidth(int windowWidth) {
  return PlotIntervalsOfPlotWidth(windowWidth - kRatePanelWidth);
}

}  // namespace zamo
