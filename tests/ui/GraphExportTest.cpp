// The exported picture's layout (what it draws is the painter's), the file "Save Graph" writes
// (always BMP, replaced atomically), and the same file written by zamo-cli.

#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "model/RecalcCurves.h"
#include "model/ZamoError.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/GraphExport.h"
#include "ui/PlotPainter.h"

namespace zamo::testing {

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class GraphExportTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // 800 x 600, one time scale of 798 pixels for curves and markers, the grid across the whole
  // picture, curve points limited to it.
  void PictureLayout800By600() {
    const PlotLayout l = PictureLayout(QSize(800, 600), 300);
    QVERIFY(std::tuple(l.Width, l.Height, l.Intervals, l.GridEnd, l.Zoom) == std::tuple(800, 600, 798, 799, 26));
    QVERIFY(l.GridKind == PlotLayout::Grid::Zoomed && l.CurveKind == PlotLayout::Curves::Clipped);
  }

  // A failed write shows the writer's text and changes nothing; Cancel counts as a change; the
  // picture is BMP data whatever the name, at the zoom bar's position, and the screen's curves
  // come back; zamo-cli draws the same at the zoom position saved or given.
  void SaveGraphAndCliWriteOnePicture() {
    QTemporaryDir folder;
    const QString project = folder.filePath(QStringLiteral("project.zam"));
    const QString graph = folder.filePath(QStringLiteral("graph.png"));
    const QString missing = folder.filePath(QStringLiteral("missing/graph.bmp"));
    MainWindowFixture& f = ShownWindow();
    f.Platform.FileAnswers = {missing, std::nullopt, project, graph};
    f.Press(Qt::CTRL | Qt::Key_G);
    QCOMPARE(f.Platform.OneMessage(),
             QStringLiteral("Datei %1 kann nicht erstellt werden: No such file or directory.").arg(missing));
    QCOMPARE(f.Window.Project().Curves.Count(), f.Window.PlotIntervals() + 1);
    QVERIFY(!f.Window.Project().Modified);
    f.Press(Qt::CTRL | Qt::Key_G);
    QVERIFY(f.Window.Project().Modified);
    f.Press(Qt::CTRL | Qt::Key_R);
    f.ZoomBar()->setValue(250);
    KineticProject expected = f.Window.Project();
    RecalcCurves(expected, kGraphIntervals);
    f.Press(Qt::CTRL | Qt::Key_A);
    f.Press(Qt::CTRL | Qt::Key_G);
    QVERIFY(f.Platform.Messages.size() == 1 && f.Window.Project().Modified);
    QCOMPARE(f.Window.Project().Curves.Count(), f.Window.PlotIntervals() + 1);
    QVERIFY(QImage::fromData(Bytes(graph), "BMP").convertToFormat(QImage::Format_RGB32) == RenderGraph(expected, 250));
    const QString out = folder.filePath(QStringLiteral("cli.bmp"));
    const auto cli = [&](const QStringList& zoom) {
      QProcess run;
      run.start(QStringLiteral(ZAMO_CLI_PATH), QStringList{QStringLiteral("graph"), project, QStringLiteral("-o"), out,
                                                           QStringLiteral("--experiment"), QStringLiteral("right")} +
                                                   zoom);
      return run.waitForFinished(60000) && run.exitCode() == 0;
    };
    QVERIFY(cli({}) && Bytes(out) == Bytes(graph));
    QVERIFY(cli({QStringLiteral("--zoom-position"), QStringLiteral("1")}));
    QCOMPARE(QImage(out).size(), QSize(800, 600));
    QVERIFY(QImage(out).convertToFormat(QImage::Format_RGB32) == RenderGraph(expected, 1));
    // QImage gives a null picture when memory runs short: an error before the file is touched.
    QString message;
    try {
      WritePicture(out.toStdString(), QImage());
    } catch (const FileError& error) {
      message = QString::fromStdString(error.what());
    }
    QVERIFY2(message.endsWith(QStringLiteral(": the picture cannot be encoded (out of memory)")), qPrintable(message));
    QVERIFY(Bytes(out).startsWith("BM"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::GraphExportTest)
#include "GraphExportTest.moc"
