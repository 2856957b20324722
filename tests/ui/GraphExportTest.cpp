// The exported picture: its size and layout (what the layout draws is the painter's, tested
// there), the file "Save Graph" writes (always BMP, replaced atomically), and the same file
// written by zamo-cli.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "model/RecalcCurves.h"
#include "model/ZamoError.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/GraphExport.h"
#include "ui/PlotPainter.h"

namespace zamo::testing {

namespace {

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

void WriteOld(const QString& path) {
  QFile old(path);
  if (!old.open(QIODevice::WriteOnly) || old.write("old picture") != 11) QFAIL("the old picture was not written");
}

QStringList Entries(const QTemporaryDir& folder) {
  return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

class GraphExportTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // 800 x 600, one time scale of 798 pixels for curves and markers, the grid across the
  // whole picture, curve points limited to it.
  void PictureLayout800By600() {
    const PlotLayout layout = PictureLayout(QSize(800, 600), 300);
    QCOMPARE(layout.Width, 800);
    QCOMPARE(layout.Height, 600);
    QCOMPARE(layout.Intervals, 798);
    QCOMPARE(layout.GridEnd, 799);
    QCOMPARE(layout.Zoom, 26);
    QVERIFY(layout.GridKind == PlotLayout::Grid::Zoomed);
    QVERIFY(layout.CurveKind == PlotLayout::Curves::Clipped);

    QCOMPARE(RenderGraph(KineticProject{}, 325).size(), QSize(800, 600));
  }

  // The picture of the shown experiment at the zoom bar's position, as BMP data whatever
  // the chosen name; afterwards, and after Cancel, the screen's curves are back and the
  // project counts as changed.
  void SaveGraphWritesABitmapWhateverTheName_data() {
    QTest::addColumn<QString>("name");  // "" for Cancel
    QTest::newRow("png") << "graph.png";
    QTest::newRow("no extension") << "graph";
    QTest::newRow("cancelled") << "";
  }
  void SaveGraphWritesABitmapWhateverTheName() {
    QFETCH(QString, name);
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::CTRL | Qt::Key_R);
    MoveZoomBar(f, 300);
    KineticProject expected = f.Window.Project();
    RecalcCurves(expected, kGraphIntervals);
    QVERIFY(!f.Window.Project().Modified);

    f.Platform.FileAnswers = {name.isEmpty() ? std::nullopt : std::optional(path)};
    f.Press(Qt::CTRL | Qt::Key_G);
    const FileDialogOptions& options = f.Platform.FileDialogs.at(0);
    QCOMPARE(options.Title, QStringLiteral("Save Graph"));
    QCOMPARE(options.DefaultSuffix, QStringLiteral("bmp"));
    QVERIFY(options.ConfirmOverwrite);
    QVERIFY(options.Filter.startsWith(QLatin1String("Bitmaps (*.bmp)")));
    QVERIFY(options.Filter.contains(QLatin1String("Metadateien (*.wmf)")));
    QVERIFY(f.Platform.Messages.empty());
    QVERIFY(f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().Curves.Count(), f.Window.PlotIntervals() + 1);
    if (name.isEmpty()) return;
    const QByteArray bytes = Bytes(path);
    QVERIFY(bytes.startsWith("BM"));
    QVERIFY(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32) == RenderGraph(expected, 300));
  }

  // The error box shows the writer's text (its reasons are the writer's to test); the
  // curves go back to the screen's width and the project stays unchanged.
  void FailedWriteShowsTheWritersError() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("missing/graph.bmp"));
    MainWindowFixture& f = ShownWindow();
    f.Platform.FileAnswers = {path};
    f.Press(Qt::CTRL | Qt::Key_G);
    QCOMPARE(f.Platform.OneMessage(),
             QStringLiteral("Datei %1 kann nicht erstellt werden: No such file or directory.").arg(path));
    QCOMPARE(f.Platform.Messages[0].Caption, QStringLiteral("Kinetic Calculation of Unimolecular Reactions"));
    QCOMPARE(f.Window.Project().Curves.Count(), f.Window.PlotIntervals() + 1);
    QVERIFY(!f.Window.Project().Modified);
  }

  // A picture that cannot be encoded (QImage gives a null picture when memory runs short)
  // is an error before the file is touched: never an empty file over the old picture.
  void PictureThatCannotBeEncodedKeepsTheOldFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("graph.bmp"));
    WriteOld(path);
    QString message = QStringLiteral("no error");
    try {
      WritePicture(path.toStdString(), QImage());
    } catch (const FileError& error) {
      message = QString::fromStdString(error.what());
    }
    QCOMPARE(
        message,
        QStringLiteral("Datei %1 kann nicht erstellt werden: the picture cannot be encoded (out of memory)").arg(path));
    QCOMPARE(Bytes(path), QByteArray("old picture"));
    QCOMPARE(Entries(folder), QStringList{QStringLiteral("graph.bmp")});
  }

  // The window and zamo-cli draw one picture for one state: the project as saved, the
  // experiment and the zoom position (given, or remembered in the project).
  void CliWritesTheSameFile_data() {
    QTest::addColumn<bool>("left");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("givenPosition");
    QTest::newRow("left at Z 1") << true << 325 << true;
    QTest::newRow("right, remembered zoom") << false << 250 << false;
  }
  void CliWritesTheSameFile() {
    QFETCH(bool, left);
    QFETCH(int, position);
    QFETCH(bool, givenPosition);
    QTemporaryDir folder;
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

    QStringList arguments{QStringLiteral("graph"), project, QStringLiteral("--experiment"),
                          left ? QStringLiteral("left") : QStringLiteral("right")};
    if (givenPosition) arguments << QStringLiteral("--zoom-position") << QString::number(position);
    arguments << QStringLiteral("-o") << fromCli;
    QProcess cli;
    cli.start(QStringLiteral(ZAMO_CLI_PATH), arguments);
    QVERIFY2(cli.waitForFinished(60000), qPrintable(cli.errorString()));
    QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0, cli.readAllStandardError().constData());
    const QByteArray window = Bytes(fromWindow);
    QVERIFY(window.startsWith("BM"));
    QVERIFY(Bytes(fromCli) == window);
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::GraphExportTest)
#include "GraphExportTest.moc"
