// The temperature-series window as a user drives it: the File menu opens it, projects come
// from a series file, one by one or dropped, "Fit" runs in the worker and fills the tables
// and plots with what the core computes, the results copy and export, and refusals leave the
// series as it was.

#include <qcustomplot.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <atomic>

#include "document/SeriesFile.h"
#include "optimize/SeriesTables.h"
#include "optimize/windows/SeriesWindow.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/SeriesFigure.h"

namespace zamo::testing {

namespace {

constexpr int kFitTimeout = 60000;  // ms; a series of four takes a few milliseconds

QString DataPath(const char* name) { return QStringLiteral(ZAMO_TEST_DATA_DIR "/series/") + QLatin1String(name); }

[[nodiscard]] QPointer<SeriesWindow> OpenWindow(MainWindowFixture& f) {
  f.Item(QStringLiteral("TemperatureSeries1"))->trigger();
  return f.Window.TemperatureSeriesWindow();
}

template <typename Control>
Control* Find(const SeriesWindow& window, const char* name) {
  return window.findChild<Control*>(QLatin1String(name));
}

[[nodiscard]] bool FitAndWait(SeriesWindow& window) {
  QSignalSpy ended(&window, &SeriesWindow::FitEnded);
  QTest::mouseClick(Find<QPushButton>(window, "SeriesFit"), Qt::LeftButton);
  return ended.wait(kFitTimeout) || ended.count() > 0;
}

SeriesResult CoreFit(const SeriesSettings& settings, const TemperatureSeries& series) {
  const std::atomic<bool> stop{false};
  return FitSeries(settings, series, nullptr, stop);
}

QCPGraph* Graph(QCustomPlot& plot, const QString& name) {
  for (int n = 0; n < plot.graphCount(); ++n) {
    if (plot.graph(n)->objectName() == name) return plot.graph(n);
  }
  return nullptr;
}

// A drop of files on the window, as the desktop delivers it.
void DropFiles(SeriesWindow& window, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  if (enter.isAccepted()) QCoreApplication::sendEvent(&window, &drop);
}

}  // namespace

class SeriesWindowTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The menu opens one window; the command again brings back the same one.
  void MenuOpensOneWindow() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), QStringLiteral("Temperature Series"));
    QVERIFY(!Find<QPushButton>(*window, "SeriesFit")->isEnabled());
    QVERIFY(!Find<QPushButton>(*window, "SeriesCopy")->isEnabled());
    QCOMPARE(OpenWindow(f).data(), window.data());
  }

  // A series file's projects with their temperatures; "Fit" gives what the core gives, in
  // the tables, the projects' SSR column and both plots.
  void FitShowsTheCoreResult() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    window->OpenSeries(DataPath("synthetic-series.zams"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Temperature Series - synthetic-series.zams"));
    auto* projects = Find<QTableWidget>(*window, "SeriesProjects");
    QCOMPARE(projects->rowCount(), 4);
    QCOMPARE(projects->item(1, 1)->text(), QStringLiteral("205.00"));
    QCOMPARE(projects->item(1, 2)->text(), QStringLiteral("478.15"));
    QCOMPARE(projects->item(1, 3)->text(), QStringLiteral("-"));

    Find<QComboBox>(*window, "SeriesFree")->setCurrentIndex(1);  // k15 and k16 too
    QVERIFY(FitAndWait(*window));
    QVERIFY(window->Result().has_value());
    const SeriesResult expected = CoreFit(window->Settings(), window->Series());
    QVERIFY(window->Settings().VaryK15K16);
    QCOMPARE(window->Result()->Global->Parameters.size(), std::size_t{12});
    QCOMPARE(static_cast<double>(window->Result()->Global->Ssr), static_cast<double>(expected.Global->Ssr));

    const SeriesTable activation = ActivationTable(expected, SeriesDigits::BySe);
    auto* table = Find<QTableWidget>(*window, "SeriesActivation");
    QCOMPARE(table->rowCount(), static_cast<int>(activation.Rows.size()));
    QCOMPARE(table->rowCount(), 24);
    for (const int row : {0, 23}) {
      for (const int column : {1, 2, 3, 8}) {
        QCOMPARE(table->item(row, column)->text(), QString::fromStdString(activation.Rows[row][column]));
      }
    }
    QCOMPARE(Find<QTableWidget>(*window, "SeriesTemperatures")->rowCount(), 4);
    QCOMPARE(projects->item(2, 3)->text(), QString::asprintf("%.6Lg", expected.Single[2].After.Total));

    for (const char* name : {"SeriesArrhenius", "SeriesEyring"}) {
      QCustomPlot& plot = *Find<QCustomPlot>(*window, name);
      QCPGraph* points = Graph(plot, QStringLiteral("Points k15"));
      QVERIFY(points != nullptr);
      QCOMPARE(points->dataCount(), 4);
      QVERIFY(Graph(plot, QStringLiteral("TwoStage k15")) != nullptr);
      QVERIFY(Graph(plot, QStringLiteral("Global k15")) != nullptr);
      QCOMPARE(plot.xAxis->label(), SeriesXAxisTitle());
    }
    // The hottest project is the leftmost point, its error bar one SE of ln k.
    QCustomPlot& arrhenius = *Find<QCustomPlot>(*window, "SeriesArrhenius");
    const FitResult& hottest = expected.Single[3];
    const auto point = Graph(arrhenius, QStringLiteral("Points k2"))->data()->at(0);
    QCOMPARE(point->key, static_cast<double>(1000 / expected.Temperatures[3]));
    QCOMPARE(point->value, static_cast<double>(std::log(hottest.K[2])));
    auto* bars = arrhenius.findChild<QCPErrorBars*>(QStringLiteral("Errors k2"));
    QVERIFY(bars != nullptr);
    QCOMPARE(bars->data()->at(0).errorPlus, static_cast<double>(hottest.StandardError[1] / hottest.K[2]));
    QCOMPARE(hottest.Free[1], 2);

    // Results neither copied nor exported: closing asks, and "No" keeps the window.
    f.Platform.YesNoAnswers = {false};
    window->close();
    QCOMPARE(f.Platform.Questions.size(), 1);
    QVERIFY(window->isVisible());
    window->CopyResults();
    window->close();
    QCOMPARE(f.Platform.Questions.size(), 1);
    QTRY_VERIFY(window == nullptr);
  }

  // Copy puts the tab-separated tables; Export writes the shown plot in the chosen format.
  void CopyAndExportTheResults() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    window->OpenSeries(DataPath("synthetic-series.zams"));
    QVERIFY(FitAndWait(*window));
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesCopy"), Qt::LeftButton);
    QCOMPARE(f.Platform.Clipboard, QString::fromStdString(SeriesResultTsv(*window->Result())));

    QTemporaryDir folder;
    auto* tabs = Find<QTabWidget>(*window, "SeriesTabs");
    tabs->setCurrentIndex(3);  // the Eyring plot
    const QString svg = folder.filePath(QStringLiteral("eyring.svg"));
    f.Platform.FileAnswers.push_back(svg);
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesExport"), Qt::LeftButton);
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("<text"));
    QVERIFY(text.contains("1000 K / T"));
    QVERIFY(text.contains("ln(k T"));

    const QString png = folder.filePath(QStringLiteral("arrhenius.png"));
    tabs->setCurrentIndex(2);
    window->ExportPlot(png);
    const QImage image(png);
    QCOMPARE(image.size(), QSize(kPictureWidthDefault, kPictureHeightDefault));
    const QString pdf = folder.filePath(QStringLiteral("arrhenius.pdf"));
    window->ExportPlot(pdf);
    QFile pdfFile(pdf);
    QVERIFY(pdfFile.open(QIODevice::ReadOnly));
    QVERIFY(pdfFile.read(5) == "%PDF-");
    QVERIFY(f.Platform.Messages.empty());

    // A name without a picture's extension is refused and writes nothing.
    window->ExportPlot(folder.filePath(QStringLiteral("plot.bmp")));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});
    QVERIFY(f.Platform.Messages[0].Text.contains(QStringLiteral("must end in .png, .svg or .pdf")));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("plot.bmp"))));
  }

  // Refusals name the file, and the series stays as it was.
  void RefusalsLeaveTheSeriesAsItWas() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    window->AddProject(DataPath("synthetic-series-195C.zam"));
    window->AddProject(DataPath("synthetic-series-205C.zam"));
    QCOMPARE(window->Series().size(), std::size_t{2});
    QVERIFY(f.Platform.Messages.empty());

    window->AddProject(DataPath("synthetic-series-195C.zam"));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});
    QVERIFY(f.Platform.Messages.back().Text.contains(QStringLiteral("has the same temperature as")));
    QCOMPARE(window->Series().size(), std::size_t{2});

    window->AddProject(DataPath("no-such-project.zam"));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{2});
    QVERIFY(f.Platform.Messages.back().Text.contains(QStringLiteral("no-such-project.zam")));
    QCOMPARE(window->Series().size(), std::size_t{2});

    window->OpenSeries(DataPath("same-temperature.zams"));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{3});
    QVERIFY(f.Platform.Messages.back().Text.contains(QStringLiteral("same-temperature.zams")));
    QCOMPARE(window->Series().size(), std::size_t{2});
    QCOMPARE(window->windowTitle(), QStringLiteral("Temperature Series"));

    // One project left: nothing to fit.
    Find<QTableWidget>(*window, "SeriesProjects")->selectRow(0);
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesRemove"), Qt::LeftButton);
    QCOMPARE(window->Series().size(), std::size_t{1});
    QCOMPARE(window->Series()[0].Data.Temperature, 205.0L);
    QVERIFY(!Find<QPushButton>(*window, "SeriesFit")->isEnabled());
  }

  // Dropped projects join the series; a saved series reads back with the same projects.
  void DroppedProjectsSaveAsASeries() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    DropFiles(*window, {DataPath("synthetic-series-215C.zam"), DataPath("synthetic-series-195C.zam"),
                        QStringLiteral("/tmp/notes.txt")});
    QCOMPARE(window->Series().size(), std::size_t{2});
    // Kept in the order of their temperatures.
    QCOMPARE(window->Series()[0].Data.Temperature, 195.0L);
    // Several projects chosen at once in the dialog.
    f.Platform.FileListAnswers.push_back(
        {DataPath("synthetic-series-205C.zam"), DataPath("synthetic-series-225C.zam")});
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesAdd"), Qt::LeftButton);
    QCOMPARE(window->Series().size(), std::size_t{4});
    QCOMPARE(window->Series()[1].Data.Temperature, 205.0L);
    QCOMPARE(window->Series()[3].Data.Temperature, 225.0L);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("mine.zams"));
    window->SaveSeries(path);
    QVERIFY(f.Platform.Messages.empty());
    const TemperatureSeries back = ReadSeries(path.toStdString());
    QCOMPARE(back.size(), std::size_t{4});
    QCOMPARE(QDir::cleanPath(QString::fromStdString(back[0].File)),
             QDir::cleanPath(DataPath("synthetic-series-195C.zam")));
    QCOMPARE(window->windowTitle(), QStringLiteral("Temperature Series - mine.zams"));
  }

  // Stop ends a fit at once with what it reached, and closing the main window during a fit
  // waits for the worker instead of hanging or crashing.
  void StopAndCloseDuringAFit() {
    MainWindowFixture& f = ShownWindow();
    QPointer<SeriesWindow> window = OpenWindow(f);
    window->OpenSeries(DataPath("synthetic-series.zams"));
    QSignalSpy ended(window.data(), &SeriesWindow::FitEnded);
    window->StartFit();
    QVERIFY(window->IsFitting());
    QVERIFY(Find<QPushButton>(*window, "SeriesStop")->isEnabled());
    QVERIFY(!Find<QPushButton>(*window, "SeriesAdd")->isEnabled());
    window->StopFit();
    QVERIFY(ended.wait(kFitTimeout) || ended.count() > 0);
    QVERIFY(!window->IsFitting());
    QVERIFY(Find<QPushButton>(*window, "SeriesFit")->isEnabled());

    window->StartFit();
    f.Window.close();
    QTRY_VERIFY(window == nullptr);
  }

  // zamo-cli draws the same Arrhenius plot without a display, and refuses a picture it
  // cannot write before it fits or prints anything.
  void CommandLineWritesTheArrheniusPlot() {
    QTemporaryDir folder;
    const auto run = [](const QStringList& arguments, QByteArray& out) {
      QProcess cli;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
      environment.remove(QStringLiteral("DISPLAY"));
      cli.setProcessEnvironment(environment);
      cli.start(QStringLiteral(ZAMO_CLI_PATH), arguments);
      if (!cli.waitForFinished(kFitTimeout)) return -1;
      out = cli.readAllStandardOutput();
      return cli.exitCode();
    };
    QByteArray out;
    const QString svg = folder.filePath(QStringLiteral("arrhenius.svg"));
    QCOMPARE(run({QStringLiteral("series"), DataPath("synthetic-series.zams"), QStringLiteral("--plot"), svg}, out), 0);
    QVERIFY(out.contains("Pathway"));
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("1000 K / T"));
    QVERIFY(text.contains("k14"));

    const QString bmp = folder.filePath(QStringLiteral("arrhenius.bmp"));
    QCOMPARE(run({QStringLiteral("series"), DataPath("synthetic-series.zams"), QStringLiteral("--plot"), bmp}, out), 1);
    QVERIFY(out.isEmpty());
    QVERIFY(!QFile::exists(bmp));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::SeriesWindowTest)
#include "SeriesWindowTest.moc"
