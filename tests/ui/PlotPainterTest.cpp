// The plot drawing routine on images of known size: frame, grid, markers and curves at
// pixels computed here from the coordinate rules.

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <set>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/RecalcCurves.h"
#include "ui/PlotPainter.h"
#include "ui/SpeciesColors.h"

namespace zamo::testing {

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kUntouched = qRgb(90, 60, 30);  // the target before drawing
constexpr QRgb kRed = qRgb(255, 0, 0);         // species A
constexpr QRgb kBlue = qRgb(0, 0, 255);        // species B
// The main window's plots: 305 makes every other tenth of the height a half, which rounds to
// even. n is the upper width minus the zoom bar minus 2.
const QSize kUpper(600, 305);
const QSize kLower(587, 221);
constexpr int kIntervals = 585;

// Halves to even in the default floating-point rounding mode.
int Nearest(long double v) { return static_cast<int>(std::nearbyint(v)); }

QRgb Grid() { return GridColor().rgb(); }

// Whether a box holds glyph ink (the labels are black on white).
bool AnyDark(const QImage& image, const QRect& box) {
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) return true;
    }
  }
  return false;
}

QImage Render(const KineticProject& project, const PlotLayout& layout, QSize target = QSize()) {
  QImage image(target.isValid() ? target : QSize(layout.Width, layout.Height), QImage::Format_RGB32);
  image.fill(kUntouched);
  QPainter painter(&image);
  DrawPlot(painter, project, layout);
  return image;
}

// The example project with its left experiment shown; curves only when asked for.
KineticProject Example(bool curves, bool markers) {
  KineticProject p;
  static_cast<ProjectData&>(p) = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
  p.ShowLeft = true;
  p.DataValid = true;
  p.Left.Present = markers;
  if (curves) RecalcCurves(p, kIntervals);
  return p;
}

// Replaces the curves by count samples of value(species, sample).
template <typename Value>
void SetCurves(KineticProject& p, int count, Value value) {
  for (int i = 0; i < count; ++i) {
    OneBased<Real, 8> samples;
    for (int s = 1; s <= 8; ++s) samples[s] = value(s, i);
    p.Curves.SetPending(i, samples);
  }
  p.Curves.Publish(count);
}

int CurveRow(const KineticProject& p, int species, int x, int height, int zoom) {
  return height - Nearest(p.Curves.Value(species, x) * height * zoom);
}

// A later species is drawn over this one; its pixels in column x lie between its rows at
// samples x - 1, x and x + 1.
bool LaterCurveMayCover(const KineticProject& p, int species, int x, int y, int height, int zoom) {
  for (int s = species + 1; s <= 8; ++s) {
    const int a = CurveRow(p, s, x - 1, height, zoom), b = CurveRow(p, s, x, height, zoom);
    const int c = CurveRow(p, s, x + 1, height, zoom);
    if (y >= std::min({a, b, c}) && y <= std::max({a, b, c})) return true;
  }
  return false;
}

QString Describe(const QImage& image, int x, int y, QRgb expected) {
  return QStringLiteral("pixel (%1, %2) is %3, expected %4")
      .arg(QString::number(x), QString::number(y), QColor(image.pixel(x, y)).name(), QColor(expected).name());
}

// The main window's upper plot for position 0, else its lower plot at that zoom bar position.
PlotLayout WindowLayout(int position) {
  return position == 0 ? UpperPlotLayout(kUpper) : LowerPlotLayout(kLower, kUpper.width(), position);
}

}  // namespace

#define EXPECT_PIXEL(image, x, y, color) \
  QVERIFY2((image).pixel((x), (y)) == (color), qPrintable(Describe((image), (x), (y), (color))))

class PlotPainterTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

  void ZoomFactorCountsFromTheBottom() {
    const int rows[][2] = {{1, 325}, {325, 1}, {315, 11}, {200, 126}, {0, 325}, {-7, 325}, {326, 1}, {1000, 1}};
    for (const auto& [position, zoom] : rows) QCOMPARE(ZoomFactor(position), zoom);
  }

  void EmptyFrameBeforeAProjectIsValid() {
    KineticProject p = Example(true, true);
    p.DataValid = false;
    const QImage image = Render(p, WindowLayout(26));
    for (int y = 0; y < kLower.height(); ++y) {
      for (int x = 0; x < kLower.width(); ++x) {
        const bool border = x == 0 || y == 0 || x == kLower.width() - 1 || y == kLower.height() - 1;
        EXPECT_PIXEL(image, x, y, border ? kBlack : kWhite);
      }
    }
  }

  // Dotted lines at every tenth from column 1 up to the border, labelled 10..90: a label at
  // 0 or 100 % would cover the border with its white background or draw below the plot.
  void UpperGridEveryTenth() {
    const QImage image = Render(Example(false, false), WindowLayout(0), QSize(600, 330));
    for (int i = 1; i <= 9; ++i) {
      const int y = kUpper.height() - Nearest(i * kUpper.height() / 10.0L);
      EXPECT_PIXEL(image, 1, y, Grid());
      EXPECT_PIXEL(image, 2, y, kWhite);
      EXPECT_PIXEL(image, 597, y, Grid());
      EXPECT_PIXEL(image, 598, y, kWhite);
      EXPECT_PIXEL(image, 1, y + 1, kWhite);
      QVERIFY(AnyDark(image, QRect(4, y - 5, 40, 14)));
    }
    for (int x = 0; x < 600; ++x) {
      EXPECT_PIXEL(image, x, 0, kBlack);
      EXPECT_PIXEL(image, x, kUpper.height() - 1, kBlack);
      for (int y = kUpper.height(); y < 330; ++y) EXPECT_PIXEL(image, x, y, kUntouched);
    }
    QVERIFY(!AnyDark(image, QRect(1, 1, 100, 20)));
  }

  // Rows H - nearest(i H Z / D) for i = 1..10 and 15, D by the zoom; column 1 holds nothing
  // but the grid. The lines run to the upper plot's right edge, leaving out its end pixel:
  // a wider image than the plot shows where they stop.
  void LowerGridFollowsZoom_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("divisions");
    QTest::newRow("Z 1") << 325 << 10;
    QTest::newRow("Z 5") << 321 << 10;
    QTest::newRow("Z 6") << 320 << 100;
    QTest::newRow("Z 49") << 277 << 100;
    QTest::newRow("Z 50") << 276 << 1000;
    QTest::newRow("Z 325") << 1 << 1000;
  }
  void LowerGridFollowsZoom() {
    QFETCH(int, position);
    QFETCH(int, divisions);
    const PlotLayout layout = WindowLayout(position);
    const QImage image = Render(Example(false, false), layout, QSize(620, kLower.height()));
    const int h = kLower.height();
    const long double step = static_cast<long double>(h) * layout.Zoom / divisions;
    std::set<int> rows;
    for (const int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15}) rows.insert(h - Nearest(i * step));
    for (int y = 0; y < h; ++y) {
      EXPECT_PIXEL(image, 1, y, rows.count(y) != 0 ? Grid() : (y == 0 || y == h - 1 ? kBlack : kWhite));
    }
    const int first = h - Nearest(step);
    if (first > 5 && first < h - 10) QVERIFY(AnyDark(image, QRect(4, first - 5, 40, 14)));
    if (first > 0 && first < h - 1) {
      EXPECT_PIXEL(image, 597, first, Grid());
      EXPECT_PIXEL(image, 599, first, kUntouched);
    }
  }

  // A marker's rightmost column stands on the measured time and its middle row on the
  // measured fraction, over the grid; none for the start row (time 0), whose right column
  // would fall on the border, and none for an absent experiment.
  void MarkerSitsOnTimeAndConcentration_data() {
    QTest::addColumn<int>("position");  // 0: the upper plot
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("species");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QRgb>("color");  // stored at 5 bits per channel: 128 reads 123
    QTest::newRow("upper C cross") << 0 << 3 << 3 << "X...X.X.X...X...X.X.X...X" << qRgb(0, 123, 0);
    QTest::newRow("lower D triangle over grid") << 239 << 6 << 4 << "..X...X.X..X.X.X...XXXXXX" << qRgb(0, 123, 123);
  }
  void MarkerSitsOnTimeAndConcentration() {
    QFETCH(int, position);
    QFETCH(int, row);
    QFETCH(int, species);
    QFETCH(QString, pattern);
    QFETCH(QRgb, color);
    const KineticProject p = Example(false, true);
    const PlotLayout layout = WindowLayout(position);
    const QImage image = Render(p, layout);
    const int h = layout.Height;
    const auto j = static_cast<std::size_t>(row);
    const int x = Nearest(static_cast<long double>(p.Left.Times[j]) * kIntervals / p.Left.Times[6]) - 4;
    const int y = h - Nearest(p.Left.Observed[j][species] * h * layout.Zoom) - 2;
    for (int r = 0; r < 5; ++r) {
      for (int c = 0; c < 5; ++c) EXPECT_PIXEL(image, x + c, y + r, pattern[5 * r + c] == 'X' ? color : kWhite);
    }
    for (const int y0 : {0, 1, 2, h - 2, h - 1}) EXPECT_PIXEL(image, 0, y0, kBlack);

    KineticProject absent = p;
    absent.Left.Present = false;
    const QImage none = Render(absent, layout);
    QVERIFY(none.pixel(x + 4, y + 4) != color);
  }

  // A last time of 0: every marker and curve sample at x = 0, so the curves vanish and the
  // markers of all rows show their right column on the left border.
  void ZeroLastTimeDrawsAtLeftEdge() {
    KineticProject p = Example(false, true);
    p.Left.Times[6] = 0;
    RecalcCurves(p, kIntervals);
    const QImage image = Render(p, WindowLayout(0));
    const int h = kUpper.height();
    const int y = h - Nearest(p.Left.Observed[5][8] * h) - 2;  // square of H, row 5
    for (int r = 0; r < 5; ++r) EXPECT_PIXEL(image, 0, y + r, qRgb(255, 0, 255));
    for (int r = 1; r < h - 1; ++r) QVERIFY(image.pixel(300, r) == kWhite || image.pixel(300, r) == Grid());
  }

  void CurvePassesThroughItsSamples_data() {
    QTest::addColumn<int>("position");  // 0: the upper plot
    QTest::addColumn<int>("species");
    QTest::addColumn<QRgb>("color");
    QTest::newRow("upper A") << 0 << 1 << kRed;
    QTest::newRow("lower D at zoom 300") << 26 << 4 << qRgb(0, 128, 128);
  }
  void CurvePassesThroughItsSamples() {
    QFETCH(int, position);
    QFETCH(int, species);
    QFETCH(QRgb, color);
    const KineticProject p = Example(true, false);
    const PlotLayout layout = WindowLayout(position);
    const QImage image = Render(p, layout);
    int checked = 0;
    for (int x = kIntervals / 2; x < kIntervals / 2 + 40; ++x) {
      const int y = CurveRow(p, species, x, layout.Height, layout.Zoom);
      QVERIFY2(y > 0 && y < layout.Height - 1, "the chosen curve lies inside the plot");
      if (LaterCurveMayCover(p, species, x, y, layout.Height, layout.Zoom)) continue;
      EXPECT_PIXEL(image, x, y, color);
      ++checked;
    }
    QVERIFY(checked > 20);
  }

  // Fewer samples than columns: sample i at x = nearest(i n / (count - 1)), each segment
  // leaving out its end pixel. A zigzag of A between 45 % and 65 % puts a vertex at each of
  // those columns; the other species stay at 0, at y = H just below the plot.
  void SparseCurveSpreadsOverTimeRange() {
    KineticProject p = Example(false, false);
    SetCurves(p, 11, [](int s, int i) -> Real { return s == 1 ? (i % 2 == 0 ? 0.45L : 0.65L) : 0; });
    const QImage image = Render(p, WindowLayout(0));
    const int h = kUpper.height();
    for (int i = 0; i <= 10; ++i) {
      const int y = h - Nearest((i % 2 == 0 ? 0.45L : 0.65L) * h);
      EXPECT_PIXEL(image, Nearest(i * kIntervals / 10.0L), y, i < 10 ? kRed : kWhite);
    }
    for (const int x : {100, 300, 500}) EXPECT_PIXEL(image, x, h - 1, kBlack);
  }

  // The picture limits curve points to rows -1 and H, so a jump from beyond the range into
  // it starts at the edge; on the screen it would start far outside and miss the edge.
  void PictureClipsCurvesToItsEdges() {
    KineticProject p = Example(false, false);
    SetCurves(p, 799, [](int s, int i) -> Real {
      if (s == 1) return i <= 400 ? 1.0L : 0.05L;
      if (s == 2) return i <= 200 ? -0.5L : 0.02L;
      return 0;
    });
    const QImage image = Render(p, PictureLayout(QSize(800, 600), 318));  // Z 8
    EXPECT_PIXEL(image, 399, 0, kBlack);
    EXPECT_PIXEL(image, 400, 10, kRed);
    EXPECT_PIXEL(image, 199, 599, kBlack);
    EXPECT_PIXEL(image, 200, 590, kBlue);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::PlotPainterTest)
#include "PlotPainterTest.moc"
