#include "optimize/windows/LeastSquaresDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "document/ProjectSession.h"
#include "model/NumberFormat.h"
#include "optimize/FitReportText.h"
#include "optimize/windows/ExperimentChoice.h"
#include "ui/ErrorText.h"
#include "ui/FitJobRunner.h"
#include "ui/Platform.h"
#include "ui/ScreenFit.h"

namespace zamo {

namespace {

enum Column { kFree, kStart, kFitted, kError, kInterval, kRelative, kProfile, kFlags, kColumns };

// A missing number shows as a dash where the screen's typeface has one.
QString Shown(const std::string& text) {
  return text == kMissing ? QStringLiteral("\u2013") : QString::fromStdString(text);
}

QString Shown(const FitNumberCell& cell) { return Shown(cell.Text); }

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

// White at 0; red for a positive, blue for a negative correlation, the stronger the deeper.
QColor CorrelationColour(Real r) {
  const double strength = std::min(1.0, std::fabs(static_cast<double>(r)));
  const QColor full = r >= 0 ? QColor(214, 39, 40) : QColor(31, 119, 180);
  const auto mix = [strength](int channel) { return static_cast<int>(255 + (channel - 255) * strength * 0.8); };
  return {mix(full.red()), mix(full.green()), mix(full.blue())};
}

}  // namespace

TLeastSquaresFit::TLeastSquaresFit(ProjectSession& session, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog), session_(session), platform_(platform), runner_(new FitJobRunner(this)) {
  setObjectName(QStringLiteral("LeastSquaresFit"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Least-Squares Fit"));
  BuildControls();
  const OneBased<bool, kRateConstantCount> free = DefaultFreeSet(session_.Project().K, false);
  for (int i = 1; i <= kRateConstantCount; ++i) free_[static_cast<std::size_t>(i - 1)]->setChecked(free[i]);
  ShowStartValues();
  listener_ = session_.AddListener([this](const SessionEvent&) { ShowStartValues(); });
  SetRunning(false);
}

TLeastSquaresFit::~TLeastSquaresFit() {
  // A fit still going ends at its next iteration; the runner waits for its thread.
  session_.RemoveListener(listener_);
}

bool TLeastSquaresFit::Running() const { return runner_->Running(); }

void TLeastSquaresFit::BuildControls() {
  auto* layout = new QVBoxLayout(this);

  table_ = new QTableWidget(kRateConstantCount, kColumns, this);
  table_->setObjectName(QStringLiteral("FitTable"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Free"), QStringLiteral("Start (1/s)"),
                                     QStringLiteral("Fitted (1/s)"), QStringLiteral("SE (1/s)"),
                                     QStringLiteral("95 % interval (1/s)"), QStringLiteral("Rel. SE"),
                                     QStringLiteral("Profile 95 % (1/s)"), QStringLiteral("Flags")});
  table_->horizontalHeaderItem(kError)->setToolTip(QStringLiteral("Standard error from sigma^2 (J^T J)^-1"));
  table_->horizontalHeaderItem(kInterval)->setToolTip(QStringLiteral("k \u00b1 t(0.975, dof) SE"));
  table_->horizontalHeaderItem(kProfile)->setToolTip(
      QStringLiteral("Where the refitted sum of squares stays within F(0.95; 1, dof) sigma^2 of its minimum"));
  table_->setColumnHidden(kProfile, true);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  for (int i = 1; i <= kRateConstantCount; ++i) {
    table_->setVerticalHeaderItem(i - 1, new QTableWidgetItem(QStringLiteral("k%1").arg(i)));
    auto* box = new QCheckBox(table_);
    box->setObjectName(QStringLiteral("Free%1").arg(i));
    box->setToolTip(QStringLiteral("Let the fit vary k%1").arg(i));
    auto* cell = new QWidget(table_);
    auto* centre = new QHBoxLayout(cell);
    centre->setContentsMargins(0, 0, 0, 0);
    centre->addWidget(box, 0, Qt::AlignCenter);
    table_->setCellWidget(i - 1, kFree, cell);
    free_[static_cast<std::size_t>(i - 1)] = box;
    for (int column = kStart; column < kColumns; ++column) table_->setItem(i - 1, column, Cell(QString()));
  }
  table_->resizeColumnsToContents();
  // Six rows at least; the rest scroll where the screen is small.
  table_->setMinimumHeight(6 * table_->verticalHeader()->defaultSectionSize() + table_->horizontalHeader()->height() +
                           4);
  layout->addWidget(table_);

  auto* choices = new QHBoxLayout;
  choices->addWidget(new QLabel(QStringLiteral("Experiments:"), this));
  experiments_ = new QComboBox(this);
  experiments_->setObjectName(QStringLiteral("Experiments"));
  choices->addWidget(experiments_);
  choices->addSpacing(12);
  choices->addWidget(new QLabel(QStringLiteral("Weighting:"), this));
  weighting_ = new QComboBox(this);
  weighting_->setObjectName(QStringLiteral("Weighting"));
  weighting_->addItems({QStringLiteral("None"), QStringLiteral("Per species")});
  weighting_->setItemData(1, QStringLiteral("Each species weighted by 1 / its own root-mean-square residual"),
                          Qt::ToolTipRole);
  choices->addWidget(weighting_);
  choices->addSpacing(12);
  profile_ = new QCheckBox(QStringLiteral("Profile intervals"), this);
  profile_->setObjectName(QStringLiteral("Profile"));
  choices->addWidget(profile_);
  choices->addStretch(1);
  layout->addLayout(choices);

  auto* results = new QHBoxLayout;
  correlation_ = new QTableWidget(this);
  correlation_->setObjectName(QStringLiteral("Correlation"));
  correlation_->setToolTip(QStringLiteral("Correlation of the fitted constants: red positive, blue negative"));
  correlation_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  correlation_->horizontalHeader()->setDefaultSectionSize(46);
  correlation_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  correlation_->setMinimumHeight(7 * (table_->fontMetrics().height() + 4) + 4);
  results->addWidget(correlation_, 1);
  statistics_ = new QLabel(this);
  statistics_->setObjectName(QStringLiteral("Statistics"));
  statistics_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statistics_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // However long the statistics grow, they scroll rather than push the buttons off the screen.
  auto* statisticsArea = new QScrollArea(this);
  statisticsArea->setFrameShape(QFrame::NoFrame);
  statisticsArea->setWidgetResizable(true);
  statisticsArea->setWidget(statistics_);
  statisticsArea->setMinimumWidth(statistics_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 36);
  results->addWidget(statisticsArea);
  layout->addLayout(results, 1);

  auto* status = new QHBoxLayout;
  progressText_ = new QLabel(this);
  progressText_->setObjectName(QStringLiteral("ProgressText"));
  status->addWidget(progressText_, 1);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("FitProgress"));
  progress_->setRange(0, 0);
  progress_->setMaximumWidth(160);
  status->addWidget(progress_);
  layout->addLayout(status);

  auto* buttons = new QHBoxLayout;
  const auto button = [&](const QString& name, const QString& text, void (TLeastSquaresFit::*handler)()) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this,
            [this, handler] { RunGuarded(platform_, this, [&] { (this->*handler)(); }); });
    buttons->addWidget(b);
    return b;
  };
  fit_ = button(QStringLiteral("FitButton"), QStringLiteral("&Fit"), &TLeastSquaresFit::FitClick);
  stop_ = button(QStringLiteral("StopButton"), QStringLiteral("&Stop"), &TLeastSquaresFit::StopClick);
  apply_ = button(QStringLiteral("ApplyButton"), QStringLiteral("&Apply"), &TLeastSquaresFit::ApplyClick);
  apply_->setToolTip(QStringLiteral("Put the fitted constants into the project (one step of Undo)"));
  copy_ = button(QStringLiteral("CopyButton"), QStringLiteral("Copy Results"), &TLeastSquaresFit::CopyClick);
  copy_->setToolTip(QStringLiteral("The table and statistics as tab-separated text"));
  buttons->addStretch(1);
  close_ = new QPushButton(QStringLiteral("&Close"), this);
  close_->setObjectName(QStringLiteral("CloseButton"));
  close_->setAutoDefault(false);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  fit_->setDefault(true);
  FitToScreen(*this, QSize(980, 900));
}

