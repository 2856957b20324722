// The exported picture: its drawing on the 800 x 600 image at pixels computed from the
// coordinate rules, the file "Save Graph" writes (always BMP, replaced atomically), and the
// same file written by zamo-cli.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <optional>
#include <set>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/RecalcCurves.h"
#include "model/ZamoError.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/GraphExport.h"
#include "ui/SpeciesColors.h"

namespace zamo::testing {

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kIntervals = 798;  // the picture's width minus 2, for curves and markers alike

// Halves to even in the default floating-point rounding mode.
int Nearest(long double v) { return static_cast<int>(std::nearbyint(v)); }

// The row of a curve point w = fraction x 600 x Z: below 0 at 600, above the picture at -1.
int ClipY(long double w) {
  if (w < 0) return kHeight;
  if (w > kHeight) return -1;
  return kHeight - Nearest(w);
}

// The example with one experiment shown, its curves sampled for the picture.
KineticProject Example(bool left) {
  KineticProject p;
  static_cast<ProjectData&>(p) = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
  p.ShowLeft = left;
  p.DataValid = true;
  RecalcCurves(p, kIntervals);
  return p;
}

int CurveRow(const KineticProject& p, int species, int x, int zoom) {
  return ClipY(p.Curves.Value(species, x) * (static_cast<long double>(kHeight) * zoom));
}

// Whether the curve of a species from `first` on may have a pixel at (x, y): in column x a
// curve's line lies between its rows at samples x - 1, x and x + 1.
bool CurveMayCover(const KineticProject& p, int first, int x, int y, int zoom) {
  for (int s = first; s <= 8; ++s) {
    const int a = CurveRow(p, s, x - 1, zoom), b = CurveRow(p, s, x, zoom), c = CurveRow(p, s, x + 1, zoom);
    if (y >= std::min({a, b, c}) && y <= std::max({a, b, c})) return true;
  }
  return false;
}

QString Describe(const QImage& image, int x, int y, QRgb expected) {
  return QStringLiteral("pixel (%1, %2) is %3, expected %4")
      .arg(x)
      .arg(y)
      .arg(QColor(image.pixel(x, y)).name(), QColor(expected).name());
}

// Moves the zoom bar with the keyboard, as a user scrolls it.
void MoveZoomBar(MainWindowFixture& f, int position) {
  QScrollBar* bar = f.ZoomBar();
  QTest::keyClick(bar, Qt::Key_End);
  while (bar->value() - 20 >= position) QTest::keyClick(bar, Qt::Key_PageUp);
  while (bar->value() > position) QTest::keyClick(bar, Qt::Key_Up);
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

#define EXPECT_PIXEL(image, x, y, color) \
  QVERIFY2((image).pixel((x), (y)) == (color), qPrintable(Describe((image), (x), (y), (color))))

class GraphExportTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  void EmptyPictureWhileNoProjectIsValid() {
    KineticProject p = Example(true);
    p.DataValid = false;
    const QImage image = RenderGraph(p, 325);
    QCOMPARE(image.size(), QSize(kWidth, kHeight));
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool border = x == 0 || y == 0 || x == kWidth - 1 || y == kHeight - 1;
        EXPECT_PIXEL(image, x, y, border ? kBlack : kWhite);
      }
    }
  }

  // The grid rows are 600 - nearest(i g) with g = 600 Z / D, for i = 1..10 and 15. Left of
  // the labels, columns 1 and 3 hold nothing but the dotted grid and, where they start
  // steeply, the curves; each grid row is also found dotted further right where no curve
  // crosses it.
  void GridRowsFollowTheZoom_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("divisions");
    QTest::newRow("Z 1") << 325 << 10;
    QTest::newRow("Z 5") << 321 << 10;
    QTest::newRow("Z 6") << 320 << 100;
    QTest::newRow("Z 49") << 277 << 100;
    QTest::newRow("Z 50") << 276 << 1000;
    QTest::newRow("Z 163") << 163 << 1000;
    QTest::newRow("Z 325") << 1 << 1000;
  }
  void GridRowsFollowTheZoom() {
    QFETCH(int, position);
    QFETCH(int, divisions);
    const int zoom = 326 - position;
    KineticProject p = Example(true);
    p.Left.Present = false;  // no markers over the grid
    const QImage image = RenderGraph(p, position);
    const long double g = static_cast<long double>(kHeight) * zoom / divisions;
    std::set<int> rows;
    for (const int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15}) rows.insert(kHeight - Nearest(i * g));
    for (const int x : {1, 3}) {
      for (int y = 1; y < kHeight - 1; ++y) {
        if (CurveMayCover(p, 1, x, y, zoom)) continue;
        EXPECT_PIXEL(image, x, y, rows.count(y) != 0 ? GridColor().rgb() : kWhite);
      }
    }
    for (const int y : rows) {
      if (y <= 0 || y >= kHeight - 1) continue;
      int x = 61;  // right of the labels
      while (x < kWidth - 3 && (CurveMayCover(p, 1, x, y, zoom) || CurveMayCover(p, 1, x + 1, y, zoom))) x += 2;
      QVERIFY2(x < kWidth - 3, "a clear stretch of the grid row");
      EXPECT_PIXEL(image, x, y, GridColor().rgb());
      EXPECT_PIXEL(image, x + 1, y, kWhite);
    }
  }

  // A marker's rightmost column stands on the measured time (798 pixels for the time range)
  // and its middle row on the measured fraction; colours stored at 5 bits (128 reads 123).
  void MarkerSitsOnTimeAndConcentration_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("species");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QRgb>("color");
    QTest::newRow("A cross at Z 1") << 325 << 5 << 1 << "X...X.X.X...X...X.X.X...X" << qRgb(255, 0, 0);
    QTest::newRow("E diamond at Z 163") << 163 << 3 << 5 << "..X...X.X.X...X.X.X...X.." << qRgb(123, 0, 123);
  }
  void MarkerSitsOnTimeAndConcentration() {
    QFETCH(int, position);
    QFETCH(int, row);
    QFETCH(int, species);
    QFETCH(QString, pattern);
    QFETCH(QRgb, color);
    const int zoom = 326 - position;
    const KineticProject p = Example(true);
    const QImage image = RenderGraph(p, position);
    const auto j = static_cast<std::size_t>(row);
    const int x = Nearest(static_cast<long double>(p.Left.Times[j]) * kIntervals / p.Left.Times[6]) - 4;
    const int y = kHeight - Nearest(p.Left.Observed[j][species] * (static_cast<long double>(kHeight) * zoom)) - 2;
    for (int r = 0; r < 5; ++r) {
      for (int c = 0; c < 5; ++c) {
        QVERIFY2(!CurveMayCover(p, 1, x + c, y + r, zoom), "the chosen marker lies clear of the curves");
        EXPECT_PIXEL(image, x + c, y + r, pattern[5 * r + c] == QLatin1Char('X') ? color : kWhite);
      }
    }
  }

  void CurvePassesThroughItsSamples_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("species");
    QTest::addColumn<QRgb>("color");
    QTest::newRow("A at Z 1") << 325 << 1 << qRgb(255, 0, 0);
    QTest::newRow("D at Z 126") << 200 << 4 << qRgb(0, 128, 128);
  }
  void CurvePassesThroughItsSamples() {
    QFETCH(int, position);
    QFETCH(int, species);
    QFETCH(QRgb, color);
    const int zoom = 326 - position;
    const KineticProject p = Example(true);
    const QImage image = RenderGraph(p, position);
    int checked = 0;
    for (int x = 380; x < 420; ++x) {
      const int y = CurveRow(p, species, x, zoom);
      QVERIFY2(y > 0 && y < kHeight - 1, "the chosen curve lies inside the picture");
      if (CurveMayCover(p, species + 1, x, y, zoom)) continue;
      EXPECT_PIXEL(image, x, y, color);
      ++checked;
    }
    QVERIFY(checked > 20);
  }

  // The picture of the shown experiment at the zoom bar's position, as BMP data whatever
  // the chosen name; afterwards the screen's curves are back and the project is changed.
  void SaveGraphWritesABitmapWhateverTheName_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("bmp") << "graph.bmp";
    QTest::newRow("wmf") << "graph.wmf";
    QTest::newRow("png") << "graph.png";
    QTest::newRow("no extension") << "graph";
  }
  void SaveGraphWritesABitmapWhateverTheName() {
    QFETCH(QString, name);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(name);
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::CTRL | Qt::Key_R);
    MoveZoomBar(f, 300);
    KineticProject expected = f.Window.Project();
    RecalcCurves(expected, kIntervals);
    const QImage picture = RenderGraph(expected, 300);
    QVERIFY(!f.Window.Project().Modified);

    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_G);
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    const FileDialogOptions& options = f.Platform.FileDialogs[0];
    QCOMPARE(options.Title, QStringLiteral("Save Graph"));
    QCOMPARE(options.DefaultSuffix, QStringLiteral("bmp"));
    QVERIFY(options.ConfirmOverwrite);
    QVERIFY(options.Filter.startsWith(QLatin1String("Bitmaps (*.bmp)")));
    QVERIFY(options.Filter.contains(QLatin1String("Metadateien (*.wmf)")));
    QVERIFY(f.Platform.Messages.empty());

    const QByteArray bytes = Bytes(path);
    QVERIFY(bytes.startsWith("BM"));
    const QImage written = QImage::fromData(bytes, "BMP");
    QCOMPARE(written.size(), QSize(kWidth, kHeight));
    QVERIFY(written.convertToFormat(QImage::Format_RGB32) == picture);
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().Curves.Count(), f.Window.PlotIntervals() + 1);
  }

  void CancelStillRefreshes() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(!f.Window.Project().Modified);
    f.Platform.FileAnswers = {std::nullopt};
    f.Press(Qt::CTRL | Qt::Key_G);
    QCOMPARE(f.Platform.FileDialogs.size(), 1u);
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().Curves.Count(), f.Window.PlotIntervals() + 1);
    QVERIFY(f.Platform.Messages.empty());
  }

  // The error box names the file; an existing file is left as it was, the curves go back to
  // the screen's width and the project stays unchanged.
  void FailedWriteKeepsTheOldFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder missing") << "missing/graph.bmp"
                                    << "No such file or directory";
    // Refused whoever runs the test, the superuser included.
    QTest::newRow("existing file without write permission") << "graph.bmp"
                                                            << "Permission denied";
  }
  void FailedWriteKeepsTheOldFile() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(name);
    const bool existing = !name.contains(QLatin1Char('/'));
    if (existing) {
      QFile old(path);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("old picture");
      old.close();
      QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    MainWindowFixture& f = ShownWindow();
    QVERIFY(!f.Window.Project().Modified);
    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_G);
    QCOMPARE(f.Platform.Messages.size(), 1u);
    QCOMPARE(f.Platform.Messages[0].Text, QStringLiteral("Datei %1 kann nicht erstellt werden: %2.").arg(path, reason));
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Kinetic Calculation of Unimolecular Reactions"));
    QCOMPARE(f.Platform.Messages[0].Icon, MessageIcon::Error);
    if (existing) QCOMPARE(Bytes(path), QByteArray("old picture"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             existing ? QStringList{name} : QStringList());
    QCOMPARE(f.Window.Project().Curves.Count(), f.Window.PlotIntervals() + 1);
    QVERIFY(!f.Window.Project().Modified);
  }

  // A picture that cannot be encoded (QImage gives a null picture when memory runs short)
  // is an error before the file is touched: never an empty file over the old picture.
  void PictureThatCannotBeEncodedKeepsTheOldFile() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("graph.bmp"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old picture");
    old.close();
    std::optional<QString> message;
    try {
      WritePicture(path.toStdString(), QImage());
    } catch (const FileError& error) {
      message = QString::fromStdString(error.what());
    }
    QCOMPARE(
        message.value_or(QStringLiteral("no error")),
        QStringLiteral("Datei %1 kann nicht erstellt werden: the picture cannot be encoded (out of memory)").arg(path));
    QCOMPARE(Bytes(path), QByteArray("old picture"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("graph.bmp")});
  }

  // The window and zamo-cli draw one picture for one state: the project as saved, the
  // experiment and the zoom position (given, or remembered in the project).
  void CliWritesTheSameFile_data() {
    QTest::addColumn<bool>("left");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("givenPosition");
    QTest::newRow("left at Z 1") << true << 325 << true;
    QTest::newRow("right at Z 126") << false << 200 << true;
    QTest::newRow("right, remembered zoom") << false << 250 << false;
  }
  void CliWritesTheSameFile() {
    QFETCH(bool, left);
    QFETCH(int, position);
    QFETCH(bool, givenPosition);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString project = folder.filePath(QStringLiteral("project.zam"));
    const QString fromWindow = folder.filePath(QStringLiteral("window.bmp"));
    const QString fromCli = folder.filePath(QStringLiteral("cli.bmp"));
    MainWindowFixture& f = ShownWindow();
    if (!left) f.Press(Qt::CTRL | Qt::Key_R);
    MoveZoomBar(f, position);
    f.Platform.FileAnswers = {project, fromWindow};
    f.Press(Qt::CTRL | Qt::Key_A);
    f.Press(Qt::CTRL | Qt::Key_G);
    QVERIFY(f.Platform.Messages.empty());
    QVERIFY(f.Platform.FileAnswers.empty());

    QStringList arguments{QStringLiteral("graph"), project, QStringLiteral("--experiment"),
                          left ? QStringLiteral("left") : QStringLiteral("right")};
    if (givenPosition) arguments << QStringLiteral("--zoom-position") << QString::number(position);
    arguments << QStringLiteral("-o") << fromCli;
    QProcess cli;
    cli.start(QStringLiteral(ZAMO_CLI_PATH), arguments);
    QVERIFY2(cli.waitForFinished(60000), qPrintable(cli.errorString()));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    const QByteArray window = Bytes(fromWindow);
    QVERIFY(window.startsWith("BM"));
    QVERIFY(Bytes(fromCli) == window);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::GraphExportTest)
#include "GraphExportTest.moc"
