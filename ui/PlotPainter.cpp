#include "ui/PlotPainter.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QRect>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/Conversions.h"
#include "model/Limits.h"
#include "model/NumberFormat.h"
#include "ui/SpeciesColors.h"

namespace zamo {

namespace {

// Pixels of a line from a to b by Bresenham's rule, leaving out the end pixel; every
// `period`-th pixel only when the line is dotted (period 2).
void AppendLine(QPolygon& pixels, QPoint a, QPoint b, int period = 1) {
  const int dx = std::abs(b.x() - a.x());
  const int dy = std::abs(b.y() - a.y());
  const int sx = a.x() < b.x() ? 1 : -1;
  const int sy = a.y() < b.y() ? 1 : -1;
  const int steps = std::max(dx, dy);
  int x = a.x();
  int y = a.y();
  int error = dx - dy;
  for (int i = 0; i < steps; ++i) {
    if (i % period == 0) pixels.append(QPoint(x, y));
    const int twice = 2 * error;
    if (twice > -dy) {
      error -= dy;
      x += sx;
    }
    if (twice < dx) {
      error += dx;
      y += sy;
    }
  }
}

// Draws pixels that follow each other along a line: neighbours in one row or one column are
// joined into one rectangle, which the raster engine fills far faster than single points.
void DrawPixels(QPainter& painter, const QPolygon& pixels, const QColor& color) {
  QVector<QRect> runs;
  runs.reserve(pixels.size());
  for (const QPoint& p : pixels) {
    if (!runs.isEmpty()) {
      QRect& run = runs.last();
      if (run.height() == 1 && p.y() == run.top() && p.x() == run.right() + 1) {
        run.setRight(p.x());
        continue;
      }
      if (run.height() == 1 && p.y() == run.top() && p.x() == run.left() - 1) {
        run.setLeft(p.x());
        continue;
      }
      if (run.width() == 1 && p.x() == run.left() && p.y() == run.bottom() + 1) {
        run.setBottom(p.y());
        continue;
      }
      if (run.width() == 1 && p.x() == run.left() && p.y() == run.top() - 1) {
        run.setTop(p.y());
        continue;
      }
    }
    runs.append(QRect(p, QSize(1, 1)));
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  painter.drawRects(runs);
  painter.setBrush(Qt::NoBrush);
}

// The grid steps of a zoom factor: D = 10 up to 5, 100 up to 49, 1000 from 50.
int GridDivisions(int zoom) {
  if (zoom <= 5) return 10;
  if (zoom <= 49) return 100;
  return 1000;
}

void DrawLabel(QPainter& painter, int y, const QString& text) {
  painter.setPen(Qt::black);
  painter.drawText(QRect(4, y - 5, 200, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

class PlotDrawer {
 public:
  PlotDrawer(QPainter& painter, const KineticProject& project, const PlotLayout& layout)
      : painter_(painter), project_(project), layout_(layout), experiment_(project.Current()) {}

  void Draw() {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBackgroundMode(Qt::OpaqueMode);
    painter_.setBackground(Qt::white);
    Frame();
    if (project_.DataValid) {
      Grid();
      Markers();
      Curves();
    }
    painter_.restore();
  }

 private:
  Real H() const { return layout_.Height; }

  // The frame: a white area with a black border on its outer pixels.
  void Frame() {
    painter_.fillRect(0, 0, layout_.Width, layout_.Height, Qt::white);
    QPolygon border;
    const int right = layout_.Width - 1;
    const int bottom = layout_.Height - 1;
    AppendLine(border, {0, 0}, {right, 0});
    AppendLine(border, {right, 0}, {right, bottom});
    AppendLine(border, {right, bottom}, {0, bottom});
    AppendLine(border, {0, bottom}, {0, 0});
    DrawPixels(painter_, border, Qt::black);
  }

  void GridLine(QPolygon& dots, int y) const { AppendLine(dots, {1, y}, {layout_.GridEnd, y}, 2); }

  void Grid() {
    QPolygon dots;
    std::vector<std::pair<int, QString>> labels;
    if (layout_.GridKind == PlotLayout::Grid::Tenths) {
      for (int i = 1; i <= 9; ++i) {
        const int y = layout_.Height - nearest(i * H() / 10);
        GridLine(dots, y);
        labels.emplace_back(y, QString::number(10 * i));
      }
    } else {
      const int d = GridDivisions(layout_.Zoom);
      const Real g = H() * layout_.Zoom / d;
      const Real v = static_cast<Real>(100) / d;
      for (const int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15}) {
        const int y = layout_.Height - nearest(i * g);
        GridLine(dots, y);
        labels.emplace_back(y, QString::fromStdString(FloatToText(i * v)));
      }
    }
    DrawPixels(painter_, dots, GridColor());
    for (const auto& [y, text] : labels) DrawLabel(painter_, y, text);
  }

  // y of a fraction p on this plot.
  int ScreenY(Real p) const {
    if (layout_.CurveKind == PlotLayout::Curves::Screen) return layout_.Height - nearest(p * H() * layout_.Zoom);
    return layout_.Height - nearest(p * (H() * layout_.Zoom));
  }

  // The last measured time of the current experiment, the end of the time axis.
  Real EndTime() const {
    return static_cast<Real>(experiment_.Times[static_cast<std::size_t>(std::clamp(experiment_.LastRow, 0, kMaxRow))]);
  }

  void Markers() {
    if (!experiment_.Present || experiment_.LastRow < 1) return;
    // Pixels per second; a last time of 0 puts everything at x = 0.
    const Real end = EndTime();
    const Real sx = end != 0 ? layout_.Intervals / end : 0;
    const int lastRow = std::min(experiment_.LastRow, kMaxRow);
    for (int j = 1; j <= lastRow; ++j) {
      const auto row = static_cast<std::size_t>(j);
      const int x = nearest(experiment_.Times[row] * sx) - 4;
      for (int s = 1; s <= kSpeciesCount; ++s) {
        painter_.drawImage(x, ScreenY(experiment_.Observed[row][s]) - 2, SpeciesMarker(s));
      }
    }
  }

  int CurveY(Real fraction) const {
    if (layout_.CurveKind == PlotLayout::Curves::Screen) return ScreenY(fraction);
    const Real w = fraction * (H() * layout_.Zoom);
    if (w < 0) return layout_.Height;
    if (w > H()) return -1;
    return layout_.Height - nearest(w);
  }

  void Curves() {
    const CurveStore& curves = project_.Curves;
    const int count = curves.Count();
    if (count == 0) return;
    // Normally sample i stands at x = i. A store with fewer samples than the plot has
    // columns (a window wider than its capacity) spreads them over the time range, and a
    // last time of 0 puts every sample at x = 0.
    const int last = std::min(layout_.Intervals, count - 1);
    const bool spread = count - 1 < layout_.Intervals;
    const bool atZero = EndTime() == 0;
    const auto xOf = [&](int i) {
      if (atZero) return 0;
      if (!spread) return i;
      return nearest(static_cast<Real>(i) * layout_.Intervals / (count - 1));
    };
    for (int s = 1; s <= kSpeciesCount; ++s) {
      QPolygon pixels;
      QPoint from(xOf(0), CurveY(curves.Value(s, 0)));
      for (int i = 1; i <= last; ++i) {
        const QPoint to(xOf(i), CurveY(curves.Value(s, i)));
        AppendLine(pixels, from, to);
        from = to;
      }
      DrawPixels(painter_, pixels, SpeciesColor(s));
    }
  }

  QPainter& painter_;
  const KineticProject& project_;
  const PlotLayout& layout_;
  const Experiment& experiment_;
};

}  // namespace

int ZoomFactor(int zoomBarPosition) {
  return kZoomPositionMax + 1 - std::clamp(zoomBarPosition, kZoomPositionMin, kZoomPositionMax);
}

PlotLayout UpperPlotLayout(QSize upper) {
  PlotLayout layout;
  layout.Width = upper.width();
  layout.Height = upper.height();
  layout.Intervals = PlotIntervalsOfPlotWidth(upper.width());
  layout.GridEnd = upper.width() - 1;
  layout.GridKind = PlotLayout::Grid::Tenths;
  return layout;
}

PlotLayout LowerPlotLayout(QSize lower, int upperWidth, int zoomBarPosition) {
  PlotLayout layout;
  layout.Width = lower.width();
  layout.Height = lower.height();
  layout.Intervals = PlotIntervalsOfPlotWidth(upperWidth);
  layout.GridEnd = upperWidth - 1;
  layout.Zoom = ZoomFactor(zoomBarPosition);
  layout.GridKind = PlotLayout::Grid::Zoomed;
  return layout;
}

PlotLayout PictureLayout(QSize picture, int zoomBarPosition) {
  PlotLayout layout;
  layout.Width = picture.width();
  layout.Height = picture.height();
  layout.Intervals = picture.width() - 2;
  layout.GridEnd = picture.width() - 1;
  layout.Zoom = ZoomFactor(zoomBarPosition);
  layout.GridKind = PlotLayout::Grid::Zoomed;
  layout.CurveKind = PlotLayout::Curves::Clipped;
  return layout;
}

void DrawPlot(QPainter& painter, const KineticProject& project, const PlotLayout& layout) {
  PlotDrawer(painter, project, layout).Draw();
}

}  // namespace zamo