FitSettings TLeastSquaresFit::Settings() const {
  FitSettings settings;
  for (int i = 1; i <= kRateConstantCount; ++i) settings.Free[i] = free_[static_cast<std::size_t>(i - 1)]->isChecked();
  settings.Experiments = static_cast<FitExperiments>(experiments_->currentData().toInt());
  settings.Weighting = weighting_->currentIndex() == 1 ? FitWeighting::Species : FitWeighting::None;
  settings.Profile = profile_->isChecked();
  return settings;
}

void TLeastSquaresFit::SetRunning(bool running) {
  fit_->setEnabled(!running);
  stop_->setEnabled(running);
  apply_->setEnabled(!running && result_.has_value());
  copy_->setEnabled(!running && result_.has_value());
  for (QCheckBox* box : free_) box->setEnabled(!running);
  experiments_->setEnabled(!running);
  weighting_->setEnabled(!running);
  profile_->setEnabled(!running);
  progress_->setVisible(running);
}

void TLeastSquaresFit::ShowStartValues() {
  const KineticProject& project = session_.Project();
  for (int i = 1; i <= kRateConstantCount; ++i)
    table_->item(i - 1, kStart)->setText(Shown(ScientificCell(project.K[i], 5)));
  table_->resizeColumnToContents(kStart);
  // Only the experiments the project holds can be fitted.
  OfferPresentExperiments(*experiments_, project);
}

