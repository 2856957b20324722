// The window's side of the update steps: what the session says has changed is shown; the
// zoom bar; the general error guard.

#include <QAction>
#include <QScrollBar>
#include <QSignalBlocker>

#include "app/ZamoMain.h"
#include "ui/ErrorText.h"
#include "ui/PaintBox.h"
#include "ui/PlotPainter.h"
#include "ui/TextBytes.h"

namespace zamo {

void TFZamo::SessionChanged(const SessionEvent& event) {
  switch (event.Change) {
    case SessionChange::Shown:
      ShowProject();
      break;
    case SessionChange::RateStepped:
      panel_->ShowRateConstantOf(event.RateIndex);
      break;
    case SessionChange::Computed:
      panel_->ShowDeviationLabels();
      DrawPlots();
      break;
    case SessionChange::Status:
      ShowStatus();
      break;
  }
}

// Show the project, Refresh and switching the experiment look alike on the screen: the
// boxes and captions of the current experiment, its menu items and zoom, the deviations
// and the plots.
void TFZamo::ShowProject() {
  const KineticProject& project = session_.Project();
  SetExperimentMenuItems();
  SetZoomBar(project.ShowLeft ? project.ZoomLeft : project.ZoomRight);
  panel_->ShowRateCaptions();
  panel_->ShowDeviationLabels();
  DrawPlots();
}

// The caption with the desktop's modified marker, and the history's menu items.
void TFZamo::ShowStatus() {
  setWindowTitle(FromBytes(session_.Caption()) + QStringLiteral("[*]"));
  setWindowModified(session_.Project().Modified);
  QAction* undo = Action(QStringLiteral("Undo1"));
  undo->setEnabled(session_.CanUndo());
  undo->setText(session_.CanUndo() ? QStringLiteral("&Undo ") + FromBytes(session_.UndoName())
                                   : QStringLiteral("&Undo"));
  QAction* redo = Action(QStringLiteral("Redo1"));
  redo->setEnabled(session_.CanRedo());
  redo->setText(session_.CanRedo() ? QStringLiteral("Re&do ") + FromBytes(session_.RedoName())
                                   : QStringLiteral("Re&do"));
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
  const bool left = session_.Project().ShowLeft;
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
  session_.RememberZoom(position);
  lowerPlotOnly_ = false;
}

void TFZamo::RunGuarded(const std::function<void()>& command) { zamo::RunGuarded(platform_, this, command); }

void TFZamo::RefuseInput() {
  platform_.Beep();
  platform_.ShowMessage(
      this,
      WithFullStop(QStringLiteral(
          "Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um die Änderungen rückgängig zu machen.")),
      QString::fromLatin1(kApplicationTitle), MessageIcon::Error);
}

}  // namespace zamo
