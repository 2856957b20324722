#include "ui/PlotWindow.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "document/ProjectSession.h"
#include "ui/PlotExportBar.h"
#include "ui/PlotFigure.h"
#include "ui/ScreenFit.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

constexpr int kInitialWidth = 900;
constexpr int kInitialHeight = 680;
constexpr double kZoomHighDefault = 10;

QLabel* Label(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

QDoubleSpinBox* PercentBox(const QString& name, double value, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(name);
  box->setRange(0, 100);
  box->setDecimals(2);
  box->setSuffix(QStringLiteral(" %"));
  box->setValue(value);
  box->setEnabled(false);
  return box;
}

}  // namespace

TPlotWindow::TPlotWindow(ProjectSession& session, Platform& platform)
    : QWidget(nullptr, Qt::Window), session_(session) {
  setObjectName(QStringLiteral("PlotWindow"));
  // A second view: it does not keep the program running once the main window has closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  plot_ = new QCustomPlot(this);
  plot_->setObjectName(QStringLiteral("Plot"));
  exportBar_ = new PlotExportBar(platform, *plot_, this);
  BuildControls();
  FitToScreen(*this, QSize(kInitialWidth, kInitialHeight));
  listener_ = session_.AddListener([this](const SessionEvent& event) {
    // A stepped constant is computed, and drawn, when the stepper is released; a change of
    // the modified mark or the file name changes nothing drawn.
    if (event.Change == SessionChange::Shown || event.Change == SessionChange::Computed) Redraw();
  });
  Redraw();
}

TPlotWindow::~TPlotWindow() { session_.RemoveListener(listener_); }

void TPlotWindow::BuildControls() {
  experiments_ = new QComboBox(this);
  experiments_->setObjectName(QStringLiteral("ExperimentBox"));
  // In the order of PlotExperiments.
  experiments_->addItems({QStringLiteral("Shown Experiment"), QStringLiteral("Left Reaction"),
                          QStringLiteral("Right Reaction"), QStringLiteral("Both Experiments")});
  unit_ = new QComboBox(this);
  unit_->setObjectName(QStringLiteral("TimeUnitBox"));
  // In the order of TimeUnit.
  unit_->addItems({QStringLiteral("Seconds"), QStringLiteral("Minutes"), QStringLiteral("Hours")});
  unit_->setCurrentIndex(static_cast<int>(TimeUnit::Minutes));
  logTime_ = new QCheckBox(QStringLiteral("&Logarithmic Time"), this);
  logTime_->setObjectName(QStringLiteral("LogTimeBox"));
  residuals_ = new QCheckBox(QStringLiteral("&Residuals"), this);
  residuals_->setObjectName(QStringLiteral("ResidualsBox"));
  band_ = new QCheckBox(QStringLiteral("95 % &Band of the Fit"), this);
  band_->setObjectName(QStringLiteral("BandBox"));
  band_->setChecked(true);
  band_->setToolTip(
      QStringLiteral("The 95 % confidence band of each curve, available after a least-squares fit "
                     "whose constants were applied and are unchanged"));
  zoom_ = new QCheckBox(QStringLiteral("&Zoom:"), this);
  zoom_->setObjectName(QStringLiteral("ZoomBox"));
  zoomLow_ = PercentBox(QStringLiteral("ZoomLow"), 0, this);
  zoomHigh_ = PercentBox(QStringLiteral("ZoomHigh"), kZoomHighDefault, this);

  // Two rows, so that the window fits a small screen: what is drawn, then what is shown of it.
  auto* choices = new QHBoxLayout;
  choices->addWidget(Label(QStringLiteral("E&xperiment:"), experiments_, this));
  choices->addWidget(experiments_);
  choices->addWidget(Label(QStringLiteral("&Time:"), unit_, this));
  choices->addWidget(unit_);
  choices->addWidget(logTime_);
  choices->addStretch();
  auto* shown = new QHBoxLayout;
  shown->addWidget(residuals_);
  shown->addWidget(band_);
  shown->addWidget(zoom_);
  shown->addWidget(zoomLow_);
  shown->addWidget(Label(QStringLiteral("to"), zoomHigh_, this));
  shown->addWidget(zoomHigh_);
  shown->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addLayout(shown);
  layout->addWidget(plot_, 1);
  layout->addWidget(exportBar_);

  const auto redraw = [this] { Redraw(); };
  connect(experiments_, &QComboBox::currentIndexChanged, this, redraw);
  connect(unit_, &QComboBox::currentIndexChanged, this, redraw);
  for (QCheckBox* box : {logTime_, residuals_, band_}) connect(box, &QCheckBox::toggled, this, redraw);
  connect(zoom_, &QCheckBox::toggled, this, [this](bool on) {
    zoomLow_->setEnabled(on);
    zoomHigh_->setEnabled(on);
    Redraw();
  });
  for (QDoubleSpinBox* box : {zoomLow_, zoomHigh_}) connect(box, &QDoubleSpinBox::valueChanged, this, redraw);
}

PlotOptions TPlotWindow::Options() const {
  PlotOptions options;
  options.Experiments = static_cast<PlotExperiments>(experiments_->currentIndex());
  options.Unit = static_cast<TimeUnit>(unit_->currentIndex());
  options.LogTime = logTime_->isChecked();
  options.Residuals = residuals_->isChecked();
  options.Band = band_->isEnabled() && band_->isChecked();
  if (zoom_->isChecked()) options.Range = ConcentrationRange{zoomLow_->value(), zoomHigh_->value()};
  return options;
}

void TPlotWindow::SetFit(const PlotFit& fit) {
  fit_ = fit;
  Redraw();
}

bool TPlotWindow::BandAvailable() const { return fit_ && FitIsCurrent(*fit_, session_.Project()); }

void TPlotWindow::Redraw() {
  const KineticProject& project = session_.Project();
  setWindowTitle(QStringLiteral("Plot - ") + FromBytes(project.Title));
  band_->setEnabled(BandAvailable());
  const PlotOptions options = Options();
  data_ = BuildPlotData(project, options, fit_ ? &*fit_ : nullptr);
  DrawPlotFigure(*plot_, data_, options);
  plot_->replot();
}

}  // namespace zamo
