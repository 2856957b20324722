#include "optimize/windows/SeriesWindow.h"

#include <qcustomplot.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/SeriesFile.h"
#include "document/TextFile.h"
#include "optimize/SeriesPlotData.h"
#include "optimize/SeriesTables.h"
#include "ui/ErrorText.h"
#include "ui/Platform.h"
#include "ui/PlotExport.h"
#include "ui/ScreenFit.h"
#include "ui/SeriesFigure.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

constexpr int kProjectColumns = 4;  // file, temperature in Celsius and kelvin, SSR of its fit

QString Number(const char* format, Real value) {
  if (!std::isfinite(value)) return QStringLiteral("-");
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, format, value);
  return QString::fromLatin1(buffer);
}

QTableWidget* MakeTable(const QString& name, QWidget* parent) {
  auto* table = new QTableWidget(parent);
  table->setObjectName(name);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return table;
}

void FillTable(QTableWidget& view, const SeriesTable& table) {
  view.clear();
  view.setColumnCount(static_cast<int>(table.Header.size()));
  view.setRowCount(static_cast<int>(table.Rows.size()));
  QStringList header;
  for (const std::string& title : table.Header) header << QString::fromStdString(title);
  view.setHorizontalHeaderLabels(header);
  for (std::size_t r = 0; r < table.Rows.size(); ++r) {
    for (std::size_t c = 0; c < table.Rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(QString::fromStdString(table.Rows[r][c]));
      if (c >= 2 || header.size() < 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      view.setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
}

QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  return button;
}

QComboBox* MakeCombo(const QString& name, const QStringList& items, int current, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->addItems(items);
  combo->setCurrentIndex(current);
  return combo;
}

bool HasSuffix(const QString& path, const QString& suffix) { return path.endsWith(suffix, Qt::CaseInsensitive); }

}  // namespace

SeriesWindow::SeriesWindow(Platform& platform, QWidget* parent) : QWidget(parent, Qt::Window), platform_(platform) {
  setObjectName(QStringLiteral("SeriesWindow"));
  setWindowTitle(QStringLiteral("Temperature Series"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAcceptDrops(true);
  BuildLayout();
  ShowProjects();
  ShowResult();
  FitToScreen(*this, QSize(980, 720));
}

SeriesWindow::~SeriesWindow() {
  // A fit still going ends at its next iteration; the thread is waited for.
  job_.reset();
}

bool SeriesWindow::IsFitting() const { return job_ != nullptr; }

void SeriesWindow::BuildLayout() {
  auto* layout = new QVBoxLayout(this);

  auto* projectRow = new QHBoxLayout;
  projects_ = MakeTable(QStringLiteral("SeriesProjects"), this);
  projects_->setColumnCount(kProjectColumns);
  projects_->setHorizontalHeaderLabels(
      {QStringLiteral("Project"), QStringLiteral("T (\u00B0C)"), QStringLiteral("T (K)"), QStringLiteral("SSR")});
  projects_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  projects_->setSelectionMode(QAbstractItemView::SingleSelection);
  projectRow->addWidget(projects_, 1);
  auto* projectButtons = new QVBoxLayout;
  add_ = MakeButton(QStringLiteral("SeriesAdd"), QStringLiteral("&Add Project..."), this);
  remove_ = MakeButton(QStringLiteral("SeriesRemove"), QStringLiteral("&Remove"), this);
  open_ = MakeButton(QStringLiteral("SeriesOpen"), QStringLiteral("&Open Series..."), this);
  save_ = MakeButton(QStringLiteral("SeriesSave"), QStringLiteral("&Save Series..."), this);
  for (QPushButton* button : {add_, remove_, open_, save_}) projectButtons->addWidget(button);
  projectButtons->addStretch();
  projectRow->addLayout(projectButtons);
  layout->addLayout(projectRow, 2);

  auto* settingsRow = new QHBoxLayout;
  method_ = MakeCombo(QStringLiteral("SeriesMethod"),
                      {QStringLiteral("Two-stage"), QStringLiteral("Global"), QStringLiteral("Both")}, 2, this);
  free_ = MakeCombo(
      QStringLiteral("SeriesFree"),
      {QStringLiteral("Non-zero k1..k14"), QStringLiteral("Non-zero k1..k14, k15, k16"), QStringLiteral("All sixteen")},
      0, this);
  weights_ =
      MakeCombo(QStringLiteral("SeriesWeights"), {QStringLiteral("None"), QStringLiteral("Per species")}, 0, this);
  settingsRow->addWidget(new QLabel(QStringLiteral("Method:"), this));
  settingsRow->addWidget(method_);
  settingsRow->addWidget(new QLabel(QStringLiteral("Free:"), this));
  settingsRow->addWidget(free_);
  settingsRow->addWidget(new QLabel(QStringLiteral("Weighting:"), this));
  settingsRow->addWidget(weights_);
  settingsRow->addStretch();
  fit_ = MakeButton(QStringLiteral("SeriesFit"), QStringLiteral("&Fit"), this);
  stop_ = MakeButton(QStringLiteral("SeriesStop"), QStringLiteral("S&top"), this);
  settingsRow->addWidget(fit_);
  settingsRow->addWidget(stop_);
  layout->addLayout(settingsRow);

  auto* progressRow = new QHBoxLayout;
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("SeriesProgress"));
  progress_->setTextVisible(false);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("SeriesStatus"));
  progressRow->addWidget(progress_, 1);
  progressRow->addWidget(status_, 3);
  layout->addLayout(progressRow);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("SeriesTabs"));
  activation_ = MakeTable(QStringLiteral("SeriesActivation"), tabs_);
  temperatures_ = MakeTable(QStringLiteral("SeriesTemperatures"), tabs_);
  arrhenius_ = new QCustomPlot(tabs_);
  arrhenius_->setObjectName(QStringLiteral("SeriesArrhenius"));
  eyring_ = new QCustomPlot(tabs_);
  eyring_->setObjectName(QStringLiteral("SeriesEyring"));
  tabs_->addTab(activation_, QStringLiteral("Activation Parameters"));
  tabs_->addTab(temperatures_, QStringLiteral("Per Temperature"));
  tabs_->addTab(arrhenius_, QStringLiteral("Arrhenius Plot"));
  tabs_->addTab(eyring_, QStringLiteral("Eyring Plot"));
  layout->addWidget(tabs_, 5);

  auto* bottomRow = new QHBoxLayout;
  copy_ = MakeButton(QStringLiteral("SeriesCopy"), QStringLiteral("&Copy Results"), this);
  export_ = MakeButton(QStringLiteral("SeriesExport"), QStringLiteral("&Export Plot..."), this);
  auto* close = MakeButton(QStringLiteral("SeriesClose"), QStringLiteral("Close"), this);
  bottomRow->addWidget(copy_);
  bottomRow->addWidget(export_);
  bottomRow->addStretch();
  bottomRow->addWidget(close);
  layout->addLayout(bottomRow);

  const auto guarded = [this](void (SeriesWindow::*command)()) {
    return [this, command] { RunGuarded(platform_, this, [&] { (this->*command)(); }); };
  };
  connect(add_, &QPushButton::clicked, this, guarded(&SeriesWindow::AskAddProject));
  connect(remove_, &QPushButton::clicked, this, guarded(&SeriesWindow::RemoveSelectedProject));
  connect(open_, &QPushButton::clicked, this, guarded(&SeriesWindow::AskOpenSeries));
  connect(save_, &QPushButton::clicked, this, guarded(&SeriesWindow::AskSaveSeries));
  connect(fit_, &QPushButton::clicked, this, guarded(&SeriesWindow::StartFit));
  connect(stop_, &QPushButton::clicked, this, &SeriesWindow::StopFit);
  connect(copy_, &QPushButton::clicked, this, guarded(&SeriesWindow::CopyResults));
  connect(export_, &QPushButton::clicked, this, guarded(&SeriesWindow::AskExportPlot));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(projects_, &QTableWidget::itemSelectionChanged, this, &SeriesWindow::UpdateButtons);
  connect(tabs_, &QTabWidget::currentChanged, this, &SeriesWindow::UpdateButtons);
}

