#include "optimize/windows/LinOpt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolTip>

#include "document/ProjectSession.h"
#include "model/Limits.h"
#include "optimize/RelativeOptimizationText.h"
#include "optimize/windows/LinOptWorker.h"
#include "ui/ErrorText.h"
#include "ui/SpeciesColors.h"

namespace zamo {

namespace {

QLabel* ColouredLetter(QWidget* parent, const QString& name, const QString& text, int species, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, SpeciesColor(species));
  label->setPalette(palette);
  label->move(x, y);
  return label;
}

QLabel* PlainLabel(QWidget* parent, const QString& name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(x, y);
  return label;
}

}  // namespace

TOptRate::TOptRate(ProjectSession& session, Platform& platform, OptimizationWorkers& workers, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      session_(session),
      platform_(platform),
      workers_(workers) {
  setObjectName(QStringLiteral("OptRate"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Optimize k-values"));
  // The fixed layout was made for a small 8-point system font.
  QFont font = this->font();
  font.setPixelSize(11);
  font.setStretch(QFont::SemiCondensed);
  setFont(font);
  setFixedSize(458, 224);
  BuildControls();
  repaintTimer_.setSingleShot(true);
  repaintTimer_.setInterval(16);
  connect(&repaintTimer_, &QTimer::timeout, this, [this] { RepaintProgress(); });
  running_ = false;
  starts_ = {};
  savedK_ = session_.Project().K;
}

// Errors are shown over the main window, as every command's are.
void TOptRate::Guarded(const std::function<void()>& handler) { RunGuarded(platform_, parentWidget(), handler); }

void TOptRate::BuildControls() {
  flags_ = new QGroupBox(QStringLiteral("Flags"), this);
  flags_->setObjectName(QStringLiteral("GroupBox3"));
  flags_->setGeometry(8, 8, 209, 169);
  highPriority_ = new QCheckBox(QStringLiteral(" High Priority for Reactant"), flags_);
  highPriority_->setObjectName(QStringLiteral("HighPr_k1k8"));
  highPriority_->setGeometry(8, 23, 144, 17);  // up to the letters, so the text fits
  highPriority_->setChecked(true);
  ColouredLetter(flags_, QStringLiteral("Label1"), QStringLiteral(" A "), 1, 152, 24);
  PlainLabel(flags_, QStringLiteral("Label3"), QStringLiteral("and"), 168, 24);
  ColouredLetter(flags_, QStringLiteral("Label2"), QStringLiteral(" B "), 2, 192, 24);
  keepK15K16_ = new QCheckBox(QStringLiteral(" Keep k15 and k16"), flags_);
  keepK15K16_->setObjectName(QStringLiteral("Keepk15k16"));
  keepK15K16_->setGeometry(8, 48, 137, 17);
  keepK15K16_->setChecked(true);
  withoutGH_ = new QCheckBox(QStringLiteral(" Without Reactant"), flags_);
  withoutGH_->setObjectName(QStringLiteral("Withoutk6k7k13k14"));
  withoutGH_->setGeometry(8, 71, 144, 17);
  ColouredLetter(flags_, QStringLiteral("Label5"), QStringLiteral(" G "), 7, 152, 72);
  PlainLabel(flags_, QStringLiteral("Label6"), QStringLiteral("and"), 168, 72);
  ColouredLetter(flags_, QStringLiteral("Label7"), QStringLiteral(" H "), 8, 190, 72);
  PlainLabel(flags_, QStringLiteral("Label4"), QStringLiteral("Optimation Steps: "), 8, 112);
  stepsLabel_ = PlainLabel(flags_, QStringLiteral("OptStepsLabel"), QStringLiteral("15"), 96, 112);
  trackBar_ = new QSlider(Qt::Horizontal, flags_);
  trackBar_->setObjectName(QStringLiteral("OptTrackBar"));
  trackBar_->setGeometry(8, 128, 193, 30);
  trackBar_->setRange(kOptimizationStepsMin, kOptimizationStepsMax);
  trackBar_->setPageStep(10);
  trackBar_->setSingleStep(1);
  trackBar_->setTickPosition(QSlider::TicksBelow);
  trackBar_->setTickInterval(1);
  trackBar_->setValue(kOptimizationStepsDefault);
  trackBar_->setToolTip(QString::number(kOptimizationStepsDefault));
  connect(trackBar_, &QSlider::valueChanged, this, [this](int position) { OptTrackBarChange(position); });

  output_ = new QGroupBox(QStringLiteral("Output"), this);
  output_->setObjectName(QStringLiteral("GroupBox2"));
  output_->setGeometry(232, 8, 217, 89);
  PlainLabel(output_, QStringLiteral("Label9"), QStringLiteral("Relative Optimization: "), 8, 24);
  improvement_ = new QLabel(QStringLiteral("0.00"), output_);
  improvement_->setObjectName(QStringLiteral("OptImpr"));
  improvement_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Right-aligned so that its right edge stays at 151 however wide the figure grows.
  improvement_->setGeometry(151 - 60, 24, 60, 15);
  PlainLabel(output_, QStringLiteral("Label13"), QStringLiteral(" %"), 153, 24);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("OptProgress"));
  progress_->setGeometry(240, 72, 201, 13);
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  progress_->setTextVisible(false);

  calculate_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Calculate"), this);
  calculate_->setObjectName(QStringLiteral("CalcBitBtn"));
  calculate_->setGeometry(240, 120, 201, 33);
  calculate_->setAutoDefault(false);
  connect(calculate_, &QPushButton::clicked, this, [this] { Guarded([this] { CalcBitBtnClick(); }); });

  // Looked up once: the style finds them in the icon theme's files.
  okIcon_ = style()->standardIcon(QStyle::SP_DialogOkButton);
  stopIcon_ = style()->standardIcon(QStyle::SP_DialogNoButton);
  ok_ = new QPushButton(this);
  ok_->setObjectName(QStringLiteral("OKBitBtn"));
  ok_->setGeometry(64, 192, 137, 25);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, [this] { Guarded([this] { OKBitBtnClick(); }); });

  abort_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Abbruch"), this);
  abort_->setObjectName(QStringLiteral("AbortBitBtn"));
  abort_->setGeometry(248, 192, 137, 25);
  abort_->setAutoDefault(false);
  connect(abort_, &QPushButton::clicked, this, [this] { Guarded([this] { AbortBitBtnClick(); }); });

  SetRunningLook(false);
  setTabOrder(calculate_, progress_);
  setTabOrder(progress_, ok_);
  setTabOrder(ok_, abort_);
  setTabOrder(abort_, keepK15K16_);
  setTabOrder(keepK15K16_, withoutGH_);
  setTabOrder(withoutGH_, highPriority_);
  setTabOrder(highPriority_, trackBar_);
}

void TOptRate::OptTrackBarChange(int position) {
  const QString text = QString::number(position);
  stepsLabel_->setText(text);
  trackBar_->setToolTip(text);
  if (trackBar_->isSliderDown()) QToolTip::showText(QCursor::pos(), text, trackBar_);
}

// The running look: "Calculate" and the settings disabled, "OK" turned into "Stop" (the
// "No" kind, which answers Escape), busy cursors; and back.
void TOptRate::SetRunningLook(bool running) {
  calculate_->setEnabled(!running);
  flags_->setEnabled(!running);
  trackBar_->setEnabled(!running);
  ok_->setText(running ? QStringLiteral("Stop") : QStringLiteral("OK"));
  ok_->setIcon(running ? stopIcon_ : okIcon_);
  ok_->setDefault(true);
  if (running) {
    setCursor(Qt::BusyCursor);
    output_->setCursor(Qt::BusyCursor);
    ok_->setCursor(Qt::ArrowCursor);
    abort_->setCursor(Qt::ArrowCursor);
    calculate_->setCursor(Qt::WaitCursor);
  } else {
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(output_), static_cast<QWidget*>(ok_),
                            static_cast<QWidget*>(abort_), static_cast<QWidget*>(calculate_)}) {
      widget->setCursor(Qt::ArrowCursor);
    }
    progress_->setValue(0);
    RepaintProgress();
  }
}

