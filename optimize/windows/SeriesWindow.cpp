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

#include "model/NumberFormat.h"
#include "optimize/SeriesPlotData.h"
#include "optimize/SeriesTables.h"
#include "ui/ErrorText.h"
#include "ui/FitJobRunner.h"
#include "ui/Platform.h"
#include "ui/PlotExport.h"
#include "ui/ScreenFit.h"
#include "ui/SeriesFigure.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

constexpr int kProjectColumns = 4;  // file, temperature in Celsius and kelvin, SSR of its fit

QString Text(const std::string& text) { return QString::fromStdString(text); }

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

SeriesWindow::SeriesWindow(Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window), platform_(platform), runner_(new FitJobRunner(this)) {
  setObjectName(QStringLiteral("SeriesWindow"));
  setWindowTitle(QStringLiteral("Temperature Series"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAcceptDrops(true);
  BuildLayout();
  ShowProjects();
  ShowResult();
  FitToScreen(*this, QSize(980, 720));
}

bool SeriesWindow::IsFitting() const { return runner_->Running(); }

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

void SeriesWindow::ShowSeries() {
  const std::string& path = session_.Path();
  setWindowTitle(QStringLiteral("Temperature Series") +
                 (path.empty() ? QString() : QStringLiteral(" - ") + QFileInfo(FromBytes(path)).fileName()));
  ShowProjects();
  ShowResult();
}

void SeriesWindow::AddProject(const QString& path) {
  RunGuarded(platform_, this, [&] { session_.AddProject(ToBytes(path)); });
  ShowSeries();
}

void SeriesWindow::RemoveSelectedProject() {
  const int row = projects_->currentRow();
  if (row < 0) return;
  session_.RemoveProject(static_cast<std::size_t>(row));
  ShowSeries();
}

void SeriesWindow::OpenSeries(const QString& path) {
  RunGuarded(platform_, this, [&] { session_.OpenSeries(ToBytes(path)); });
  ShowSeries();
}

void SeriesWindow::SaveSeries(const QString& path) {
  RunGuarded(platform_, this, [&] { session_.Save(ToBytes(path)); });
  ShowSeries();
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
  const FileDialogOptions options =
      SaveFileOptions(QStringLiteral("Save Series"), QStringLiteral("Zamo Series (*.zams)"), QStringLiteral("zams"),
                      FromBytes(session_.Path()));
  if (const std::optional<QString> path = platform_.ChooseSaveFile(this, options)) SaveSeries(*path);
}

void SeriesWindow::AskExportPlot() {
  const FileDialogOptions options =
      SaveFileOptions(QStringLiteral("Export Plot"), kPlotPictureFilter, QStringLiteral("png"));
  if (const std::optional<QString> path = platform_.ChooseSaveFile(this, options)) ExportPlot(*path);
}

void SeriesWindow::StartFit() {
  if (IsFitting()) return;
  // Refused before the thread starts: too few projects or two at one temperature.
  const SeriesProgressSink progress = [runner = runner_, this](const SeriesProgress& reached) {
    runner->Post([this, stage = reached.Stage == SeriesStage::GlobalFit ? 1 : 0,
                  project = static_cast<int>(reached.Project), iteration = reached.Iteration,
                  ssr = static_cast<double>(reached.WeightedSsr)] { ShowProgress(stage, project, iteration, ssr); });
  };
  FitJob<SeriesResult>::Work work = session_.FitWork(Settings(), progress);
  ShowResult();
  progress_->setRange(0, static_cast<int>(Series().size()) + 1);
  progress_->setValue(0);
  status_->setText(QStringLiteral("Fitting..."));
  runner_->Start<SeriesResult>(std::move(work), [this](std::optional<SeriesResult> result, std::exception_ptr error) {
    FitFinished(std::move(result), std::move(error));
  });
  UpdateButtons();
}

void SeriesWindow::StopFit() { runner_->Stop(); }

void SeriesWindow::ShowProgress(int stage, int project, int iteration, double weightedSsr) {
  progress_->setValue(stage == 1 ? static_cast<int>(Series().size()) : project);
  const QString what = stage == 1 ? QStringLiteral("Global fit")
                                  : QStringLiteral("Project %1 of %2").arg(project + 1).arg(Series().size());
  status_->setText(
      what +
      QStringLiteral(", iteration %1: weighted SSR %2").arg(iteration).arg(QString::number(weightedSsr, 'g', 6)));
}

void SeriesWindow::FitFinished(std::optional<SeriesResult> result, std::exception_ptr error) {
  if (result) session_.SetResult(std::move(*result));
  progress_->setValue(progress_->maximum());
  if (error) {
    status_->setText(QStringLiteral("The fit failed."));
    RunGuarded(platform_, this, [&] { std::rethrow_exception(error); });
  } else if (const std::optional<SeriesResult>& fitted = Result()) {
    QString text = fitted->Stopped ? QStringLiteral("Stopped: what was reached is shown.")
                                   : QStringLiteral("Fitted %1 projects.").arg(Series().size());
    if (fitted->Global) {
      const GlobalSeriesResult& g = *fitted->Global;
      text += QStringLiteral(" Global fit: SSR %1, dof %2, sigma %3, %4")
                  .arg(Text(GeneralText(g.Ssr, 5)))
                  .arg(g.Dof)
                  .arg(Text(GeneralText(g.Sigma, 5)))
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
  if (!Result()) return;
  session_.KeepResult();
  platform_.SetClipboardText(QString::fromStdString(SeriesResultTsv(*Result())));
}

void SeriesWindow::ExportPlot(const QString& path) {
  RunGuarded(platform_, this, [&] {
    WritePlotPicture(ToBytes(path), *CurrentPlot(), PictureSize{});
    session_.KeepResult();
  });
}

// Results that went nowhere yet (neither copied nor exported) are not closed away unasked.
void SeriesWindow::closeEvent(QCloseEvent* event) {
  if (Result() && !session_.ResultKept() &&
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
  const TemperatureSeries& series = Series();
  const std::optional<SeriesResult>& result = Result();
  projects_->setRowCount(static_cast<int>(series.size()));
  for (std::size_t n = 0; n < series.size(); ++n) {
    const SeriesProject& project = series[n];
    const bool fitted = result && n < result->Single.size();
    const QString cells[kProjectColumns] = {
        FromBytes(project.File), Text(FixedText(project.Data.Temperature, 2)),
        Text(FixedText(project.Data.AbsoluteTemperature, 2)),
        Text(fitted ? GeneralText(result->Single[n].After.Total, 6) : std::string(kMissing))};
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
  const SeriesResult& result = Result() ? *Result() : empty;
  FillTable(*activation_, ActivationTable(result, SeriesDigits::BySe));
  FillTable(*temperatures_, TemperatureTable(result, SeriesDigits::BySe));
  DrawSeriesFigure(*arrhenius_, MakeSeriesPlotData(result, SeriesPlotKind::Arrhenius),
                   QStringLiteral("Arrhenius plot"));
  DrawSeriesFigure(*eyring_, MakeSeriesPlotData(result, SeriesPlotKind::Eyring), QStringLiteral("Eyring plot"));
  UpdateButtons();
}

void SeriesWindow::UpdateButtons() {
  const bool fitting = IsFitting();
  for (QWidget* control : std::initializer_list<QWidget*>{add_, open_, method_, free_, weights_}) {
    control->setEnabled(!fitting);
  }
  remove_->setEnabled(!fitting && projects_->currentRow() >= 0);
  save_->setEnabled(!Series().empty());
  fit_->setEnabled(!fitting && Series().size() >= 2);
  stop_->setEnabled(fitting);
  copy_->setEnabled(Result().has_value());
  export_->setEnabled(Result().has_value());
}

void SeriesWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (IsFitting() || !event->mimeData()->hasUrls()) return;
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
  if (IsFitting()) return;
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