SeriesSettings SeriesWindow::Settings() const {
  SeriesSettings settings;
  settings.Method = method_->currentIndex() == 0   ? SeriesMethod::TwoStage
                    : method_->currentIndex() == 1 ? SeriesMethod::Global
                                                   : SeriesMethod::Both;
  settings.VaryK15K16 = free_->currentIndex() == 1;
  if (free_->currentIndex() == 2) {
    settings.Free.emplace();
    settings.Free->Fill(true);
  }
  settings.Weighting = weights_->currentIndex() == 1 ? FitWeighting::Species : FitWeighting::None;
  return settings;
}

// The projects are kept in the order of their temperatures, as the plots read them.
void SeriesWindow::SetSeries(TemperatureSeries series) {
  std::stable_sort(series.begin(), series.end(), [](const SeriesProject& a, const SeriesProject& b) {
    return a.Data.AbsoluteTemperature < b.Data.AbsoluteTemperature;
  });
  series_ = std::move(series);
  result_.reset();
  ShowProjects();
  ShowResult();
}

void SeriesWindow::AddProject(const QString& path) {
  RunGuarded(platform_, this, [&] {
    SeriesProject project = ReadSeriesProject(ToBytes(path));
    TemperatureSeries series = series_;
    series.push_back(std::move(project));
    // A second project at a temperature already in the series is refused now, naming it.
    if (series.size() >= 2) CheckSeriesTemperatures(series);
    SetSeries(std::move(series));
  });
}