void TOptRate::CalcBitBtnClick() {
  SetRunningLook(true);
  running_ = true;
  const KineticProject& project = session_.Project();
  OptimizationSettings settings = DefaultOptimizationSettings(project);
  settings.Steps = trackBar_->value();
  settings.VaryK15K16 = !keepK15K16_->isChecked();
  settings.Withoutk6k7k13k14 = withoutGH_->isChecked();
  settings.HighPr_k1k8 = highPriority_->isChecked();
  // The result outlives the dialog: it goes to the session, whatever project is open then.
  OptimizationResult onResult = [&session = session_, &platform = platform_,
                                 window = QPointer<QWidget>(parentWidget())](const RateConstants& k) {
    RunGuarded(platform, window, [&] { session.PutConstantsInPlace(k, "Optimization"); });
  };
  auto* worker =
      new TThLinOpt(workers_, this, settings, {project.K, project.Left, project.Right}, starts_, std::move(onResult));
  worker_ = worker;
  worker->StartRun();
}

void TOptRate::OKBitBtnClick() {
  if (running_) {
    if (worker_) worker_->RequestStop();
    running_ = false;
    return;
  }
  close();
}

void TOptRate::AbortBitBtnClick() {
  aborting_ = true;
  close();
}

// Every close refreshes the main window. "Abbruch", and any close during a run, puts back
// the constants of the dialog's creation first; the run's result is then discarded.
void TOptRate::closeEvent(QCloseEvent* event) {
  const bool putBack = aborting_ || running_;
  if (running_) {
    if (worker_) worker_->Abort();
    running_ = false;
  }
  Guarded([&] {
    if (putBack) {
      session_.PutConstantsInPlace(savedK_, "Abort Optimization");
    } else {
      session_.Refresh();
    }
  });
  event->accept();
}

void TOptRate::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    // Only the "Stop" button answers Escape; idle, the dialog has no cancel button.
    if (ok_->text() == QStringLiteral("Stop")) ok_->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

// Runs for every report, so it only puts the values into the controls; their painting
// follows at display rate (a run reports every fraction of a millisecond, and a repaint
// per report would cost more than the cycle it reports).
void TOptRate::ShowProgress(int position, Real improvement) {
  for (QWidget* control : {static_cast<QWidget*>(improvement_), static_cast<QWidget*>(progress_)}) {
    control->setUpdatesEnabled(false);
  }
  improvement_->setText(QString::fromStdString(RelativeOptimizationText(improvement)));
  progress_->setValue(position);
  if (!repaintTimer_.isActive()) repaintTimer_.start();
}

void TOptRate::RepaintProgress() {
  improvement_->setUpdatesEnabled(true);
  progress_->setUpdatesEnabled(true);
}

void TOptRate::RunEnded(TThLinOpt* worker, const StartObjectives& starts) {
  running_ = false;
  if (worker_ == worker) worker_ = nullptr;
  starts_ = starts;
  SetRunningLook(false);
}

}  // namespace zamo
