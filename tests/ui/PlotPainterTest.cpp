// The plot drawing routine on images of known size: frame, grid, markers and curves at
// pixels computed here from the coordinate rules.

#include <QImage>
#include <QPainter>
#include <QTest>
#include <cmath>
#include <set>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/RecalcCurves.h"
#include "ui/PlotPainter.h"
#include "ui/SpeciesColors.h"

namespace zamo::testing {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kUntouched = qRgb(90, 60, 30);                    // the target before drawing
constexpr QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255);  // species A and B
// The main window's plots (at 305 every other tenth is a half, rounding to even) and n.
const QSize kUpper(600, 305);
const QSize kLower(587, 221);
constexpr int kIntervals = 585;

int Nearest(long double v) { return static_cast<int>(std::nearbyint(v)); }  // halves to even

// A box's pixels row by row: X the given colour, . white, # dark (border, ink), ' ' untouched.
QString Pixels(const QImage& image, const QRect& box, QRgb color) {
  QString text;
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      text += p == color ? 'X' : p == kWhite ? '.' : p == kUntouched ? ' ' : qGray(p) < 128 ? '#' : '?';
    }
  return text;
}

// The example project's left experiment, its markers if asked, count curve samples value(s, i).
KineticProject Example(bool markers, int count = 0, const std::function<Real(int, int)>& value = {}) {
  KineticProject p;
  static_cast<ProjectData&>(p) = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
  p.ShowLeft = p.DataValid = true;
  p.Left.Present = markers;
  for (int i = 0; i < count; ++i) {
    OneBased<Real, 8> samples;
    for (int s = 1; s <= 8; ++s) samples[s] = value(s, i);
    p.Curves.SetPending(i, samples);
  }
  p.Curves.Publish(count);
  return p;
}

// The main window's upper plot for position 0, else its lower plot at that zoom bar position.
PlotLayout WindowLayout(int position) {
  return position == 0 ? UpperPlotLayout(kUpper) : LowerPlotLayout(kLower, kUpper.width(), position);
}

QImage Render(const KineticProject& project, const PlotLayout& layout, QSize size = {}) {
  QImage image(size.isValid() ? size : QSize(layout.Width, layout.Height), QImage::Format_RGB32);
  image.fill(kUntouched);
  QPainter painter(&image);
  DrawPlot(painter, project, layout);
  return image;
}

class PlotPainterTest : public QObject {
  Q_OBJECT