void SeriesWindow::RemoveSelectedProject() {
  const int row = projects_->currentRow();
  if (row < 0 || row >= static_cast<int>(series_.size())) return;
  TemperatureSeries series = series_;
  series.erase(series.begin() + row);
  SetSeries(std::move(series));
}

void SeriesWindow::OpenSeries(const QString& path) {
  RunGuarded(platform_, this, [&] {
    SetSeries(ReadSeries(ToBytes(path)));
    seriesPath_ = path;
    setWindowTitle(QStringLiteral("Temperature Series - ") + QFileInfo(path).fileName());
  });
}

void SeriesWindow::SaveSeries(const QString& path) {
  RunGuarded(platform_, this, [&] {
    std::vector<std::string> files;
    for (const SeriesProject& project : series_) files.push_back(project.File);
    const std::string target = ToBytes(path);
    WriteTextFileAtomically(target, BuildSeriesText(target, files, {}));
    seriesPath_ = path;
    setWindowTitle(QStringLiteral("Temperature Series - ") + QFileInfo(path).fileName());
  });
}

void SeriesWindow::AskAddProject() {
  FileDialogOptions options;
  options.Title = QStringLiteral("Add Projects");
  options.Filter = QStringLiteral("Zamo-Files (*.zam)");
  options.DefaultSuffix = QStringLiteral("zam");
  for (const QString& path : platform_.ChooseOpenFiles(this, options)) AddProject(path);
}

void SeriesWindow::AskOpenSeries() {
  FileDialogOptions options;
  options.Title = QStringLiteral("Open Series");
  options.Filter = QStringLiteral("Zamo Series (*.zams)");
  options.DefaultSuffix = QStringLiteral("zams");
  if (const std::optional<QString> path = platform_.ChooseOpenFile(this, options)) OpenSeries(*path);
}