void TLeastSquaresFit::FitClick() {
  if (Running()) return;
  runningSettings_ = Settings();
  const KineticProject& project = session_.Project();
  const OptimizationRunData runData{project.K, project.Left, project.Right};
  const FitSettings settings = runningSettings_;
  runner_->Start<FitResult>(
      [this, runner = runner_, settings, runData](const std::atomic<bool>& stop) {
        return FitRateConstants(
            settings, runData,
            [this, runner](int iteration, Real weightedSsr, const RateConstants&) {
              runner->Post([this, iteration, ssr = static_cast<double>(weightedSsr)] { ShowProgress(iteration, ssr); });
            },
            stop);
      },
      [this](std::optional<FitResult> result, std::exception_ptr error) {
        JobEnded(std::move(result), std::move(error));
      });
  progressText_->setText(QStringLiteral("Fitting\u2026"));
  SetRunning(true);
}

void TLeastSquaresFit::ShowProgress(int iteration, double weightedSsr) {
  progressText_->setText(QStringLiteral("Iteration %1, weighted SSR %2").arg(iteration).arg(weightedSsr, 0, 'f', 4));
}

void TLeastSquaresFit::StopClick() { runner_->Stop(); }

void TLeastSquaresFit::JobEnded(std::optional<FitResult> result, std::exception_ptr error) {
  if (result) {
    result_ = std::move(result);
    resultSettings_ = runningSettings_;
  }
  SetRunning(false);
  if (error) {
    progressText_->setText(QStringLiteral("The fit failed."));
    RunGuarded(platform_, this, [&] { std::rethrow_exception(error); });
  } else {
    progressText_->setText(QString::fromStdString(FitOutcomeText(*result_)));
    ShowResult();
  }
  emit FitEnded();
}

void TLeastSquaresFit::ShowResult() {
  const FitResult& fit = *result_;
  const FitReport report = MakeFitReport(*resultSettings_, fit);
  const bool profile = !fit.ProfileInterval95.empty();
  table_->setColumnHidden(kProfile, !profile);
  for (int row = 0; row < kRateConstantCount; ++row) {
    for (int column = kFitted; column < kColumns; ++column) {
      table_->item(row, column)->setText(QString());
      table_->item(row, column)->setToolTip(QString());
    }
  }
  for (std::size_t n = 0; n < report.ConstantCells.size(); ++n) {
    const FitConstantCells& cells = report.ConstantCells[n];
    const int row = cells.Index - 1;
    table_->item(row, kFitted)->setText(Shown(cells.Fitted));
    table_->item(row, kError)->setText(Shown(cells.StandardError));
    table_->item(row, kInterval)->setText(Shown(IntervalText(cells.Interval95)));
    table_->item(row, kRelative)->setText(Shown(cells.RelativeError));
    if (cells.Profile) table_->item(row, kProfile)->setText(Shown(ProfileIntervalText(*cells.Profile)));
    QStringList flags;
    QStringList explanations;
    for (const std::string& flag : cells.Flags) {
      flags << QString::fromStdString(flag);
      explanations << QString::fromStdString(flag) + QStringLiteral(": ") +
                          QString::fromStdString(FitFlagExplanation(flag));
    }
    QTableWidgetItem* cell = table_->item(row, kFlags);
    cell->setText(flags.join(QStringLiteral("; ")));
    cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cell->setToolTip(explanations.join(QStringLiteral("\n")));
  }
  table_->resizeColumnsToContents();
  ShowCorrelations();
  ShowStatistics(report);
}