 private slots:
  // The zoom factor counts from the bottom of the bar. Column 1 holds only the grid: rows
  // H - nearest(i H Z / D), D by the zoom, i = 1..9 in the upper plot (labelled 10..90: none on
  // the border), 1..10 and 15 in the lower one. The dotted lines stop before the upper plot's
  // right edge; nothing is drawn outside the plot.
  void GridFollowsZoom() {
    const int zooms[][2] = {{1, 325}, {325, 1}, {315, 11}, {200, 126}, {0, 325}, {-7, 325}, {326, 1}, {1000, 1}};
    for (const auto& [position, zoom] : zooms) QCOMPARE(ZoomFactor(position), zoom);
    for (const auto& [position, divisions] :
         {std::pair{0, 10}, {325, 10}, {321, 10}, {320, 100}, {277, 100}, {276, 1000}, {1, 1000}}) {
      const PlotLayout layout = WindowLayout(position);
      const int h = layout.Height;
      const QImage image = Render(Example(false), layout, QSize(620, h + 10));
      const long double step = static_cast<long double>(h) * (position == 0 ? 1 : ZoomFactor(position)) / divisions;
      std::set<int> rows;
      for (const int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15}) rows.insert(h - Nearest(i * step));
      if (position == 0) rows.erase(0);
      QString column;
      for (int y = 0; y < h + 10; ++y) column += y >= h ? ' ' : rows.count(y) != 0 ? 'X' : y % (h - 1) == 0 ? '#' : '.';
      const int first = h - Nearest(step);
      const QString got = Pixels(image, QRect(1, 0, 1, h + 10), GridColor().rgb()) + '|' +
                          Pixels(image, QRect(597, first, 3, 1), GridColor().rgb());
      QCOMPARE(QString::number(position) + got, QString::number(position) + column + (position == 0 ? "|X.#" : "|X  "));
      if (position == 0) QVERIFY(!Pixels(image, QRect(1, 1, 100, 20), 0).contains('#'));
    }
  }

  // A marker's right column stands on the time, its middle row on the fraction, over the grid
  // (colours stored at 5 bits per channel: 128 reads 123); none for an absent experiment; only
  // the frame while the project is not valid.
  void MarkersSitOnTimeAndConcentration() {
    for (const auto& [position, row, species, pattern, color] :
         {std::tuple{0, 3U, 3, "X...X.X.X...X...X.X.X...X", qRgb(0, 123, 0)},
          std::tuple{239, 6U, 4, "..X...X.X..X.X.X...XXXXXX", qRgb(0, 123, 123)}}) {
      KineticProject p = Example(true);
      const PlotLayout layout = WindowLayout(position);
      const int x = Nearest(static_cast<long double>(p.Left.Times[row]) * kIntervals / p.Left.Times[6]) - 4;
      const int y = layout.Height - Nearest(p.Left.Observed[row][species] * layout.Height * layout.Zoom) - 2;
      QCOMPARE(Pixels(Render(p, layout), QRect(x, y, 5, 5), color), QString::fromLatin1(pattern));
      p.Left.Present = false;
      QVERIFY(!Pixels(Render(p, layout), QRect(x, y, 5, 5), color).contains('X'));
      RecalcCurves(p, kIntervals);
      p.DataValid = false;
      const QString edge(layout.Width, '#');
      const QString frame = edge + ('#' + QString(layout.Width - 2, '.') + '#').repeated(layout.Height - 2) + edge;
      QVERIFY(Pixels(Render(p, layout), QRect(0, 0, layout.Width, layout.Height), 0) == frame);
    }
  }

  // Sample i at x = nearest(i n / (count - 1)), y = H - nearest(v H Z), each segment leaving out
  // its end pixel: a zigzag (of D, zoom 300) has a vertex at each. The picture limits curve points
  // to rows -1 and H, so that a jump into the range starts at the edge.
  void CurvesPassTheirSamples() {
    const PlotLayout layout = WindowLayout(26);
    const auto value = [&layout](int i) { return (i % 2 == 0 ? 0.45L : 0.65L) / layout.Zoom; };
    for (const int count : {11, kIntervals + 1}) {  // spread over the columns, or one per column
      const QImage image =
          Render(Example(false, count, [&](int s, int i) { return s == 4 ? value(i) : Real{0}; }), layout);
      QString vertices;
      for (int i = 0; i < count; ++i) {
        const int y = layout.Height - Nearest(value(i) * layout.Height * layout.Zoom);
        vertices += Pixels(image, QRect(Nearest(i * kIntervals / (count - 1.0L)), y, 1, 1), qRgb(0, 128, 128));
      }
      QCOMPARE(vertices, QString(count - 1, 'X') + '.');
    }
    const auto jump = [](int s, int i) -> Real {
      return s == 1 ? (i <= 400 ? 1 : 0.05) : s == 2 ? (i <= 200 ? -0.5 : 0.02) : 0;
    };
    const QImage picture = Render(Example(false, 799, jump), PictureLayout(QSize(800, 600), 318));  // Z 8
    QCOMPARE(Pixels(picture, QRect(399, 0, 1, 1), kRed) + Pixels(picture, QRect(400, 10, 1, 1), kRed), "#X");
    QCOMPARE(Pixels(picture, QRect(199, 599, 1, 1), kBlue) + Pixels(picture, QRect(200, 590, 1, 1), kBlue), "#X");
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::PlotPainterTest)
#include "PlotPainterTest.moc"
