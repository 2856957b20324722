// The update steps that bring the display up to date after a change of the project, the
// zoom bar, and the general error guard.

#include <QAction>
#include <QScrollBar>
#include <QSignalBlocker>

#include "app/ErrorText.h"
#include "app/ZamoMain.h"
#include "model/EvaluateDeviation.h"
#include "model/RecalcCurves.h"
#include "ui/PaintBox.h"
#include "ui/PlotPainter.h"

namespace zamo {

void TFZamo::ShowTheProject() {
  for (int row = 1; row <= RateConstantPanel::kRows; ++row) panel_->ShowRateConstant(row);
  SetExperimentMenuItems();
  project_.DataValid = true;
  SetZoomBar(project_.ShowLeft ? project_.ZoomLeft : project_.ZoomRight);
  panel_->ShowRateCaptions();
  Recalculate();
  DrawPlots();
}

void TFZamo::Refresh() {
  for (int row = 1; row <= RateConstantPanel::kRows; ++row) panel_->ShowRateConstant(row);
  SetExperimentMenuItems();
  project_.DataValid = true;
  SetZoomBar(project_.ShowLeft ? project_.ZoomLeft : project_.ZoomRight);
  project_.Modified = true;
  panel_->ShowRateCaptions();
  Recalculate();
  DrawPlots();
}

void TFZamo::Recalculate() { Recalculate(PlotIntervals()); }

void TFZamo::Recalculate(int intervals) {
  if (const std::optional<Side> evaluated = RecalcCurves(project_, intervals)) {
    panel_->ShowDeviationLabels(DeviationLabels(project_.DeviationOf(*evaluated)));
  }
}

// Schedules both plots (or the lower one alone while the zoom bar moves) to be drawn from
// the model; their paint events draw them.
void TFZamo::DrawPlots() {
  if (paintBusy_) return;
  paintBusy_ = true;
  if (!lowerPlotOnly_) upper_->update();
  lower_->update();
  paintBusy_ = false;
}

int TFZamo::ZoomPosition() const { return zoomBar_->value(); }

void TFZamo::SetExperimentMenuItems() {
  const bool left = project_.ShowLeft;
  for (const char* name : {"LeftReactions1", "PopupLeftReactions"})
    Action(QString::fromLatin1(name))->setEnabled(!left);
  for (const char* name : {"RightReactions1", "PopupRightReactions"})
    Action(QString::fromLatin1(name))->setEnabled(left);
}

// A position set by the program: the bar clamps it to 1..325; nothing is redrawn and the
// hint stays.
void TFZamo::SetZoomBar(int position) {
  const QSignalBlocker quiet(zoomBar_);
  zoomBar_->setValue(position);
}

void TFZamo::ZoomBarScroll(int position) {
  lowerPlotOnly_ = true;
  zoomBar_->setToolTip(QStringLiteral("Zoom: %1").arg(ZoomFactor(position)));
  DrawPlots();
  (project_.ShowLeft ? project_.ZoomLeft : project_.ZoomRight) = position;
  lowerPlotOnly_ = false;
}

void TFZamo::RunGuarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    ShowError(error);
  }
}

void TFZamo::ShowError(const std::exception& error) {
  platform_.ShowMessage(this, ErrorBoxText(error), QString::fromLatin1(kApplicationTitle), MessageIcon::Error);
}

void TFZamo::RefuseInput() {
  platform_.Beep();
  platform_.ShowMessage(
      this,
      WithFullStop(QStringLiteral(
          "Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um die Änderungen rückgängig zu machen.")),
      QString::fromLatin1(kApplicationTitle), MessageIcon::Error);
}

}  // namespace zamo
