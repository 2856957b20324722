#include "optimize/windows/ModelSelectionWindow.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "document/ProjectSession.h"
#include "optimize/SelectionReport.h"
#include "optimize/windows/ExperimentChoice.h"
#include "ui/ErrorText.h"
#include "ui/FitJobRunner.h"
#include "ui/Platform.h"
#include "ui/PlotExportBar.h"
#include "ui/ScreenFit.h"
#include "ui/SelectionFigure.h"

namespace zamo {

namespace {

constexpr int kCandidateColumns = 8;

QTableWidget* MakeTable(const QString& name, QWidget* parent) {
  auto* table = new QTableWidget(parent);
  table->setObjectName(name);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

// A table of cells whose first row is the header.
void FillTable(QTableWidget& view, const std::vector<std::vector<std::string>>& rows) {
  view.clear();
  view.setRowCount(rows.empty() ? 0 : static_cast<int>(rows.size()) - 1);
  view.setColumnCount(rows.empty() ? 0 : static_cast<int>(rows[0].size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const QString text = QString::fromStdString(rows[r][c]);
      if (r == 0) {
        view.setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(text));
        continue;
      }
      auto* item = new QTableWidgetItem(text);
      item->setTextAlignment((c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
      view.setItem(static_cast<int>(r - 1), static_cast<int>(c), item);
    }
  }
}

QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QComboBox* MakeCombo(const QString& name, const QStringList& items, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->addItems(items);
  return combo;
}

}  // namespace

ModelSelectionWindow::ModelSelectionWindow(ProjectSession& session, Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), platform_(platform), runner_(new FitJobRunner(this)) {
  setObjectName(QStringLiteral("ModelSelection"));
  setWindowTitle(QStringLiteral("Model Selection"));
  setAttribute(Qt::WA_DeleteOnClose);
  BuildLayout();
  const std::vector<int> candidates = DefaultCandidates(session_.Project().K, false);
  for (const int i : candidates) candidates_[static_cast<std::size_t>(i - 1)]->setChecked(true);
  ShowProject();
  listener_ = session_.AddListener([this](const SessionEvent&) { ShowProject(); });
  ShowResult();
  FitToScreen(*this, QSize(900, 720));
}

ModelSelectionWindow::~ModelSelectionWindow() {
  // A run still going ends with its current fits; the runner waits for its thread.
  session_.RemoveListener(listener_);
}

bool ModelSelectionWindow::Running() const { return runner_->Running(); }

void ModelSelectionWindow::BuildLayout() {
  auto* layout = new QVBoxLayout(this);
  auto* candidates = new QGridLayout;
  candidates->addWidget(new QLabel(QStringLiteral("Candidates:"), this), 0, 0);
  for (int i = 1; i <= kRateConstantCount; ++i) {
    auto* box = new QCheckBox(QStringLiteral("k%1").arg(i), this);
    box->setObjectName(QStringLiteral("Candidate%1").arg(i));
    box->setToolTip(QStringLiteral("k%1 may be switched off (0); unchecked it keeps its value in every model").arg(i));
    candidates->addWidget(box, (i - 1) / kCandidateColumns, 1 + (i - 1) % kCandidateColumns);
    candidates_[static_cast<std::size_t>(i - 1)] = box;
  }
  layout->addLayout(candidates);

  auto* choices = new QHBoxLayout;
  criterion_ = MakeCombo(QStringLiteral("SelectionCriterion"), {QStringLiteral("AICc"), QStringLiteral("BIC")}, this);
  method_ = MakeCombo(QStringLiteral("SelectionMethod"),
                      {QStringLiteral("Every subset"), QStringLiteral("Backward elimination")}, this);
  experiments_ = MakeCombo(QStringLiteral("SelectionExperiments"), {}, this);
  weighting_ =
      MakeCombo(QStringLiteral("SelectionWeighting"), {QStringLiteral("None"), QStringLiteral("Per species")}, this);
  const std::pair<const char*, QComboBox*> labelled[] = {
      {"Criterion:", criterion_}, {"Method:", method_}, {"Experiments:", experiments_}, {"Weighting:", weighting_}};
  for (const auto& [label, combo] : labelled) {
    choices->addWidget(new QLabel(QString::fromLatin1(label), this));
    choices->addWidget(combo);
  }
  choices->addStretch();
  run_ = MakeButton(QStringLiteral("SelectionRun"), QStringLiteral("&Run"), this);
  stop_ = MakeButton(QStringLiteral("SelectionStop"), QStringLiteral("S&top"), this);
  choices->addWidget(run_);
  choices->addWidget(stop_);
  layout->addLayout(choices);

  auto* progressRow = new QHBoxLayout;
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("SelectionProgress"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("SelectionStatus"));
  status_->setWordWrap(true);
  progressRow->addWidget(progress_, 1);
  progressRow->addWidget(status_, 3);
  layout->addLayout(progressRow);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("SelectionTabs"));
  models_ = MakeTable(QStringLiteral("SelectionModels"), tabs_);
  pathways_ = MakeTable(QStringLiteral("SelectionPathways"), tabs_);
  auto* chartPage = new QWidget(tabs_);
  auto* chartLayout = new QVBoxLayout(chartPage);
  chart_ = new QCustomPlot(chartPage);
  chart_->setObjectName(QStringLiteral("SelectionChart"));
  chartLayout->addWidget(chart_, 1);
  chartLayout->addWidget(new PlotExportBar(platform_, *chart_, chartPage));
  tabs_->addTab(models_, QStringLiteral("Models"));
  tabs_->addTab(pathways_, QStringLiteral("Pathways"));
  tabs_->addTab(chartPage, QStringLiteral("Inclusion Chart"));
  layout->addWidget(tabs_, 1);

  auto* bottom = new QHBoxLayout;
  apply_ = MakeButton(QStringLiteral("SelectionApply"), QStringLiteral("&Apply"), this);
  apply_->setToolTip(QStringLiteral("Put the selected model's constants into the project (one step of Undo)"));
  copy_ = MakeButton(QStringLiteral("SelectionCopy"), QStringLiteral("&Copy Results"), this);
  auto* close = MakeButton(QStringLiteral("SelectionClose"), QStringLiteral("Close"), this);
  bottom->addWidget(apply_);
  bottom->addWidget(copy_);
  bottom->addStretch();
  bottom->addWidget(close);
  layout->addLayout(bottom);

  const auto guarded = [this](void (ModelSelectionWindow::*command)()) {
    return [this, command] { RunGuarded(platform_, this, [&] { (this->*command)(); }); };
  };
  connect(run_, &QPushButton::clicked, this, guarded(&ModelSelectionWindow::RunClick));
  connect(stop_, &QPushButton::clicked, this, &ModelSelectionWindow::StopClick);
  connect(apply_, &QPushButton::clicked, this, guarded(&ModelSelectionWindow::ApplyClick));
  connect(copy_, &QPushButton::clicked, this, guarded(&ModelSelectionWindow::CopyClick));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(models_, &QTableWidget::itemSelectionChanged, this, &ModelSelectionWindow::UpdateButtons);
}

SelectionSettings ModelSelectionWindow::Settings() const {
  SelectionSettings settings;
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (candidates_[static_cast<std::size_t>(i - 1)]->isChecked()) settings.Candidates.push_back(i);
  }
  settings.Criterion = criterion_->currentIndex() == 1 ? SelectionCriterion::Bic : SelectionCriterion::Aicc;
  settings.Method = method_->currentIndex() == 1 ? SelectionMethod::Backward : SelectionMethod::Exhaustive;
  settings.Experiments = static_cast<FitExperiments>(experiments_->currentData().toInt());
  settings.Weighting = weighting_->currentIndex() == 1 ? FitWeighting::Species : FitWeighting::None;
  return settings;
}

// Only the experiments the project holds can be compared with.
void ModelSelectionWindow::ShowProject() {
  const KineticProject& project = session_.Project();
  OfferPresentExperiments(*experiments_, project);
  UpdateButtons();
}

void ModelSelectionWindow::RunClick() {
  if (Running()) return;
  const SelectionSettings settings = Settings();
  const KineticProject& project = session_.Project();
  const OptimizationRunData runData{project.K, project.Left, project.Right};
  result_.reset();
  ShowResult();
  progress_->setRange(0, settings.Method == SelectionMethod::Exhaustive
                             ? (1 << std::min<std::size_t>(settings.Candidates.size(), 16))
                             : 0);
  progress_->setValue(0);
  status_->setText(QStringLiteral("Fitting the models\u2026"));
  runner_->Start<SelectionResult>(
      [this, runner = runner_, settings, runData](const std::atomic<bool>& stop) {
        return SelectModels(
            settings, runData,
            [this, runner](int fitted, int total) {
              runner->Post([this, fitted, total] { ShowProgress(fitted, total); });
            },
            stop);
      },
      [this](std::optional<SelectionResult> result, std::exception_ptr error) {
        JobEnded(std::move(result), std::move(error));
      });
  UpdateButtons();
}

void ModelSelectionWindow::StopClick() { runner_->Stop(); }

void ModelSelectionWindow::ShowProgress(int fitted, int total) {
  if (progress_->maximum() > 0) progress_->setValue(fitted);
  status_->setText(QStringLiteral("%1 of %2 models fitted").arg(fitted).arg(total));
}

void ModelSelectionWindow::JobEnded(std::optional<SelectionResult> result, std::exception_ptr error) {
  if (result) result_ = std::move(result);
  progress_->setValue(progress_->maximum());
  if (error) {
    status_->setText(QStringLiteral("The selection failed."));
    RunGuarded(platform_, this, [&] { std::rethrow_exception(error); });
  } else if (result_) {
    status_->setText(
        QString::fromStdString(MakeSelectionReport(*result_, 0).Headline) +
        (result_->Stopped ? QStringLiteral(". Stopped: only the models fitted so far are ranked.") : QString()));
  }
  ShowResult();
  emit RunEnded();
}

void ModelSelectionWindow::ShowResult() {
  const SelectionResult empty;
  const SelectionResult& result = result_ ? *result_ : empty;
  const SelectionReport report = MakeSelectionReport(result, -1);
  FillTable(*models_, report.Models);
  FillTable(*pathways_, report.Pathways);
  if (result_) models_->selectRow(0);
  DrawInclusionChart(*chart_, result);
  UpdateButtons();
}

// The model of the selected row of the ranked table (the best where none is selected).
const SelectedModel* ModelSelectionWindow::ChosenModel() const {
  if (!result_) return nullptr;
  const std::vector<const SelectedModel*> listed = ListedModels(*result_, -1);
  const int row = models_->currentRow();
  if (row >= 0 && row < static_cast<int>(listed.size())) return listed[static_cast<std::size_t>(row)];
  return listed.empty() ? nullptr : listed.front();
}

void ModelSelectionWindow::ApplyClick() {
  const SelectedModel* model = ChosenModel();
  if (model == nullptr || Running()) return;
  session_.PutConstantsInPlace(model->K, "Model Selection");
}

void ModelSelectionWindow::CopyClick() {
  if (!result_) return;
  platform_.SetClipboardText(QString::fromStdString(SelectionTabSeparated(*result_)));
}

void ModelSelectionWindow::UpdateButtons() {
  const bool running = Running();
  run_->setEnabled(!running);
  stop_->setEnabled(running);
  apply_->setEnabled(!running && ChosenModel() != nullptr);
  copy_->setEnabled(!running && result_.has_value());
  for (QCheckBox* box : candidates_) box->setEnabled(!running);
  for (QComboBox* combo : {criterion_, method_, experiments_, weighting_}) combo->setEnabled(!running);
}

void ModelSelectionWindow::closeEvent(QCloseEvent* event) {
  // A run still going ends with its current fits; the thread is waited for.
  runner_->StopAndWait();
  QWidget::closeEvent(event);
}

}  // namespace zamo
