// The wiring of the temperature-series window: the File menu opens it, its commands reach
// the series session, "Fit" runs in the job runner and fills the tables and plots, the
// results copy and export, and refusals show the session's text. What the series and the fit
// hold is the core's (SeriesSessionTest, SeriesFitTest, SeriesResultViewTest).

#include <qcustomplot.h>

#include <QComboBox>
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
    QVERIFY(!Find<QPushButton>(*window, "SeriesFit")->isEnabled());
    QVERIFY(!Find<QPushButton>(*window, "SeriesCopy")->isEnabled());
    QCOMPARE(OpenWindow(f).data(), window.data());
  }

  // "Fit" shows the session's result in the tables, the projects' SSR column and both plots;
  // closing asks while it was neither copied nor exported.
  void FitShowsTheResult() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    window->OpenSeries(DataPath("synthetic-series.zams"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Temperature Series - synthetic-series.zams"));
    auto* projects = Find<QTableWidget>(*window, "SeriesProjects");
    QCOMPARE(projects->item(1, 2)->text(), QStringLiteral("478.15"));
    QCOMPARE(projects->item(1, 3)->text(), QStringLiteral("-"));

    Find<QComboBox>(*window, "SeriesFree")->setCurrentIndex(1);  // k15 and k16 too
    QVERIFY(window->Settings().VaryK15K16);
    QVERIFY(FitAndWait(*window));
    const SeriesResult& result = *window->Result();
    const SeriesTable activation = ActivationTable(result, SeriesDigits::BySe);
    auto* table = Find<QTableWidget>(*window, "SeriesActivation");
    QCOMPARE(table->rowCount(), static_cast<int>(activation.Rows.size()));
    QCOMPARE(table->item(23, 2)->text(), QString::fromStdString(activation.Rows[23][2]));
    QCOMPARE(Find<QTableWidget>(*window, "SeriesTemperatures")->rowCount(), 4);
    QCOMPARE(projects->item(2, 3)->text(), QString::asprintf("%.6Lg", result.Single[2].After.Total));
    for (const char* name : {"SeriesArrhenius", "SeriesEyring"}) {
      QVERIFY(Graph(*Find<QCustomPlot>(*window, name), QStringLiteral("Global k15")) != nullptr);
    }

    f.Platform.YesNoAnswers = {false};
    window->close();
    QCOMPARE(f.Platform.Questions.size(), 1);
    QVERIFY(window->isVisible());
    window->CopyResults();
    window->close();
    QCOMPARE(f.Platform.Questions.size(), 1);
    QTRY_VERIFY(window == nullptr);
  }

  // Copy puts the tab-separated tables; Export writes the shown plot, and a name the writer
  // refuses shows its text.
  void CopyAndExportTheResults() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    window->OpenSeries(DataPath("synthetic-series.zams"));
    QVERIFY(FitAndWait(*window));
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesCopy"), Qt::LeftButton);
    QCOMPARE(f.Platform.Clipboard, QString::fromStdString(SeriesResultTsv(*window->Result())));

    QTemporaryDir folder;
    Find<QTabWidget>(*window, "SeriesTabs")->setCurrentIndex(3);  // the Eyring plot
    const QString svg = folder.filePath(QStringLiteral("eyring.svg"));
    f.Platform.FileAnswers.push_back(svg);
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesExport"), Qt::LeftButton);
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("ln(k T"));
    QVERIFY(f.Platform.Messages.empty());

    window->ExportPlot(folder.filePath(QStringLiteral("plot.bmp")));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});
    QVERIFY(f.Platform.Messages[0].Text.contains(QStringLiteral("must end in .png, .svg or .pdf")));
  }

  // Projects come from the dialog, a drop or the series file; a refusal shows the session's
  // text; "Remove" takes the selected row; the series saves under the chosen name.
  void ProjectCommandsReachTheSession() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<SeriesWindow> window = OpenWindow(f);
    DropFiles(*window, {DataPath("synthetic-series-215C.zam"), QStringLiteral("/tmp/notes.txt")});
    f.Platform.FileListAnswers.push_back(
        {DataPath("synthetic-series-205C.zam"), DataPath("synthetic-series-195C.zam")});
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesAdd"), Qt::LeftButton);
    QCOMPARE(window->Series().size(), std::size_t{3});
    QVERIFY(Find<QPushButton>(*window, "SeriesFit")->isEnabled());

    window->AddProject(DataPath("synthetic-series-195C.zam"));
    QCOMPARE(f.Platform.Messages.size(), std::size_t{1});
    QVERIFY(f.Platform.Messages.back().Text.contains(QStringLiteral("has the same temperature as")));

    Find<QTableWidget>(*window, "SeriesProjects")->selectRow(0);
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesRemove"), Qt::LeftButton);
    QCOMPARE(window->Series().size(), std::size_t{2});
    QCOMPARE(window->Series()[0].Data.Temperature, 205.0L);

    QTemporaryDir folder;
    f.Platform.FileAnswers.push_back(folder.filePath(QStringLiteral("mine.zams")));
    QTest::mouseClick(Find<QPushButton>(*window, "SeriesSave"), Qt::LeftButton);
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("mine.zams"))));
    QCOMPARE(window->windowTitle(), QStringLiteral("Temperature Series - mine.zams"));
  }

  // Stop ends a fit with what it reached, and closing the main window during a fit waits
  // for the job instead of hanging or crashing.
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

  // zamo-cli draws the Arrhenius plot through its picture module, without a display.
  void CommandLineWritesTheArrheniusPlot() {
    QTemporaryDir folder;
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    cli.setProcessEnvironment(environment);
    const QString svg = folder.filePath(QStringLiteral("arrhenius.svg"));
    cli.start(QStringLiteral(ZAMO_CLI_PATH),
              {QStringLiteral("series"), DataPath("synthetic-series.zams"), QStringLiteral("--plot"), svg});
    QVERIFY(cli.waitForFinished(kFitTimeout));
    QCOMPARE(cli.exitCode(), 0);
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("1000 K / T"));
    QVERIFY(text.contains("k14"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::SeriesWindowTest)
#include "SeriesWindowTest.moc"