void SeriesWindow::AskSaveSeries() {
  const FileDialogOptions options = SaveFileOptions(
      QStringLiteral("Save Series"), QStringLiteral("Zamo Series (*.zams)"), QStringLiteral("zams"), seriesPath_);
  if (const std::optional<QString> path = platform_.ChooseSaveFile(this, options)) SaveSeries(*path);
}

void SeriesWindow::AskExportPlot() {
  const FileDialogOptions options =
      SaveFileOptions(QStringLiteral("Export Plot"), kPlotPictureFilter, QStringLiteral("png"));
  if (const std::optional<QString> path = platform_.ChooseSaveFile(this, options)) ExportPlot(*path);
}

void SeriesWindow::StartFit() {
  if (job_ != nullptr) return;
  // Refused before the thread starts: too few projects or two at one temperature.
  CheckSeriesTemperatures(series_);
  result_.reset();
  ShowResult();
  progress_->setRange(0, static_cast<int>(series_.size()) + 1);
  progress_->setValue(0);
  status_->setText(QStringLiteral("Fitting..."));
  // The fit works on a copy of the series. Progress and the end reach this window's thread
  // as queued calls; the job ends before the window does, and calls still queued then are
  // dropped with it.
  job_ = std::make_unique<FitJob<SeriesResult>>(
      [this, settings = Settings(), series = series_](const std::atomic<bool>& stop) {
        return FitSeries(
            settings, series,
            [this](const SeriesProgress& progress) {
              QMetaObject::invokeMethod(
                  this,
                  [this, stage = progress.Stage == SeriesStage::GlobalFit ? 1 : 0,
                   project = static_cast<int>(progress.Project), iteration = progress.Iteration,
                   ssr = static_cast<double>(progress.WeightedSsr)] { ShowProgress(stage, project, iteration, ssr); },
                  Qt::QueuedConnection);
            },
            stop);
      },
      [this] {
        QMetaObject::invokeMethod(
            this, [this] { FitFinished(); }, Qt::QueuedConnection);
      });
  UpdateButtons();
}

void SeriesWindow::StopFit() {
  if (job_ != nullptr) job_->Stop();
}

void SeriesWindow::ShowProgress(int stage, int project, int iteration, double weightedSsr) {
  if (!job_) return;
  progress_->setValue(stage == 1 ? static_cast<int>(series_.size()) : project);
  const QString what = stage == 1 ? QStringLiteral("Global fit")
                                  : QStringLiteral("Project %1 of %2").arg(project + 1).arg(series_.size());
  status_->setText(
      what +
      QStringLiteral(", iteration %1: weighted SSR %2").arg(iteration).arg(QString::number(weightedSsr, 'g', 6)));
}

void SeriesWindow::FitFinished() {
  if (!job_) return;
  job_->Wait();
  const std::exception_ptr error = job_->Error();
  if (job_->Result()) {
    result_ = *job_->Result();
    resultsKept_ = false;
  }
  job_.reset();
  progress_->setValue(progress_->maximum());
  if (error) {
    status_->setText(QStringLiteral("The fit failed."));
    RunGuarded(platform_, this, [&] { std::rethrow_exception(error); });
  } else if (result_) {
    QString text = result_->Stopped ? QStringLiteral("Stopped: what was reached is shown.")
                                    : QStringLiteral("Fitted %1 projects.").arg(series_.size());
    if (result_->Global) {
      const GlobalSeriesResult& g = *result_->Global;
      text += QStringLiteral(" Global fit: SSR %1, dof %2, sigma %3, %4")
                  .arg(Number("%.5Lg", g.Ssr))
                  .arg(g.Dof)
                  .arg(Number("%.5Lg", g.Sigma))
                  .arg(g.Stopped     ? QStringLiteral("stopped")
                       : g.Converged ? QStringLiteral("converged")
                                     : QStringLiteral("not converged"));
    }
    status_->setText(text);
  }
  ShowProjects();
  ShowResult();
  emit FitEnded();
}

