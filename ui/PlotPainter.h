#pragma once

#include <QSize>

#include "model/KineticProject.h"

class QPainter;

namespace zamo {

// How a plot lays its content out. The same routine draws the upper plot, the enlarged
// lower plot and the exported picture; they differ only in these values.
struct PlotLayout {
  enum class Grid {
    Tenths,  // upper plot: lines at every 10 %, labels 10..90
    Zoomed,  // lower plot and picture: lines and labels of the zoom range (1..10 and 15 steps)
  };
  enum class Curves {
    Screen,   // y = H - nearest(p * H * Z)
    Clipped,  // picture: y = H - nearest(p * (H * Z)), values below 0 at H, above the range at -1
  };

  int Width = 0;
  int Height = 0;
  int Intervals = 0;  // n: samples 0..n stand at x = 0..n, the whole time range
  int GridEnd = 0;    // grid lines run from x = 1 up to this x (not drawn)
  int Zoom = 1;       // Z: the height stands for 100 / Z percent
  Grid GridKind = Grid::Tenths;
  Curves CurveKind = Curves::Screen;
};

// The zoom factor of a zoom bar position: 326 - position, position clamped to 1..325.
int ZoomFactor(int zoomBarPosition);

// Layouts of the main window's plots: n is PlotIntervalsOfPlotWidth of the upper plot's
// width (its width minus the zoom bar's minus 2), and the lower grid runs to the upper plot's
// right edge.
PlotLayout UpperPlotLayout(QSize upper);
PlotLayout LowerPlotLayout(QSize lower, int upperWidth, int zoomBarPosition);

// The exported picture: width x height, n = width - 2 for curves and markers alike, the
// grid across the whole picture, curve points limited to it.
PlotLayout PictureLayout(QSize picture, int zoomBarPosition);

// Draws one plot of the project's current experiment: frame, grid and labels, measured
// points as markers, then the calculated curves of A..H over them. Lines and rectangles
// follow the classic convention of the original drawing surface: a rectangle from (0, 0)
// to (W, H) has its border on columns 0 and W - 1 and rows 0 and H - 1, and a line leaves
// out its end pixel. While no project is valid only the white frame is drawn.
void DrawPlot(QPainter& painter, const KineticProject& project, const PlotLayout& layout);

}  // namespace zamo