void TLeastSquaresFit::ShowCorrelations() {
  const FitResult& fit = *result_;
  std::vector<std::size_t> shown;
  for (std::size_t n = 0; n < fit.Free.size(); ++n) {
    if (std::isfinite(fit.StandardError[n])) shown.push_back(n);
  }
  const auto count = static_cast<int>(shown.size());
  correlation_->clear();
  correlation_->setRowCount(count);
  correlation_->setColumnCount(count);
  for (int a = 0; a < count; ++a) {
    const QString name = QStringLiteral("k%1").arg(fit.Free[shown[static_cast<std::size_t>(a)]]);
    correlation_->setHorizontalHeaderItem(a, new QTableWidgetItem(name));
    correlation_->setVerticalHeaderItem(a, new QTableWidgetItem(name));
    for (int b = 0; b < count; ++b) {
      const Real r = fit.Correlation[shown[static_cast<std::size_t>(a)]][shown[static_cast<std::size_t>(b)]];
      auto* item = Cell(QString::fromStdString(FixedText(r, 2)));
      item->setBackground(CorrelationColour(r));
      item->setForeground(Qt::black);
      correlation_->setItem(a, b, item);
    }
  }
}

namespace {

QString HtmlTable(const std::vector<std::vector<std::string>>& rows, bool header) {
  QString html = QStringLiteral("<table cellspacing='2'>");
  for (std::size_t r = 0; r < rows.size(); ++r) {
    html += QStringLiteral("<tr>");
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const QString tag = header && r == 0 ? QStringLiteral("th") : QStringLiteral("td");
      html += QStringLiteral("<%1 align='%2'>%3</%1>")
                  .arg(tag, c == 0 ? QStringLiteral("left") : QStringLiteral("right"),
                       QString::fromStdString(rows[r][c]).toHtmlEscaped());
    }
    html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

}  // namespace

void TLeastSquaresFit::ShowStatistics(const FitReport& report) {
  QString text = QStringLiteral("<p>");
  for (const std::string& note : report.Notes) text += QString::fromStdString(note).toHtmlEscaped() + "<br>";
  text += QStringLiteral("</p>") + HtmlTable(report.Sums, true) + HtmlTable(report.Statistics, false);
  QStringList correlated;
  for (const std::string& pair : report.Correlated) correlated << QString::fromStdString(pair);
  text += QStringLiteral("<p>") +
          (correlated.isEmpty() ? QStringLiteral("No correlation beyond 0.95")
                                : QStringLiteral("Correlated beyond 0.95: ") + correlated.join(QStringLiteral(", ")))
              .toHtmlEscaped() +
          QStringLiteral("</p>");
  if (report.Outliers.size() > 1) {
    text += QStringLiteral("<p>Outliers (|z| &gt; 4):</p>") + HtmlTable(report.Outliers, true);
  } else {
    text += QStringLiteral("<p>No outliers (|z| &gt; 4)</p>");
  }
  statistics_->setText(text);
}

void TLeastSquaresFit::ApplyClick() {
  if (!result_ || Running()) return;
  session_.PutConstantsInPlace(result_->K, "Least-Squares Fit");
}

void TLeastSquaresFit::CopyClick() {
  if (!result_) return;
  platform_.SetClipboardText(QString::fromStdString(FitTabSeparated(*resultSettings_, *result_)));
}

void TLeastSquaresFit::closeEvent(QCloseEvent* event) {
  // A fit still going ends at its next iteration; the thread is waited for.
  runner_->StopAndWait();
  QDialog::closeEvent(event);
}

}  // namespace zamo