void SeriesWindow::CopyResults() {
  if (!result_) return;
  resultsKept_ = true;
  platform_.SetClipboardText(QString::fromStdString(SeriesResultTsv(*result_)));
}

void SeriesWindow::ExportPlot(const QString& path) {
  RunGuarded(platform_, this, [&] {
    WritePlotPicture(ToBytes(path), *CurrentPlot(), PictureSize{});
    resultsKept_ = true;
  });
}

// Results that went nowhere yet (neither copied nor exported) are not closed away unasked.
void SeriesWindow::closeEvent(QCloseEvent* event) {
  if (result_ && !resultsKept_ &&
      !platform_.AskYesNo(this,
                          QStringLiteral("The results of the fit were neither copied nor exported. Close the "
                                         "window and lose them?"),
                          QStringLiteral("Temperature Series"))) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

QCustomPlot* SeriesWindow::CurrentPlot() const { return tabs_->currentWidget() == eyring_ ? eyring_ : arrhenius_; }

void SeriesWindow::ShowProjects() {
  projects_->setRowCount(static_cast<int>(series_.size()));
  for (std::size_t n = 0; n < series_.size(); ++n) {
    const SeriesProject& project = series_[n];
    const bool fitted = result_ && n < result_->Single.size();
    const QString cells[kProjectColumns] = {
        FromBytes(project.File), Number("%.2Lf", project.Data.Temperature),
        Number("%.2Lf", project.Data.AbsoluteTemperature),
        fitted ? Number("%.6Lg", result_->Single[n].After.Total) : QStringLiteral("-")};
    for (int c = 0; c < kProjectColumns; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      projects_->setItem(static_cast<int>(n), c, item);
    }
  }
  UpdateButtons();
}

void SeriesWindow::ShowResult() {
  const SeriesResult empty;
  const SeriesResult& result = result_ ? *result_ : empty;
  FillTable(*activation_, ActivationTable(result, SeriesDigits::BySe));
  FillTable(*temperatures_, TemperatureTable(result, SeriesDigits::BySe));
  DrawSeriesFigure(*arrhenius_, MakeSeriesPlotData(result, SeriesPlotKind::Arrhenius),
                   QStringLiteral("Arrhenius plot"));
  DrawSeriesFigure(*eyring_, MakeSeriesPlotData(result, SeriesPlotKind::Eyring), QStringLiteral("Eyring plot"));
  UpdateButtons();
}

void SeriesWindow::UpdateButtons() {
  const bool fitting = job_ != nullptr;
  for (QWidget* control : std::initializer_list<QWidget*>{add_, open_, method_, free_, weights_}) {
    control->setEnabled(!fitting);
  }
  remove_->setEnabled(!fitting && projects_->currentRow() >= 0);
  save_->setEnabled(!series_.empty());
  fit_->setEnabled(!fitting && series_.size() >= 2);
  stop_->setEnabled(fitting);
  copy_->setEnabled(result_.has_value());
  export_->setEnabled(result_.has_value());
}

void SeriesWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (job_ != nullptr || !event->mimeData()->hasUrls()) return;
  for (const QUrl& url : event->mimeData()->urls()) {
    const QString path = url.toLocalFile();
    if (HasSuffix(path, QStringLiteral(".zam")) || HasSuffix(path, QStringLiteral(".zams"))) {
      event->acceptProposedAction();
      return;
    }
  }
}

// Dropped ".zam" files join the series in their order; a dropped ".zams" opens that series.
void SeriesWindow::dropEvent(QDropEvent* event) {
  if (job_ != nullptr) return;
  for (const QUrl& url : event->mimeData()->urls()) {
    const QString path = url.toLocalFile();
    if (HasSuffix(path, QStringLiteral(".zams"))) {
      OpenSeries(path);
    } else if (HasSuffix(path, QStringLiteral(".zam"))) {
      AddProject(path);
    }
  }
  event->acceptProposedAction();
}

}  // namespace zamo
