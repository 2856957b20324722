// The wiring of the temperature-series window. What the series and the fit hold is the core's
// (SeriesSessionTest, SeriesFitTest, SeriesResultViewTest).

#include <qcustomplot.h>

#include <QComboBox>
#include <QFile>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "optimize/SeriesTables.h"
#include "optimize/windows/SeriesWindow.h"
#include "tests/ui/MainWindowFixture.h"

namespace zamo::testing {

constexpr int kFitTimeout = 60000;  // ms; a series of four takes a few milliseconds
QString File(const char* name) { return QStringLiteral(ZAMO_TEST_DATA_DIR "/series/") + QLatin1String(name); }

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SeriesWindowTest : public WindowTestCase {
  Q_OBJECT

  QPointer<SeriesWindow> window_;
  QTemporaryDir folder_;
  QPointer<SeriesWindow> Open(MainWindowFixture& f) {
    f.Item(QStringLiteral("TemperatureSeries1"))->trigger();
    return window_ = f.Window.TemperatureSeriesWindow();
  }
  QPushButton* Button(const char* name) const { return window_->findChild<QPushButton*>(QLatin1String(name)); }

 private slots:
  // The menu opens one window; projects come by dialog, drop or series file; a refusal, Remove and Save.
  void ProjectCommandsReachTheSession() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(Open(f) != nullptr && !Button("SeriesFit")->isEnabled() && !Button("SeriesCopy")->isEnabled());
    QCOMPARE(Open(f), window_);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(File("synthetic-series-215C.zam")), QUrl::fromLocalFile("/tmp/notes.txt")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QCoreApplication::sendEvent(window_, &drop);
    f.Platform.FileListAnswers.push_back({File("synthetic-series-205C.zam"), File("synthetic-series-195C.zam")});
    QTest::mouseClick(Button("SeriesAdd"), Qt::LeftButton);
    QVERIFY(window_->Series().size() == 3 && Button("SeriesFit")->isEnabled());
    window_->AddProject(File("synthetic-series-195C.zam"));
    QVERIFY(f.Platform.OneMessage().contains(QStringLiteral("has the same temperature as")));
    window_->findChild<QTableWidget*>(QStringLiteral("SeriesProjects"))->selectRow(0);
    QTest::mouseClick(Button("SeriesRemove"), Qt::LeftButton);
    QCOMPARE(window_->Series()[0].Data.Temperature, 205.0L);
    f.Platform.FileAnswers.push_back(folder_.filePath(QStringLiteral("mine.zams")));
    QTest::mouseClick(Button("SeriesSave"), Qt::LeftButton);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Temperature Series - mine.zams"));
    window_->StartFit();  // closing the main window during a fit waits for it
    QVERIFY(window_->IsFitting() && Button("SeriesStop")->isEnabled() && !Button("SeriesAdd")->isEnabled());
    f.Window.close();
    QTRY_VERIFY(window_ == nullptr);
  }

  // "Fit" fills the tables and plots; closing asks until they are copied or exported; zamo-cli's plot.
  void FitCopyAndExport() {
    MainWindowFixture& f = ShownWindow();
    QVERIFY(Open(f) != nullptr);
    window_->OpenSeries(File("synthetic-series.zams"));
    window_->findChild<QComboBox*>(QStringLiteral("SeriesFree"))->setCurrentIndex(1);  // k15 and k16 too
    QTest::mouseClick(Button("SeriesFit"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->IsFitting(), kFitTimeout);
    const QString svg = folder_.filePath(QStringLiteral("plot.svg"));
    window_->findChild<QTabWidget*>(QStringLiteral("SeriesTabs"))->setCurrentIndex(3);  // the Eyring plot
    f.Platform.FileAnswers = {svg};
    QTest::mouseClick(Button("SeriesExport"), Qt::LeftButton);  // keeps only the first fit
    QVERIFY(Bytes(svg).contains("ln(k T"));
    QTest::mouseClick(Button("SeriesFit"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->IsFitting(), kFitTimeout);
    const SeriesResult& result = *window_->Result();
    QCOMPARE(window_->findChild<QTableWidget*>(QStringLiteral("SeriesActivation"))->item(23, 2)->text(),
             QString::fromStdString(ActivationTable(result, SeriesDigits::BySe).Rows[23][2]));
    QCOMPARE(window_->findChild<QTableWidget*>(QStringLiteral("SeriesProjects"))->item(2, 3)->text(),
             QString::asprintf("%.6Lg", result.Single[2].After.Total));
    QCOMPARE(window_->findChildren<QCPGraph*>(QStringLiteral("Global k15")).size(), 2);  // Arrhenius and Eyring
    f.Platform.YesNoAnswers = {false};
    window_->close();
    QVERIFY(f.Platform.Questions.size() == 1 && window_->isVisible());
    QTest::mouseClick(Button("SeriesCopy"), Qt::LeftButton);
    QCOMPARE(f.Platform.Clipboard, QString::fromStdString(SeriesResultTsv(result)));
    window_->close();
    QTRY_VERIFY(f.Platform.Questions.size() == 1 && window_ == nullptr);
    const QStringList arguments{QStringLiteral("series"), File("synthetic-series.zams"), QStringLiteral("--plot"), svg};
    QCOMPARE(QProcess::execute(QStringLiteral(ZAMO_CLI_PATH), arguments), 0);
    QVERIFY(Bytes(svg).contains("1000 K / T") && Bytes(svg).contains("k14"));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::SeriesWindowTest)
#include "SeriesWindowTest.moc"
